// The stretch of time that the strip shows: the whole show (or the whole
// music, where that is longer), or a part of it zoomed in, down to a frame
// of the 30 frames a second grid a few dozen pixels wide; zoomed about the
// pointer or the playhead, scrolled, and following the playhead out of
// sight. Times are seconds, x the strip's own pixels.
const MAX_PIXELS_PER_FRAME = 32;
const ZOOMED_OUT = { from: 0, span: 1 };

let total = 1;          // the seconds the strip spans zoomed out
let width = 1;          // the strip's width in its pixels
let fps = 30;
let { from, span } = ZOOMED_OUT;
const watchers = [];

const shortest = () => Math.min(total, width / (fps * MAX_PIXELS_PER_FRAME));

function changed() {
  span = Math.max(shortest(), Math.min(total, span));
  from = Math.max(0, Math.min(total - span, from));
  for (const watch of watchers) watch();
}

// watch() is called after every change of what the strip shows.
export const onViewChange = (watch) => watchers.push(watch);

export const xOf = (t) => ((t - from) / span) * width;
export const timeOf = (x) => Math.max(0, Math.min(total, from + (x / width) * span));
export const visible = () => ({ from, to: from + span });
export const zoomedIn = () => span < total;

// The show's length or the music's, the longer; the strip's pixels; the
// frame grid's rate. Zoomed out, the strip follows a new length.
export function setExtent(seconds, pixels, gridFps = fps) {
  const length = Math.max(seconds, 1 / gridFps);
  if (length === total && pixels === width && gridFps === fps) return;
  const whole = !zoomedIn();
  total = length;
  width = Math.max(1, pixels);
  fps = gridFps;
  if (whole) span = total;
  changed();
}

// factor > 1 zooms in, about time t, which keeps its place on the strip.
export function zoom(factor, t) {
  const share = (t - from) / span;
  span /= factor;
  from = t - share * span;
  changed();
}

export function zoomOut() {
  from = 0;
  span = total;
  changed();
}

export function scroll(seconds) {
  from += seconds;
  changed();
}

// The playhead at t kept in sight: a playhead that leaves the strip turns
// the page to it, a tenth of the strip from its left edge.
export function follow(t) {
  if (t >= from && t <= from + span) return;
  from = t - span / 10;
  changed();
}
