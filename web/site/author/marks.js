// The sync marks as the program hands them over, listed beside the picture
// in order of time and drawn on the strip (a layer of it), one of them
// selected; the mark before or after the picture on screen. The program
// keeps the marks and every change to them (END, Delete, a file, undo).
import { byId, say } from '../page/status.js';
import { seek } from './playback.js';
import { addLayer, pixelRatio, rows } from './strip.js';
import { xOf } from './view.js';

let marks = [];        // [{ time, index }] by time; index is the program's
let selected = -1;     // the program's index of the selected mark

const drawMarks = addLayer(30, (g, height) => {
  const top = rows().wave;
  const w = Math.round(2 * pixelRatio());
  for (const mark of marks) {
    g.fillStyle = mark.index === selected ? '#ffffff' : '#ff5050';
    g.fillRect(Math.round(xOf(mark.time)) - w / 2, top, w, height - top);
  }
});

// A mark's time as sync.txt writes it, to the microsecond: where a handle
// put on the mark goes.
export const markSeconds = (mark) => Number(mark.time.toFixed(6));
export const markList = () => marks;
export const selectedMark = () => marks.find((m) => m.index === selected);

function listMarks() {
  byId('marks').replaceChildren(...marks.map((mark) => {
    const item = document.createElement('li');
    item.textContent = mark.time.toFixed(3) + ' s';
    item.dataset.time = mark.time.toFixed(3);
    item.dataset.index = String(mark.index);
    if (mark.index === selected) item.className = 'selected';
    return item;
  }));
  byId('delete-mark').disabled = selected < 0;
  byId('clear-marks').disabled = marks.length === 0;
  drawMarks();
}

// The program's marks, in the order recorded. The selected mark stays
// selected where it still is; a list that put another mark at its index (a
// file opened, an undo) selects none, so that Delete takes out only a mark
// the author chose.
export function setMarks(list) {
  const was = marks.find((m) => m.index === selected);
  marks = list.map((time, index) => ({ time, index })).sort((a, b) => a.time - b.time);
  if (!was || list[selected] !== was.time) selected = -1;
  listMarks();
}

export function select(index, seekToIt) {
  selected = index;
  listMarks();
  const mark = marks.find((m) => m.index === index);
  if (seekToIt && mark) seek(mark.time);
}

// The mark within a few pixels of the strip's x, if any.
export const markNear = (x) => marks.find((m) => Math.abs(xOf(m.time) - x) <= 3 * pixelRatio());

// The mark before (-1) or after (+1) the picture on screen, selected and shown.
export function jumpToMark(direction) {
  const now = Module._orvel_edit_clock();
  const EPSILON = 1e-4;
  const found = direction < 0 ? marks.filter((m) => m.time < now - EPSILON).pop()
    : marks.find((m) => m.time > now + EPSILON);
  if (found) select(found.index, true);
  else say(direction < 0 ? 'No mark before this one' : 'No mark after this one');
}

export function deleteSelected() {
  if (selected < 0) return;
  const index = selected;
  selected = -1;
  Module._orvel_edit_delete_mark(index);
}
