// Files: a sync.txt or a timing file opened with its button or dropped on
// the picture or the strip, its bytes as they are handed to the program's
// own readers (which say what they took and what they refused); a music
// file opened or dropped (music.js); the program's sync.txt and timing.txt
// saved.
import { withBytes } from '../page/program_bytes.js';
import { byId, root, say } from '../page/status.js';
import { openMusic } from './music.js';
import { strip } from './strip.js';

// What the program takes a text for (web/author_mode.h's FileKind).
const KINDS = { sync: 0, timing: 1, either: 2 };
const UNCHANGED = {
  sync: 'the marks are as they were',
  timing: 'the timing is as it was',
  either: 'the marks and the timing are as they were',
};
const AUDIO = /\.(mp3|ogg|oga|opus|wav|flac|m4a|aac|weba|webm)$/i;
const NAMES = { sync: 'a sync.txt', timing: 'a timing file' };
// The largest text of each kind the program reads, from the program.
let maxTextBytes = { sync: 0, timing: 0 };

export function setFileLimits(limits) { maxTextBytes = limits; }

// The kind whose limit a text of kind is held to: a text that may be
// either, to the larger.
function limitKind(kind) {
  if (kind !== 'either') return kind;
  return maxTextBytes.sync >= maxTextBytes.timing ? 'sync' : 'timing';
}

// kind: 'sync', 'timing', 'either' (a text dropped: the program tells
// which it is) or 'music'. A text larger than the program reads as that
// kind is refused before it is read.
export function openChosen(file, kind) {
  if (!file) return;
  if (kind === 'music') {
    openMusic(file);
    return;
  }
  const limit = limitKind(kind);
  if (file.size > maxTextBytes[limit]) {
    say(`${file.name}: ${file.size} bytes, larger than ${NAMES[limit]} can be (${maxTextBytes[limit]}); ` +
      UNCHANGED[kind]);
    return;
  }
  file.arrayBuffer().then((bytes) => {
    withBytes([new TextEncoder().encode(file.name), new Uint8Array(bytes)],
      (...pointers) => Module._orvel_edit_open(...pointers, KINDS[kind]));
  }, (e) => say(`${file.name} cannot be read (${e.message}); ${UNCHANGED[kind]}`));
}

// The text's object URL is let go once the download has started (the
// click starts it), else every save would keep its text for the page's life.
export function save(name, text) {
  const link = byId('save');
  link.download = name;
  const url = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
  link.href = url;
  link.click();
  setTimeout(() => URL.revokeObjectURL(url));
}

// A file dropped anywhere is kept from the browser (which would leave
// the page for it); only the picture and the strip take it, once author
// mode runs (before, what the browser kept would replace it).
addEventListener('dragover', (e) => e.preventDefault());
addEventListener('drop', (e) => {
  e.preventDefault();
  const file = e.dataTransfer.files[0];
  if (!file) return;
  if (root.dataset.orvel !== 'playing' && root.dataset.orvel !== 'paused') {
    say(`${file.name} was not opened: start author mode first`);
  } else if (e.target === strip || e.target === byId('canvas')) {
    openChosen(file, file.type.startsWith('audio/') || AUDIO.test(file.name) ? 'music' : 'either');
  } else {
    say(`${file.name} was not opened: drop a sync.txt, a timing file or music on the picture or on the strip`);
  }
});
