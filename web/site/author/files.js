// Files: a sync.txt opened with "Open sync.txt" or dropped on the picture
// or the strip, its bytes as they are handed to the program's own reader
// (which says what it took and what it refused), and the program's
// sync.txt saved.
import { byId, root, say } from '../page/status.js';
import { withBytes } from './program_bytes.js';
import { strip } from './strip.js';

let maxSyncFileBytes = 0;

// The largest file the program reads as a sync.txt, from the program.
export function setFileLimit(bytes) { maxSyncFileBytes = bytes; }

// A file larger than any sync.txt is refused before it is read.
function openFile(file) {
  if (!file) return;
  const unchanged = 'the marks are as they were';
  if (file.size > maxSyncFileBytes) {
    say(`${file.name}: ${file.size} bytes, larger than a sync.txt can be (${maxSyncFileBytes}); ${unchanged}`);
    return;
  }
  file.arrayBuffer().then((bytes) => {
    withBytes([new TextEncoder().encode(file.name), new Uint8Array(bytes)], Module._orvel_edit_open);
  }, (e) => say(`${file.name} cannot be read (${e.message}); ${unchanged}`));
}

export function save(text) {
  const link = byId('save');
  link.href = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
  link.click();
}

byId('open-sync').addEventListener('change', (e) => {
  openFile(e.target.files[0]);
  // The same file can be opened again.
  e.target.value = '';
  e.target.blur();
});

// A file dropped anywhere is kept from the browser (which would leave
// the page for it); only the picture and the strip take it, once author
// mode runs (before, the marks kept in the browser would replace it).
addEventListener('dragover', (e) => e.preventDefault());
addEventListener('drop', (e) => {
  e.preventDefault();
  const file = e.dataTransfer.files[0];
  if (!file) return;
  if (root.dataset.orvel !== 'playing' && root.dataset.orvel !== 'paused') {
    say(`${file.name} was not opened: start author mode first`);
  } else if (e.target === strip || e.target === byId('canvas')) {
    openFile(file);
  } else {
    say(`${file.name} was not opened: drop a sync.txt on the picture or on the strip`);
  }
});
