// What the author does with the keys and the controls. The keys act on the
// timeline whatever has the focus: a click leaves no control with the
// keyboard. The show's own keys (END among them) go to the program; the
// strip's pointer is pointer.js's.
import { byId, root } from '../page/status.js';
import { shiftDownbeat } from './beats.js';
import { openChosen } from './files.js';
import { nudge, selectBeside, toPlayhead, toSelectedMark } from './handles.js';
import { deleteSelected, jumpToMark, select } from './marks.js';
import { isPlaying, pause, resume, seek, step } from './playback.js';
import './pointer.js';
import { zoom, zoomOut } from './view.js';

const running = () => root.dataset.orvel === 'playing' || root.dataset.orvel === 'paused';
const toggleKeyHelp = () => { byId('key-help').hidden = !byId('key-help').hidden; };
const playOrPause = () => (isPlaying() ? pause() : resume());
const ZOOM_STEP = 2;

// The keys without CTRL, ALT or ⌘, by KeyboardEvent.key (a letter in
// lower case); each is listed in index.html's key help.
const keys = {
  ' ': playOrPause,
  ArrowLeft: (e) => (e.shiftKey ? step(-1) : seek(Module._orvel_edit_clock() - 1)),
  ArrowRight: (e) => (e.shiftKey ? step(1) : seek(Module._orvel_edit_clock() + 1)),
  ArrowUp: () => jumpToMark(-1),
  ArrowDown: () => jumpToMark(1),
  Escape: () => { if (isPlaying()) pause(); },
  Delete: deleteSelected,
  '?': toggleKeyHelp,
  '[': () => selectBeside(-1, Module._orvel_edit_clock()),
  ']': () => selectBeside(1, Module._orvel_edit_clock()),
  h: () => toPlayhead(Module._orvel_edit_time()),
  m: toSelectedMark,
  d: (e) => shiftDownbeat(e.shiftKey ? -1 : 1),
  ',': () => nudge(-1),
  '.': () => nudge(1),
  '+': () => zoom(ZOOM_STEP, Module._orvel_edit_clock()),
  '=': () => zoom(ZOOM_STEP, Module._orvel_edit_clock()),
  '-': () => zoom(1 / ZOOM_STEP, Module._orvel_edit_clock()),
  0: zoomOut,
};

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
  } else if (!command && !e.altKey && Object.hasOwn(keys, key)) {
    keys[key](e);
  } else {
    return;
  }
  e.preventDefault();
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
byId('save-timing').addEventListener('click', () => Module._orvel_edit_save_timing());
byId('reset-timing').addEventListener('click', () => Module._orvel_edit_reset_timing());
byId('show-keys').addEventListener('click', toggleKeyHelp);
for (const [id, kind] of [['open-sync', 'sync'], ['open-timing', 'timing'], ['open-music', 'music']]) {
  byId(id).addEventListener('change', (e) => {
    openChosen(e.target.files[0], kind);
    // The same file can be opened again.
    e.target.value = '';
    e.target.blur();
  });
}
