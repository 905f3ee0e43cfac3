// The strip under the picture, as wide as the window: the layers that
// author mode's modules add (the waveform, the timing's segments and
// handles, the marks; any other that a module adds slots in by its order),
// each kept as a picture until what it shows changes, and the playhead
// drawn over them at every frame. The strip spans the stretch of time that
// view.js says.
import { byId } from '../page/status.js';
import { follow, onViewChange, setExtent, xOf } from './view.js';

export const strip = byId('strip');
const context = strip.getContext('2d');
const layers = [];     // { order, draw(g, height), image }, by order
let composed = null;   // the layers drawn together
let shown = 0;
let fps = 30;
const lengths = { show: 1, music: 0 };
const stripMs = [];

// Strip pixels a CSS pixel, for the sizes said in CSS pixels.
export const pixelRatio = () => devicePixelRatio || 1;

// The strip's rows, from the top, in its pixels: the segments' numbers and
// the handles of their bounds, the handles of the moments inside segments,
// then the waveform and the marks.
export function rows() {
  const r = pixelRatio();
  return { moments: Math.round(15 * r), wave: Math.round(30 * r), height: strip.height };
}

// The strip's x, in its own pixels, of a pointer event on it.
export const eventX = (e) => (e.offsetX / strip.clientWidth) * strip.width;
export const eventY = (e) => (e.offsetY / strip.clientHeight) * strip.height;

function sizedCanvas() {
  const c = document.createElement('canvas');
  c.width = strip.width;
  c.height = strip.height;
  return c;
}

function draw() {
  const begin = performance.now();
  if (!composed) {
    composed = sizedCanvas();
    const g = composed.getContext('2d');
    for (const layer of layers) {
      if (!layer.image) {
        layer.image = sizedCanvas();
        layer.draw(layer.image.getContext('2d'), strip.height);
      }
      g.drawImage(layer.image, 0, 0);
    }
  }
  context.drawImage(composed, 0, 0);
  context.fillStyle = '#40ff80';
  context.fillRect(Math.round(xOf(shown)), 0, Math.max(1, Math.round(pixelRatio())), strip.height);
  stripMs.push(performance.now() - begin);
  if (stripMs.length > 1000) stripMs.shift();
}

function redrawAll() {
  for (const layer of layers) layer.image = null;
  composed = null;
  draw();
}

// A layer of the strip: draw(g, height) paints it on a transparent canvas
// of the strip's size, lower orders first. Returns the function that draws
// it again, for when what it shows changes.
export function addLayer(order, paint) {
  const layer = { order, draw: paint, image: null };
  layers.push(layer);
  layers.sort((a, b) => a.order - b.order);
  return () => {
    layer.image = null;
    composed = null;
    draw();
  };
}

function fitExtent() {
  setExtent(Math.max(lengths.show, lengths.music), strip.width, fps);
}

// The show's end, the music's length (0: none), and the frame grid's rate:
// the strip spans the longer length, and zooms in to a few frames.
export function setLengths({ show = lengths.show, music = lengths.music, gridFps = fps }) {
  lengths.show = show;
  lengths.music = music;
  fps = gridFps;
  fitExtent();
}

export function setPlayhead(t) {
  shown = t;
  follow(t);
  draw();
}

// The strip's drawing buffer as large as it shows, at the screen's pixels.
new ResizeObserver(() => {
  const width = Math.round(strip.clientWidth * pixelRatio());
  const height = Math.round(strip.clientHeight * pixelRatio());
  if (width === 0 || (width === strip.width && height === strip.height)) return;
  strip.width = width;
  strip.height = height;
  fitExtent();
  // A resized canvas is blank, whether or not the view changed.
  redrawAll();
}).observe(strip);

onViewChange(redrawAll);

// The milliseconds of the last draws, for the authors' tools.
export const drawTimes = () => stripMs.slice();
