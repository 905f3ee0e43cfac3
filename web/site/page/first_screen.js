// The screen before the show: the loading bar (play mode), the warning
// (index.html shows it), and the click, tap, Enter or Space that starts the
// show now, or as soon as it has loaded. The start itself is the mode's:
// main.js hands it over.
import { mode, touch } from './mode.js';
import { prepareAudio } from './sound.js';
import { byId, root, setState } from './status.js';

let startWanted = false;
let startMode = null;

export function showLoading() {
  if (mode === 'play') byId('loading').hidden = false;
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

// Play mode waits for its data: percent of all received.
export function showWaiting(percent) {
  showBar(percent);
  byId('loading-text').textContent = `Waiting for the data: ${percent} %`;
  byId('loading').hidden = false;
}

export function hideLoading() { byId('loading').hidden = true; }

// Loaded: the show starts, if a start was asked for during the loading,
// or waits for one.
export function waitForStart() {
  setState('waiting');
  hideLoading();
  if (startWanted) {
    start();
    return;
  }
  byId('start').hidden = false;
  byId('start').focus();
}

// From "waiting" only; "Play again" waits again first.
export function start() {
  if (root.dataset.orvel !== 'waiting') return;
  setState('starting');
  byId('start').hidden = true;
  startMode();
}

function wantStart() {
  const now = root.dataset.orvel;
  if (now === 'loading') {
    startWanted = true;
    prepareAudio();
    byId('loading-text').textContent = 'Loading: the show starts when it has loaded';
  } else if (now === 'waiting') {
    start();
  }
}

// startShow: what starting is in the page's mode.
export function offerStart(startShow) {
  startMode = startShow;
  byId('start').textContent = touch ? 'Tap to start' : 'Click to start';

  document.addEventListener('click', (e) => {
    if (e.button !== 0) return;
    if (e.target.closest('#fullscreen, #result, #end-screen, #editor')) return;
    wantStart();
  });

  document.addEventListener('keydown', (e) => {
    // A focused button takes Enter and Space as its own click.
    if ((e.key !== 'Enter' && e.key !== ' ') || e.target.closest('button')) return;
    if (root.dataset.orvel !== 'loading' && root.dataset.orvel !== 'waiting') return;
    e.preventDefault();
    wantStart();
  });
}
