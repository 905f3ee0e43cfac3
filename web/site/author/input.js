// What the author does with the keys, the strip and the controls. The
// keys act on the timeline whatever has the focus: a click leaves no
// control with the keyboard. The show's own keys (END among them) go to the
// program.
import { byId, root } from '../page/status.js';
import { deleteSelected, jumpToMark, markNear, select } from './marks.js';
import { isPlaying, pause, resume, seek, step, stopMusic } from './playback.js';
import { eventX, strip, timeOf } from './strip.js';

const running = () => root.dataset.orvel === 'playing' || root.dataset.orvel === 'paused';
const toggleKeyHelp = () => { byId('key-help').hidden = !byId('key-help').hidden; };
const playOrPause = () => (isPlaying() ? pause() : resume());

addEventListener('keydown', (e) => {
  if (!running()) return;
  // A control reached with Tab takes Space and Enter as its own click.
  if ((e.key === ' ' || e.key === 'Enter') && e.target.closest('button')) return;
  const command = e.ctrlKey || e.metaKey;
  const key = e.key.length === 1 ? e.key.toLowerCase() : e.key;
  if (command && key === 'z') {
    if (e.shiftKey) Module._orvel_edit_redo(); else Module._orvel_edit_undo();
  } else if (command && key === 'y') {
    Module._orvel_edit_redo();
  } else if (command || e.altKey) {
    return;
  } else if (e.key === ' ') {
    playOrPause();
  } else if (e.key === 'ArrowLeft' || e.key === 'ArrowRight') {
    const sign = e.key === 'ArrowLeft' ? -1 : 1;
    if (e.shiftKey) step(sign); else seek(Module._orvel_edit_clock() + sign);
  } else if (e.key === 'ArrowUp' || e.key === 'ArrowDown') {
    jumpToMark(e.key === 'ArrowUp' ? -1 : 1);
  } else if (e.key === 'Escape') {
    if (isPlaying()) pause();
  } else if (e.key === 'Delete') {
    deleteSelected();
  } else if (e.key === '?') {
    toggleKeyHelp();
  } else {
    return;
  }
  e.preventDefault();
});

// A click on the strip seeks there, or to a mark within a few pixels; a
// drag follows the pointer, paused, and plays on where it lets go.
let dragging = null;
strip.addEventListener('pointerdown', (e) => {
  if (!running()) return;
  const x = eventX(e);
  const near = markNear(x);
  if (near) {
    select(near.index, true);
    return;
  }
  dragging = { wasPlaying: isPlaying() };
  strip.setPointerCapture(e.pointerId);
  stopMusic();
  Module._orvel_edit_seek(timeOf(x));
});
strip.addEventListener('pointermove', (e) => {
  if (dragging) Module._orvel_edit_seek(timeOf(eventX(e)));
});
strip.addEventListener('pointerup', () => {
  if (dragging && dragging.wasPlaying) resume();
  dragging = null;
});

byId('marks').addEventListener('click', (e) => {
  const item = e.target.closest('li');
  if (item) select(Number(item.dataset.index), true);
});

// A click leaves no control with the keyboard: the keys reach the
// timeline after it, and act once (a focused button would take Space
// and Enter as its own click too).
byId('controls').addEventListener('mousedown', (e) => {
  if (e.target.closest('button, label')) e.preventDefault();
});
byId('play-pause').addEventListener('click', playOrPause);
byId('delete-mark').addEventListener('click', deleteSelected);
byId('clear-marks').addEventListener('click', () => Module._orvel_edit_clear_marks());
byId('save-sync').addEventListener('click', () => Module._orvel_edit_save());
byId('show-keys').addEventListener('click', toggleKeyHelp);
