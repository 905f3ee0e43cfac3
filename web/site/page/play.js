// Play mode: the show started with its music; where its data cannot come
// in time (a link slower than the show), the wait: the picture and the
// music stop together (or do not start), the panel over the picture says
// so with the seconds left, and both play on together once the rest can
// come before the show needs it at the rate the link has shown, so that a
// steady link costs one wait. Then the end (the end screen, or after ESC
// the text of sync.txt, a link that saves it and a link to the moment on
// screen), and "Play again". data-waits counts the waits of a play.
import { arrivalRate, playThroughWait } from './arrival.js';
import { restartScale } from './fit.js';
import { hideLoading, hideWaiting, showWaiting, start } from './first_screen.js';
import { bytesToCome, percentArrived } from './loading.js';
import { hideMenu } from './menu.js';
import {
  audioContext, awaitOutput, closeAudio, decodedMusic, heardIn, heardMusicSecond, musicPlayedFrom, musicReadyUntil,
  openAudio, playMusicSoon, prepareAudio, setMusicLimit, showLength, silent, stopMusic, watchOutput,
} from './sound.js';
import { byId, root, setState } from './status.js';

// After a wait, the show plays on once this many seconds past it have
// arrived, or all of it.
const PLAY_ON_AFTER = 3;
// How often the seconds left are said again.
const TICK_MS = 1000;

// The demo time before which every frame has its scenes, and the demo time
// the show waits at, or null; whether that wait is before the start.
let scenesUntil = 0;
let stalledAt = null;
let beforeStart = false;

// The seconds to wait at demo time t so that the show plays on to its end.
function waitAt(t) {
  return playThroughWait({ at: t, end: showLength(), rate: arrivalRate(), ...bytesToCome(), scenesUntil,
    musicUntil: musicReadyUntil(t) });
}

// The program may draw up to where the music is scheduled (it stops there
// where the data ends), or up to its scenes where it runs silent.
function allowUntil() {
  Module._orvel_play_until(setMusicLimit(scenesUntil));
}

// The show starts, or, where the rest cannot come in time, waits first
// (the sound is readied now, inside the person's gesture).
export function startPlay() {
  stalledAt = null;
  root.dataset.waits = '0';
  const from = Module._orvel_play_from();
  if (waitAt(from) <= 0) {
    begin();
    return;
  }
  prepareAudio();
  beforeStart = true;
  beginWait(from);
}

// Once the output runs, the music starts a moment ahead, and the demo
// clock with it: the clock reads the music's second while it is heard.
function begin() {
  const go = (latency) => {
    console.debug('orvel: audio output latency ' + (latency * 1000).toFixed(1) + ' ms');
    allowUntil();
    Module._orvel_start(latency);
  };
  const silently = (why) => {
    if (why) silent(why);
    closeAudio();
    go(0);
  };
  if (!decodedMusic()) {
    silently(null);
    return;
  }
  try {
    openAudio();
  } catch (e) {
    silently('the music cannot be played (' + e + ')');
    return;
  }
  // An output that never starts leaves the show silent rather than waiting.
  awaitOutput(() => {}).then((why) => {
    if (why) {
      silently(why);
      return;
    }
    let when;
    try {
      Module._orvel_reach_start();
      // From the demo time that play mode starts from (?t=).
      when = playMusicSoon(Module._orvel_play_from(), true);
      watchOutput();
    } catch (e) {
      silently('the music cannot be played (' + e + ')');
      return;
    }
    go(heardIn(audioContext(), when));
  });
}

function playOn() {
  const from = stalledAt;
  stalledAt = null;
  hideWaiting();
  if (beforeStart) {
    beforeStart = false;
    begin();
    return;
  }
  setState('playing');
  const audio = decodedMusic() ? audioContext() : null;
  const when = audio ? playMusicSoon(from, true) : 0;
  if (audio) watchOutput();
  allowUntil();
  Module._orvel_play_on(audio ? heardIn(audio, when) : 0);
}

// The scenes have come up to demo time `until`, or more music: the show may
// play further, and plays on after a wait where enough has come.
export function limitChanged(until) {
  scenesUntil = until;
  if (stalledAt === null) {
    if (root.dataset.orvel === 'playing') allowUntil(); else setMusicLimit(scenesUntil);
    return;
  }
  const ready = Math.min(scenesUntil, musicReadyUntil(stalledAt));
  const wait = waitAt(stalledAt);
  if ((ready === Infinity || ready >= stalledAt + PLAY_ON_AFTER) && wait <= 0) playOn();
  else showWaiting(percentArrived(), wait);
}

function beginWait(t) {
  stalledAt = t;
  root.dataset.waits = String(Number(root.dataset.waits || 0) + 1);
  setState('stalled');
  limitChanged(scenesUntil);
}

// The program waits at demo time t, where the data ends; the music has
// stopped there.
export function stalled(t) {
  stopMusic();
  beginWait(t);
}

// Every second, the seconds left are said again and the wait ends where
// they have run out; on the first screen, they say how long the show will
// wait, where the link is slower than the show.
function tick() {
  const now = root.dataset.orvel;
  if (now === 'stalled' && stalledAt !== null) {
    limitChanged(scenesUntil);
  } else if (now === 'waiting') {
    const wait = waitAt(Module._orvel_play_from());
    if (wait > 0) showWaiting(percentArrived(), wait); else hideLoading();
  }
}

// Play mode: the start is offered, the rest of the data and the music arrive.
export function watchLink() { setInterval(tick, TICK_MS); }

function playAgain() {
  for (const id of ['end-screen', 'result', 'sync-again', 'moment']) byId(id).hidden = true;
  byId('fullscreen').hidden = false;
  Module._orvel_play_again();
  restartScale();
  setState('waiting');
  start();
}

// After ESC: a link that plays the show from the picture on screen then.
function offerMoment() {
  const link = byId('moment');
  const url = new URL(location.href);
  url.searchParams.set('t', root.dataset.time || '0');
  link.href = url.href;
  link.textContent = 'Link to this moment (' + (root.dataset.time || '0') + ' s)';
  link.hidden = false;
}

// syncText: what ESC writes, empty at the natural end.
export function ended(syncText) {
  stalledAt = null;
  beforeStart = false;
  closeAudio();
  hideMenu();
  hideWaiting();
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  byId('fullscreen').hidden = true;
  byId('message').hidden = true;
  setState('ended');
  if (syncText) {
    byId('sync').textContent = syncText;
    const save = byId('save');
    save.href = URL.createObjectURL(new Blob([syncText], { type: 'text/plain' }));
    save.hidden = false;
    byId('sync-again').hidden = false;
    offerMoment();
    byId('result').hidden = false;
    byId('sync-again').focus();
  } else {
    byId('end-screen').hidden = false;
    byId('end-screen').querySelector('.again').focus();
  }
}

for (const again of document.querySelectorAll('.again')) again.addEventListener('click', playAgain);

// For the tests: play mode's demo clock, the show's second being heard, and
// the one that the music playing was started from.
window.orvelPlay = {
  demoTime: () => Module._orvel_play_clock(),
  musicTime: heardMusicSecond,
  musicFrom: musicPlayedFrom,
};
