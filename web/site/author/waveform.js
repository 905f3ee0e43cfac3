// The strip's lowest layer: its background and the music's waveform, the
// loudest sample under each column, drawn again as each piece of the music
// arrives. The loudest of each block of samples is found once for a piece,
// so that a zoomed-out strip reads a few thousand values a column instead
// of the samples themselves.
import { decodedMusic, musicLength, onMusic } from '../page/sound.js';
import { addLayer, rows, setLengths } from './strip.js';
import { timeOf } from './view.js';

const BLOCK = 256;
const blocks = new WeakMap();   // a piece's samples -> the loudest of each BLOCK of them

function peaksOf(buffer) {
  let peaks = blocks.get(buffer);
  if (peaks) return peaks;
  const samples = buffer.getChannelData(0);
  peaks = new Float32Array(Math.ceil(samples.length / BLOCK));
  for (let b = 0; b < peaks.length; ++b) {
    let peak = 0;
    const last = Math.min(samples.length, (b + 1) * BLOCK);
    for (let i = b * BLOCK; i < last; ++i) peak = Math.max(peak, Math.abs(samples[i]));
    peaks[b] = peak;
  }
  blocks.set(buffer, peaks);
  return peaks;
}

// The loudest sample of buffer from first to last (excluded).
function loudest(buffer, first, last) {
  const samples = buffer.getChannelData(0);
  const peaks = peaksOf(buffer);
  let peak = 0;
  let i = first;
  for (; i < last && i % BLOCK !== 0; ++i) peak = Math.max(peak, Math.abs(samples[i]));
  for (; i + BLOCK <= last; i += BLOCK) peak = Math.max(peak, peaks[i / BLOCK]);
  for (; i < last; ++i) peak = Math.max(peak, Math.abs(samples[i]));
  return peak;
}

// The loudest sample of the pieces from the music's second `from` to `to`
// (excluded), or -1 where none of it has arrived: the pieces in order from
// the one at index `first`.
function loudestIn(pieces, first, from, to) {
  let peak = -1;
  for (let p = first; p < pieces.length; ++p) {
    const piece = pieces[p];
    if (piece.start >= to) break;
    if (piece.end <= from) continue;
    const { buffer } = piece;
    const sampleOf = (t) => Math.min(buffer.length,
      Math.round(piece.offset * buffer.sampleRate) + Math.floor((t - piece.start) * buffer.sampleRate));
    const first = sampleOf(Math.max(from, piece.start));
    if (first >= buffer.length) continue;
    peak = Math.max(peak, loudest(buffer, first, Math.max(sampleOf(Math.min(to, piece.end)), first + 1)));
  }
  return peak;
}

const redraw = addLayer(10, (g, height) => {
  const { width } = g.canvas;
  g.fillStyle = '#101014';
  g.fillRect(0, 0, width, height);
  const music = decodedMusic();
  if (!music) return;
  const top = rows().wave;
  g.fillStyle = '#4a6a8a';
  let next = 0;   // the first piece that may still reach a column
  for (let x = 0; x < width; ++x) {
    const from = timeOf(x);
    while (next < music.length && music[next].end <= from) ++next;
    if (next === music.length) break;
    const peak = loudestIn(music, next, from, timeOf(x + 1));
    if (peak < 0) continue;
    const h = peak * (height - top);
    g.fillRect(x, top + (height - top - h) / 2, 1, Math.max(1, h));
  }
});

// The music decoded, arriving or replaced: the strip spans it and draws it again.
export function musicChanged() {
  setLengths({ music: musicLength() });
  redraw();
}
onMusic(musicChanged);
