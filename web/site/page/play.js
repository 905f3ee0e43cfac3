// Play mode: the show started with its music; where its data has not come
// in time (a link slower than the show), the wait: the picture and the
// music stop together where the data ends, the loading bar says so, and
// both play on together once a few seconds more have arrived. Then the
// end (the end screen, or after ESC the text of sync.txt, a link that
// saves it and a link to the moment on screen), and "Play again".
import { restartScale } from './fit.js';
import { hideLoading, showWaiting, start } from './first_screen.js';
import { percentArrived } from './loading.js';
import { hideMenu } from './menu.js';
import {
  audioContext, awaitOutput, closeAudio, decodedMusic, heardIn, heardMusicSecond, musicReadyUntil, openAudio,
  playMusicSoon, setMusicLimit, silent, stopMusic, watchOutput,
} from './sound.js';
import { byId, root, setState } from './status.js';

// After a wait, the show plays on once this many seconds past it have
// arrived, or all of it.
const PLAY_ON_AFTER = 3;

// The demo time before which every frame has its scenes, and the demo time
// the show waits at, or null.
let scenesUntil = 0;
let stalledAt = null;

// The program may draw up to where the music is scheduled (it stops there
// where the data ends), or up to its scenes where it runs silent.
function allowUntil() {
  Module._orvel_play_until(setMusicLimit(scenesUntil));
}

// Once the output runs, the music starts a moment ahead, and the demo
// clock with it: the clock reads the music's second while it is heard.
export function startPlay() {
  stalledAt = null;
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
  hideLoading();
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
  if (ready === Infinity || ready >= stalledAt + PLAY_ON_AFTER) playOn(); else showWaiting(percentArrived());
}

// The program waits at demo time t, where the data ends; the music has
// stopped there.
export function stalled(t) {
  stalledAt = t;
  stopMusic();
  setState('stalled');
  showWaiting(percentArrived());
  limitChanged(scenesUntil);
}

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
  closeAudio();
  hideMenu();
  hideLoading();
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

// For the tests: play mode's demo clock, and the show's second being heard.
window.orvelPlay = {
  demoTime: () => Module._orvel_play_clock(),
  musicTime: heardMusicSecond,
};
