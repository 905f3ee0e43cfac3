// Play mode: the show started with its music, the end (the end screen, or
// after ESC the text of sync.txt, a link that saves it and a link to the
// moment on screen), and "Play again".
import { restartScale } from './fit.js';
import { start } from './first_screen.js';
import { hideMenu } from './menu.js';
import {
  audioContext, awaitOutput, closeAudio, decodedMusic, heardIn, playMusicLooped, silent,
} from './sound.js';
import { byId, root, setState } from './status.js';

// Music starts first, then the demo clock: demo time 0 is just after it.
export function startPlay() {
  if (!decodedMusic()) {
    closeAudio();
    Module._orvel_start(0);
    return;
  }
  const begin = () => {
    const audio = audioContext();
    const latency = audio ? heardIn(audio, audio.currentTime) : 0;
    console.debug('orvel: audio output latency ' + (latency * 1000).toFixed(1) + ' ms');
    Module._orvel_start(latency);
  };
  try {
    // From the demo time that play mode starts from (?t=).
    playMusicLooped(Module._orvel_play_from());
  } catch (e) {
    silent('the music cannot be played (' + e + ')');
    closeAudio();
    begin();
    return;
  }
  // An output that never starts leaves the show silent rather than waiting.
  awaitOutput(() => {}).then((why) => {
    if (why) {
      silent(why);
      closeAudio();
    }
    begin();
  });
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
  closeAudio();
  hideMenu();
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
