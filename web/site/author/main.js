// The page's author mode (?edit): the show paused, sought and stepped with
// the music in step (playback.js), and a strip under the picture (strip.js)
// with the sync marks (marks.js), kept in the browser (storage.js), opened
// from and saved to files (files.js), all at the author's keys and pointer
// (input.js). ../page/main.js loads it in author mode only and hands the
// program's calls on to it; the program (web/author_mode.cpp) keeps the
// frames and the marks, reads the files opened, keeps the steps to undo and
// says what it refused.
import { onMusic } from '../page/sound.js';
import { byId } from '../page/status.js';
import { save, setFileLimit } from './files.js';
import './input.js';
import { setMarks } from './marks.js';
import { frame, musicTime, startPlaying } from './playback.js';
import { keep, restore } from './storage.js';
import { addMusic, drawAll, drawTimes, setSchedule } from './strip.js';

export { frame, save };

// The music arrives: the strip shows from then on, its waveform drawn as
// each piece of the music is decoded.
export function musicArriving() {
  byId('editor').hidden = false;
  drawAll();
}
onMusic(addMusic);

// Everything has arrived and the music is decoded (or not): the strip drawn
// with it; maxSyncFileBytes is the largest file that can be a sync.txt.
export function ready(maxSyncFileBytes) {
  setFileLimit(maxSyncFileBytes);
  drawAll();
}

// The first click: the show plays from its start, the music with it, and
// the marks this browser kept come back.
export function start() {
  restore();
  startPlaying();
}

// The program's marks, in the order recorded, and the text it keeps them in.
export function marks(list, kept) {
  setMarks(list);
  keep(kept, list.length);
}

// The segments' bounds and the schedule's other moments, for the strip.
export const schedule = setSchedule;

// For the tests and the authors' tools: the demo clock and the position
// of the music being heard, read together, and the strip's drawing times.
window.orvelAuthor = {
  demoTime: () => Module._orvel_edit_clock(),
  musicTime,
  stripMs: drawTimes,
};
