// The pointer on the strip. A handle's knob taken is dragged (snapped to
// the marks, the music's bars and beats and the frame grid unless SHIFT is
// held; the program draws the picture at the playhead with each new time,
// and the whole drag is one step to undo); a bar line of the music dragged
// with ALT moves the first downbeat as many beats as it went; a click near
// a mark selects it and shows it; elsewhere a click or a drag seeks, paused, and plays on where it lets go. The wheel
// with CTRL (a touchpad's pinch too) or two fingers' pinch zoom about the
// pointer; the wheel alone scrolls a zoomed strip.
import { root } from '../page/status.js';
import { barIndexNear, beatIndexNear, shiftDownbeat } from './beats.js';
import { handleNear, select as selectHandle, snapped } from './handles.js';
import { markNear, select as selectMark } from './marks.js';
import { isPlaying, resume, stopMusic } from './playback.js';
import { eventX, eventY, pixelRatio, strip } from './strip.js';
import { scroll, timeOf, visible, zoom, zoomedIn } from './view.js';

// How near, in CSS pixels, ALT and the pointer take a bar line.
const GRAB_PX = 6;

const running = () => root.dataset.orvel === 'playing' || root.dataset.orvel === 'paused';

let dragging = null;   // { handle }, { bar } (a beat's number) or { wasPlaying }
const touches = new Map();
let pinch = null;      // { distance }

function moveHandle(e) {
  const x = eventX(e);
  const t = timeOf(x);
  Module._orvel_edit_move(dragging.handle, e.shiftKey ? t : snapped(t, x));
}

strip.addEventListener('pointerdown', (e) => {
  if (!running() || e.button !== 0) return;
  if (e.pointerType === 'touch') touches.set(e.pointerId, e);
  if (touches.size === 2) {
    dragging = null;
    return;
  }
  const x = eventX(e);
  strip.setPointerCapture(e.pointerId);
  const bar = e.altKey ? barIndexNear(timeOf(x), x, GRAB_PX * pixelRatio()) : -1;
  if (bar >= 0) {
    dragging = { bar };
    return;
  }
  const handle = handleNear(x, eventY(e));
  if (handle >= 0) {
    selectHandle(handle);
    dragging = { handle };
    return;
  }
  const near = markNear(x);
  if (near) {
    selectMark(near.index, true);
    return;
  }
  dragging = { wasPlaying: isPlaying() };
  stopMusic();
  Module._orvel_edit_seek(timeOf(x));
});

function pinchDistance() {
  const [a, b] = [...touches.values()];
  return Math.abs(a.clientX - b.clientX);
}

strip.addEventListener('pointermove', (e) => {
  if (touches.has(e.pointerId)) {
    touches.set(e.pointerId, e);
    if (touches.size === 2) {
      const distance = Math.max(1, pinchDistance());
      const [a, b] = [...touches.values()];
      const middle = ((a.offsetX + b.offsetX) / 2 / strip.clientWidth) * strip.width;
      if (pinch) zoom(distance / pinch.distance, timeOf(middle));
      pinch = { distance };
      return;
    }
  }
  if (!dragging) return;
  if (dragging.handle !== undefined) moveHandle(e);
  else if (dragging.bar === undefined) Module._orvel_edit_seek(timeOf(eventX(e)));
});

function release(e) {
  touches.delete(e.pointerId);
  if (touches.size < 2) pinch = null;
  if (!dragging) return;
  if (dragging.handle !== undefined) {
    Module._orvel_edit_finish_move();
  } else if (dragging.bar !== undefined) {
    const x = eventX(e);
    const to = beatIndexNear(timeOf(x), x, Infinity);
    if (to >= 0 && to !== dragging.bar) shiftDownbeat(to - dragging.bar);
  } else if (dragging.wasPlaying) {
    resume();
  }
  dragging = null;
}
strip.addEventListener('pointerup', release);
strip.addEventListener('pointercancel', release);

strip.addEventListener('wheel', (e) => {
  if (!running()) return;
  const delta = e.deltaMode === WheelEvent.DOM_DELTA_LINE ? e.deltaY * 16 : e.deltaY;
  if (e.ctrlKey || e.metaKey) {
    zoom(Math.exp(-delta / 300), timeOf(eventX(e)));
  } else if (zoomedIn()) {
    const { from, to } = visible();
    const along = Math.abs(e.deltaX) > Math.abs(e.deltaY) ? e.deltaX : delta;
    scroll((along / strip.clientWidth) * (to - from));
  } else {
    return;
  }
  e.preventDefault();
}, { passive: false });
