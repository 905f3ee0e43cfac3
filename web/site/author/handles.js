// The timing on the strip (a layer of it): the segments with their numbers,
// and the handles, the times an author moves one at a time (each segment's
// start, the end, and the flashes, stripes, waves and pulse inside
// segments 4 and 5), one of them selected. A handle goes where a drag or a
// key puts it, snapped to a mark, the music's bars and beats and the frame
// grid within a few pixels;
// the program (web/author_mode.cpp) keeps the timing, refuses a time that
// breaks a rule and draws the picture with the new times.
import { byId, say } from '../page/status.js';
import { barNear, beatNear } from './beats.js';
import { markList, markSeconds, selectedMark } from './marks.js';
import { addLayer, pixelRatio, rows, setLengths } from './strip.js';
import { xOf } from './view.js';

// How near, in CSS pixels, a pointer takes a handle, and a handle snaps.
const GRAB_PX = 6;
const SNAP_PX = 6;

let names = [];        // the program's names of the handles, by number
let kinds = [];        // 'b' a segment's bound, 'w' a window's beginning (the next handle ends it), 'm' a moment
let fps = 30;
let bounds = [];       // the segments' bounds: 0, the starts, the end
let times = [];        // each handle's time, by number
let selected = -1;

const isBound = (h) => kinds[h] === 'b';
const showEnd = () => bounds[bounds.length - 1] || 0;

function drawTiming(g, height) {
  const { moments, wave } = rows();
  const r = pixelRatio();
  g.font = `${Math.round(10 * r)}px sans-serif`;
  // Segment 4's flashes as bars between their beginnings and ends.
  g.fillStyle = '#6a5020';
  for (let h = 0; h < times.length; ++h) {
    if (kinds[h] !== 'w') continue;
    g.fillRect(xOf(times[h]), moments + 3 * r, Math.max(1, xOf(times[h + 1]) - xOf(times[h])), 6 * r);
  }
  for (let s = 1; s < bounds.length; ++s) {
    const x = Math.round(xOf(bounds[s - 1]));
    g.fillStyle = '#888';
    g.fillRect(x, 0, Math.max(1, Math.round(r)), height);
    // The number stays in sight while any of its segment is.
    const label = Math.max(x, 0);
    if (xOf(bounds[s]) - label > 12 * r) g.fillText(String(s), label + 7 * r, 11 * r);
  }
  for (let h = 0; h < times.length; ++h) {
    const x = Math.round(xOf(times[h]));
    g.fillStyle = h === selected ? '#ffffff' : isBound(h) ? '#c0c0c0' : '#d0a040';
    const top = isBound(h) ? 0 : moments;
    // A knob to take, and where it is a moment, its tick down the strip's top.
    g.fillRect(x - 3 * r, top, 6 * r, 12 * r);
    if (!isBound(h)) g.fillRect(x, top, Math.max(1, Math.round(r)), wave - top);
  }
}
const drawHandles = addLayer(20, drawTiming);

// The selected handle's line keeps its place among the controls when none
// is selected: shown or not, it never moves the strip under the pointer.
function showSelected() {
  const info = byId('handle');
  info.textContent = selected < 0 ? '' : `${names[selected]}: ${times[selected].toFixed(3)} s`;
  info.style.visibility = selected < 0 ? 'hidden' : 'visible';
}

// Once: the handles' names and kinds, and the rate of the frame grid.
export function setHandles(handleNames, handleKinds, gridRate) {
  names = handleNames;
  kinds = handleKinds;
  fps = gridRate;
}

// The program's timing, after every change: its bounds and handles' times.
export function setTiming(segmentBounds, handleTimes) {
  bounds = segmentBounds;
  times = handleTimes;
  setLengths({ show: showEnd(), gridFps: fps });
  showSelected();
  drawHandles();
}

export function select(handle) {
  selected = handle;
  showSelected();
  drawHandles();
}

export const selectedHandle = () => selected;

// The handle whose knob is within a few pixels of the strip's (x, y), the
// nearest; -1 for none. The top row holds the bounds', the next the moments'.
export function handleNear(x, y) {
  const { moments, wave } = rows();
  if (y >= wave) return -1;
  const boundRow = y < moments;
  let best = -1;
  let distance = GRAB_PX * pixelRatio();
  for (let h = 0; h < times.length; ++h) {
    const d = Math.abs(xOf(times[h]) - x);
    if (isBound(h) === boundRow && d <= distance) {
      best = h;
      distance = d;
    }
  }
  return best;
}

// Where a handle dragged to time t (at strip x) goes: onto a mark within a
// few pixels, else onto a bar line of the music, else onto a beat, else
// onto a frame of the grid, each within a few pixels, else t.
export function snapped(t, x) {
  const near = SNAP_PX * pixelRatio();
  let mark = null;
  for (const m of markList()) {
    if (Math.abs(xOf(m.time) - x) <= near && (!mark || Math.abs(m.time - t) < Math.abs(mark.time - t))) mark = m;
  }
  if (mark) return markSeconds(mark);
  const beat = barNear(t, x, near) ?? beatNear(t, x, near);
  if (beat !== null) return beat;
  const frame = Math.round(t * fps) / fps;
  return Math.abs(xOf(frame) - x) <= near ? frame : t;
}

// True when a handle is selected, else says how to select one.
function handleSelected() {
  if (selected < 0) say('No handle selected: [ and ] select the one before and after the playhead');
  return selected >= 0;
}

// The selected handle to t, as one step to undo.
function moveSelected(t) {
  Module._orvel_edit_move(selected, t);
  Module._orvel_edit_finish_move();
}

// The keys' retiming. The handle before (-1) or after (+1) the playhead at
// t is selected; pressed again at once, the next one on that side.
let walk = null;       // { direction, t, handle }: the last selection by this key
export function selectBeside(direction, t) {
  const order = times.map((time, h) => ({ time, h })).sort((a, b) => a.time - b.time || a.h - b.h);
  let at;
  if (walk && walk.direction === direction && walk.t === t && walk.handle === selected) {
    at = order.findIndex((o) => o.h === selected) + direction;
  } else {
    const EPSILON = 1e-6;
    at = direction < 0 ? order.filter((o) => o.time < t - EPSILON).length - 1
      : order.length - order.filter((o) => o.time > t + EPSILON).length;
  }
  if (!order[at]) return;
  select(order[at].h);
  walk = { direction, t, handle: selected };
}

export function toPlayhead(t) {
  if (handleSelected()) moveSelected(Math.round(t * fps) / fps);
}

export function toSelectedMark() {
  const mark = selectedMark();
  if (!mark) say('No mark selected: \u2191 and \u2193 select the one before and after the playhead');
  else if (handleSelected()) moveSelected(markSeconds(mark));
}

// A frame back (-1) or on (+1), on the grid.
export function nudge(frames) {
  if (handleSelected()) moveSelected((Math.round(times[selected] * fps) + frames) / fps);
}
