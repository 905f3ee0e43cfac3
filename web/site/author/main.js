// The page's author mode (?edit): the show paused, sought and stepped with
// the music in step (playback.js), and a strip under the picture (strip.js,
// its stretch of time view.js) with the waveform (waveform.js, drawn as the
// music arrives), the timing's segments and handles (handles.js), where the
// ordinary show breaks the flash rule (rule_breaks.js) and the sync marks
// (marks.js); what the author made kept in the browser (storage.js),
// opened from and saved to files (files.js), any music (music.js) with its
// beats and bars and the timing fitted to them (beats.js), all at the
// author's keys and pointer (input.js, pointer.js). ../page/main.js
// loads it in author mode only and hands the program's calls on to it; the
// program (web/author_mode.cpp) keeps the frames, the marks and the timing,
// reads the files opened, keeps the steps to undo and says what it refused.
import { musicLength, prepareAudio } from '../page/sound.js';
import { byId } from '../page/status.js';
import { save, setFileLimits } from './files.js';
import { shownBeats } from './beats.js';
import { setHandles, setTiming } from './handles.js';
import './input.js';
import { setMarks } from './marks.js';
import { holdOwnMusic, playHeld, restoreMusic } from './music.js';
import { frame, musicTime, startPlaying } from './playback.js';
import { setRuleBreaks } from './rule_breaks.js';
import { keepMarks, keepTiming, restoreWork } from './storage.js';
import { drawTimes } from './strip.js';
import { visible } from './view.js';
import { musicChanged } from './waveform.js';

export { frame, save, setHandles as handles, playHeld as playMusic, setRuleBreaks as ruleBreaks };

// The music arrives: the strip shows from then on, its waveform drawn as
// each piece of the music is decoded.
export function musicArriving() {
  byId('editor').hidden = false;
  musicChanged();
}

// Everything has arrived and the music is decoded (or not): the strip drawn
// with it; maxFileBytes holds the largest sync.txt and timing file the
// program reads, { sync, timing }.
export function ready(maxFileBytes, musicName) {
  setFileLimits(maxFileBytes);
  holdOwnMusic(musicName);
}

// What the program hands over is kept from when what was kept came back:
// the timing it starts with would otherwise replace the one kept.
let restored = false;

// The first click: the marks, the timing and the music this browser kept
// come back, and the show plays from its start, the music with it. The
// sound is readied in the click itself: a music opened later plays too.
export async function start() {
  byId('editor').hidden = false;
  prepareAudio();
  await restoreMusic();
  restoreWork();
  restored = true;
  startPlaying();
}

// The program's marks, in the order recorded, and the text it keeps them in.
export function marks(list, kept) {
  setMarks(list);
  if (restored) keepMarks(kept, list.length);
}

// The program's timing: the segments' bounds, the handles' times, and the
// text it keeps the timing in.
export function timing(bounds, handleTimes, kept) {
  setTiming(bounds, handleTimes);
  if (restored) keepTiming(kept);
}

// For the tests and the authors' tools: the demo clock and the position
// of the music being heard, read together, the music's length, the strip's
// drawing times, the stretch of time it shows and the music's beats on it.
window.orvelAuthor = {
  beats: shownBeats,
  demoTime: () => Module._orvel_edit_clock(),
  musicTime,
  stripMs: drawTimes,
  stripSpan: visible,
  musicLength,
};
