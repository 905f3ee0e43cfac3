// Author mode's playing and pausing, seeking and stepping, with the music
// started from the picture's time, a moment ahead, so that the moment it is
// heard is known and the program's clock can start with it. The program
// (web/author_mode.cpp) draws the frames; frame() is its word on each.
import {
  audioContext, awaitOutput, decodedMusic, heardIn, heardNow, playMusicSoon, prepareAudio, silent,
  stopMusic as stopSound,
} from '../page/sound.js';
import { byId, root, say, setState } from '../page/status.js';
import { setPlayhead } from './strip.js';

let playing = false;
let silentStart = false;
let heardFrom = null;  // { offset, contextTime }: where the music was started from

export const isPlaying = () => playing;

// The music from demo time t; returns the seconds until it is heard, for
// the program's clock.
function playMusicFrom(t) {
  stopSound();
  heardFrom = null;
  const context = audioContext();
  if (!context || !decodedMusic() || silentStart) return 0;
  const when = playMusicSoon(t, false);
  heardFrom = { offset: t, contextTime: when };
  return heardIn(context, when);
}

export function stopMusic() {
  stopSound();
  heardFrom = null;
}

// The position of the music being heard, or null when none plays.
export function musicTime() {
  const context = audioContext();
  if (!heardFrom || !context) return null;
  return heardFrom.offset + Math.max(0, heardNow(context) - heardFrom.contextTime);
}

export function resume() {
  if (playing) return;
  const latency = playMusicFrom(Module._orvel_edit_time());
  Module._orvel_edit_resume(latency);
}

export function pause() {
  stopMusic();
  Module._orvel_edit_pause();
}

// Sought while playing, the show plays on from there.
export function seek(t) {
  const wasPlaying = playing;
  stopMusic();
  Module._orvel_edit_seek(t);
  if (wasPlaying) resume();
}

export function step(frames) {
  stopMusic();
  Module._orvel_edit_step(frames);
}

// The first click: the show plays from its start, the music with it.
export function startPlaying() {
  if (decodedMusic()) prepareAudio();
  // The context made in the click runs a moment later, and says where
  // its output is later still; its first word on that is off by a few
  // hundredths. The music and the clock start together once it has
  // played a tenth of a second (or half a second on, without it).
  const context = audioContext();
  const outputSettled = () => new Promise((done) => {
    const since = performance.now();
    const look = () => {
      const stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : null;
      if ((stamp && stamp.contextTime >= 0.1) || performance.now() - since > 500) done(); else setTimeout(look, 10);
    };
    look();
  });
  if (!context) {
    if (decodedMusic()) say('No sound: this browser cannot play the music; author mode plays silent');
    resume();
    return;
  }
  awaitOutput(outputSettled).then((why) => {
    if (why) {
      silentStart = true;
      silent(why);
      say(`No sound: ${why}; author mode plays silent`);
    }
    resume();
  });
}

// The program's word on the frame on screen: its time and segment, playing or paused.
export function frame(t, nowPlaying, segment) {
  if (playing && !nowPlaying) stopMusic();
  playing = nowPlaying;
  root.dataset.time = t.toFixed(3);
  root.dataset.segment = String(segment);
  byId('play-pause').textContent = nowPlaying ? 'Pause' : 'Play';
  setState(nowPlaying ? 'playing' : 'paused');
  setPlayhead(t);
}
