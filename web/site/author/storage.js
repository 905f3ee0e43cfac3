// The browser keeps the marks as the program hands them over (as the text
// of a sync.txt), and gives them back to the program when author mode opens
// again. A browser that keeps nothing is said once.
import { say } from '../page/status.js';
import { withBytes } from './program_bytes.js';

const STORE = 'orvel.syncMarks';
let storeFailed = false;

function cannotKeep(e) {
  if (!storeFailed) say(`This browser does not keep the marks (${e.message}): save them before you leave`);
  storeFailed = true;
}

export function keep(text, count) {
  try {
    if (count > 0) localStorage.setItem(STORE, text); else localStorage.removeItem(STORE);
  } catch (e) {
    cannotKeep(e);
  }
}

export function restore() {
  let text = null;
  try {
    text = localStorage.getItem(STORE);
  } catch (e) {
    cannotKeep(e);
  }
  if (text) withBytes([new TextEncoder().encode(text)], Module._orvel_edit_restore);
}
