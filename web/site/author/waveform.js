// The strip's lowest layer: its background and the music's waveform, the
// loudest sample under each column. The loudest of each block of samples
// is found once for a music, so that a zoomed-out strip reads a few
// thousand values a column instead of the samples themselves.
import { decodedMusic } from '../page/sound.js';
import { addLayer, rows, setLengths } from './strip.js';
import { timeOf } from './view.js';

const BLOCK = 256;
let blocks = null;     // { music, peaks }: the loudest of each BLOCK samples

function peaksOf(music) {
  if (blocks && blocks.music === music) return blocks.peaks;
  const samples = music.getChannelData(0);
  const peaks = new Float32Array(Math.ceil(samples.length / BLOCK));
  for (let b = 0; b < peaks.length; ++b) {
    let peak = 0;
    const last = Math.min(samples.length, (b + 1) * BLOCK);
    for (let i = b * BLOCK; i < last; ++i) peak = Math.max(peak, Math.abs(samples[i]));
    peaks[b] = peak;
  }
  blocks = { music, peaks };
  return peaks;
}

// The loudest sample from first to last (excluded).
function loudest(music, first, last) {
  const samples = music.getChannelData(0);
  const peaks = peaksOf(music);
  let peak = 0;
  let i = first;
  for (; i < last && i % BLOCK !== 0; ++i) peak = Math.max(peak, Math.abs(samples[i]));
  for (; i + BLOCK <= last; i += BLOCK) peak = Math.max(peak, peaks[i / BLOCK]);
  for (; i < last; ++i) peak = Math.max(peak, Math.abs(samples[i]));
  return peak;
}

const redraw = addLayer(10, (g, height) => {
  const { width } = g.canvas;
  g.fillStyle = '#101014';
  g.fillRect(0, 0, width, height);
  const music = decodedMusic();
  if (!music) return;
  const top = rows().wave;
  const samples = music.getChannelData(0).length;
  const sampleAt = (x) => Math.min(samples, Math.floor(timeOf(x) * music.sampleRate));
  g.fillStyle = '#4a6a8a';
  for (let x = 0; x < width; ++x) {
    const first = sampleAt(x);
    const last = sampleAt(x + 1);
    if (first >= samples) break;
    const h = loudest(music, first, Math.max(last, first + 1)) * (height - top);
    g.fillRect(x, top + (height - top - h) / 2, 1, Math.max(1, h));
  }
});

// The music decoded or replaced: the strip spans it and draws it again.
export function musicChanged() {
  const music = decodedMusic();
  setLengths({ music: music ? music.duration : 0 });
  redraw();
}
