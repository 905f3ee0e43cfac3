// The browser keeps what the author made as the program hands it over: the
// marks (as the text of a sync.txt) and the timing (as the text of a timing
// file), and the music the author chose, and gives them back when author
// mode opens again. A browser that keeps nothing is said once.
import { withBytes } from '../page/program_bytes.js';
import { say } from '../page/status.js';

const MARKS = 'orvel.syncMarks';
const TIMING = 'orvel.timing';
// The music is too large for localStorage: it goes into IndexedDB.
const DATABASE = 'orvel';
const STORE = 'music';
let storeFailed = false;

function cannotKeep(e) {
  if (!storeFailed) say(`This browser does not keep your work (${e.message}): save it before you leave`);
  storeFailed = true;
}

// text, or nothing to keep when it is empty.
function keepText(key, text) {
  try {
    if (text) localStorage.setItem(key, text); else localStorage.removeItem(key);
  } catch (e) {
    cannotKeep(e);
  }
}

function keptText(key) {
  try {
    return localStorage.getItem(key) || '';
  } catch (e) {
    cannotKeep(e);
    return '';
  }
}

export const keepMarks = (text, count) => keepText(MARKS, count > 0 ? text : '');
export const keepTiming = (text) => keepText(TIMING, text);

// The database, opened once: its transactions then run in the order asked.
let database = null;
function openDatabase() {
  database ??= new Promise((done, failed) => {
    const opening = indexedDB.open(DATABASE, 1);
    opening.onupgradeneeded = () => opening.result.createObjectStore(STORE);
    opening.onerror = () => failed(opening.error);
    opening.onsuccess = () => done(opening.result);
  });
  return database;
}

// The music store's request made by use(store), as a promise.
async function musicStore(mode, use) {
  const db = await openDatabase();
  return new Promise((done, failed) => {
    const request = use(db.transaction(STORE, mode).objectStore(STORE));
    request.onsuccess = () => done(request.result);
    request.onerror = () => failed(request.error);
  });
}

// music: { name, bytes }, or null when the show's own plays.
export function keepMusic(music) {
  musicStore('readwrite', (store) => (music ? store.put(music, 'music') : store.delete('music'))).catch(cannotKeep);
}

// The music kept, { name, bytes }, or undefined.
export function keptMusic() {
  return musicStore('readonly', (store) => store.get('music')).catch((e) => {
    cannotKeep(e);
    return undefined;
  });
}

// The marks and the timing handed back to the program, which says what it
// took (the timing first: the marks are read against its end).
export function restoreWork() {
  const marks = keptText(MARKS);
  const timing = keptText(TIMING);
  if (!marks && !timing) return;
  withBytes([new TextEncoder().encode(marks), new TextEncoder().encode(timing)], Module._orvel_edit_restore);
}
