// The screen before the show: the loading bar (play mode), the warning
// (index.html shows it), and the choice of "Play" or "Play calm" (a click or
// a tap on one, or Enter or Space on the one with the focus; a click
// elsewhere, or Enter elsewhere, plays the one preselected) that starts the
// show now, or as soon as it has loaded. The start itself is the mode's:
// main.js hands it over.
import { calmChosen, choose } from './calm.js';
import { mode } from './mode.js';
import { prepareAudio } from './sound.js';
import { byId, root, setState } from './status.js';

let startWanted = false;
let startMode = null;

// Play and author modes: the loading and the choice.
export function showLoading() {
  if (mode !== 'play' && mode !== 'edit') return;
  byId('first').hidden = false;
  if (mode === 'play') byId('loading').hidden = false;
  showChoice();
}

// The two choices, the one chosen now with the focus.
function showChoice() {
  byId('choice').hidden = false;
  byId(calmChosen() ? 'start-calm' : 'start').focus();
}

function showBar(percent) {
  root.dataset.progress = String(percent);
  byId('fill').style.width = percent + '%';
}

// percent of what the start waits for received.
export function showProgress(percent) {
  showBar(percent);
  if (!startWanted) byId('loading-text').textContent = `Loading ${percent} %`;
}

// Play mode waits for its data, or will once started (the first screen
// says so where the link is slower than the show): percent of all
// received, and the seconds the wait lasts, where the link's rate tells
// them. The panel stands over the picture, without the choice, once the
// show has started.
export function showWaiting(percent, seconds) {
  showBar(percent);
  // Where the rest would come in time but the next seconds have not come yet: a second at least.
  const text = Number.isFinite(seconds) ? `Waiting for the data: about ${Math.max(1, Math.ceil(seconds))} s`
    : `Waiting for the data: ${percent} %`;
  const shown = byId('loading-text');
  if (shown.textContent !== text) shown.textContent = text;
  byId('loading').hidden = false;
  const before = root.dataset.orvel === 'loading' || root.dataset.orvel === 'waiting';
  if (!before) byId('choice').hidden = true;
  byId('first').hidden = false;
}

export function hideLoading() { byId('loading').hidden = true; }

// The show plays on: the panel goes, and the first screen with it.
export function hideWaiting() {
  hideLoading();
  if (root.dataset.orvel !== 'loading' && root.dataset.orvel !== 'waiting') byId('first').hidden = true;
}

// Loaded: the show starts, if a start was asked for during the loading,
// or waits for one.
export function waitForStart() {
  setState('waiting');
  hideLoading();
  if (startWanted) {
    start();
    return;
  }
  showChoice();
}

// From "waiting" only, the show chosen; "Play again" waits again first.
export function start() {
  if (root.dataset.orvel !== 'waiting') return;
  setState('starting');
  byId('first').hidden = true;
  Module._orvel_set_calm(calmChosen() ? 1 : 0);
  startMode();
}

// calm: the show chosen.
function wantStart(calm) {
  const now = root.dataset.orvel;
  if (now !== 'loading' && now !== 'waiting') return;
  choose(calm);
  if (now === 'loading') {
    startWanted = true;
    prepareAudio();
    byId('loading-text').textContent =
      `Loading: the ${calm ? 'calm ' : ''}show starts when it has loaded`;
  } else {
    start();
  }
}

// startShow: what starting is in the page's mode.
export function offerStart(startShow) {
  startMode = startShow;
  for (const [id, calm] of [['start', false], ['start-calm', true]]) {
    byId(id).addEventListener('click', (e) => {
      e.stopPropagation();
      wantStart(calm);
    });
  }

  document.addEventListener('click', (e) => {
    if (e.button !== 0) return;
    if (e.target.closest('#fullscreen, #result, #end-screen, #editor')) return;
    wantStart(calmChosen());
  });

  document.addEventListener('keydown', (e) => {
    // A focused button takes Enter and Space as its own click.
    if ((e.key !== 'Enter' && e.key !== ' ') || e.target.closest('button')) return;
    if (root.dataset.orvel !== 'loading' && root.dataset.orvel !== 'waiting') return;
    e.preventDefault();
    wantStart(calmChosen());
  });
}
