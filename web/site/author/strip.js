// The strip under the picture: the music's waveform, the segments with
// their numbers, the schedule's other moments as ticks, the sync marks and
// the playhead, over the show's whole length. Drawn in layers, each kept
// until what it shows changes: the waveform and the schedule, then the
// marks, then the playhead at every frame.
import { decodedMusic } from '../page/sound.js';
import { byId } from '../page/status.js';

export const strip = byId('strip');
const context = strip.getContext('2d');
let bounds = [];
let moments = [];
let marks = [];        // [{ time, index }]
let selected = -1;     // the program's index of the selected mark
let shown = 0;
let peaks = null;      // the loudest sample under each column, from the music's pieces so far
let wave = null;       // the waveform, segments and moments
let layer = null;      // wave with the marks
const stripMs = [];

const end = () => bounds[bounds.length - 1] || 1;
export const xOf = (t) => (t / end()) * strip.width;
export const timeOf = (x) => Math.max(0, Math.min(end(), (x / strip.width) * end()));
// The strip's x, in its own pixels, of a pointer event on it.
export const eventX = (e) => (e.offsetX / strip.clientWidth) * strip.width;

function stripSizedCanvas() {
  const c = document.createElement('canvas');
  c.width = strip.width;
  c.height = strip.height;
  return c;
}

// A piece of the music's samples into the peaks of the columns it spans.
function addPeaks(piece) {
  const rate = piece.buffer.sampleRate;
  const samples = piece.buffer.getChannelData(0);
  const first = Math.round(piece.offset * rate);
  const count = Math.min(Math.round((piece.end - piece.start) * rate), samples.length - first);
  const perColumn = (end() * rate) / strip.width;
  const start = piece.start * rate;
  for (let i = 0; i < count; ++i) {
    const x = Math.floor((start + i) / perColumn);
    if (x >= peaks.length) break;
    peaks[x] = Math.max(peaks[x], Math.abs(samples[first + i]));
  }
}

function drawWave() {
  const { width, height } = strip;
  wave = stripSizedCanvas();
  const g = wave.getContext('2d');
  g.fillStyle = '#101014';
  g.fillRect(0, 0, width, height);
  // The waveform: the loudest sample under each column of the strip.
  if (!peaks) {
    // -1: no sample of the column has arrived yet.
    peaks = new Float32Array(width).fill(-1);
    for (const piece of decodedMusic() || []) addPeaks(piece);
  }
  g.fillStyle = '#4a6a8a';
  for (let x = 0; x < width; ++x) {
    if (peaks[x] < 0) continue;
    const h = peaks[x] * (height - 18);
    g.fillRect(x, 18 + (height - 18 - h) / 2, 1, Math.max(1, h));
  }
  // Segments: a line at each bound and the segment's number after it.
  g.fillStyle = '#888';
  g.font = '10px sans-serif';
  for (let s = 1; s < bounds.length; ++s) {
    const x = Math.round(xOf(bounds[s - 1]));
    g.fillRect(x, 0, 1, height);
    if (xOf(bounds[s]) - x > 9) g.fillText(String(s), x + 2, 10);
  }
  g.fillStyle = '#d0a040';
  for (const t of moments) g.fillRect(Math.round(xOf(t)), 12, 1, 6);
}

function drawLayer() {
  if (!wave) drawWave();
  layer = stripSizedCanvas();
  const g = layer.getContext('2d');
  g.drawImage(wave, 0, 0);
  for (const mark of marks) {
    g.fillStyle = mark.index === selected ? '#ffffff' : '#ff5050';
    g.fillRect(Math.round(xOf(mark.time)) - 1, 18, 2, strip.height - 18);
  }
}

function draw() {
  const begin = performance.now();
  if (!layer) drawLayer();
  context.drawImage(layer, 0, 0);
  context.fillStyle = '#40ff80';
  context.fillRect(Math.round(xOf(shown)), 0, 1, strip.height);
  stripMs.push(performance.now() - begin);
  if (stripMs.length > 1000) stripMs.shift();
}

// The segments' bounds (the last is the show's end) and the other moments.
export function setSchedule(segmentBounds, scheduleMoments) {
  bounds = segmentBounds;
  moments = scheduleMoments;
  peaks = null;
  wave = null;
  layer = null;
}

// A piece of the music as it arrives (null: the music was replaced): the
// waveform drawn again with it.
export function addMusic(piece) {
  if (!piece || !peaks) peaks = null;
  else addPeaks(piece);
  wave = null;
  layer = null;
  draw();
}

// The music decoded (or not): drawn again with it.
export function drawAll() {
  wave = null;
  layer = null;
  draw();
}

export function setMarks(list, selectedIndex) {
  marks = list;
  selected = selectedIndex;
  layer = null;
  draw();
}

export function setPlayhead(t) {
  shown = t;
  draw();
}

// The milliseconds of the last draws, for the authors' tools.
export const drawTimes = () => stripMs.slice();
