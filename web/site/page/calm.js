// The calm show (shell/calm.h, "Play calm"): the choice the first screen
// preselects (?calm in the address, else the viewer's last choice, which
// the page keeps, else the calm show where the browser says that its user
// prefers reduced motion), the choice made, and the program's word on it.
import { params } from './mode.js';
import { root, say } from './status.js';

const STORE = 'orvel.show';
let keepFailed = false;

function kept() {
  try {
    return localStorage.getItem(STORE);
  } catch (e) {
    return null;
  }
}

function preselect() {
  if (params.has('calm')) return true;
  const choice = kept();
  if (choice === 'calm' || choice === 'ordinary') return choice === 'calm';
  return matchMedia('(prefers-reduced-motion: reduce)').matches;
}

let calm = preselect();

// Whether the calm show is chosen now.
export const calmChosen = () => calm;

// The viewer's choice, kept for the next visit.
export function choose(on) {
  calm = on;
  try {
    localStorage.setItem(STORE, on ? 'calm' : 'ordinary');
  } catch (e) {
    if (!keepFailed) say(`This browser does not keep the choice of show (${e.message})`);
    keepFailed = true;
  }
}

// The program's word: the calm show is on or off, chosen by the viewer from
// the menu or as the program started.
export function calmShown(on, viewerChose) {
  root.dataset.calm = String(on);
  if (viewerChose) choose(on);
}
