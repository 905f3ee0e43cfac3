// "Play to my music…": before the show starts, a track that the viewer
// chooses on the first screen, or drops on the page, is decoded by the
// browser and the show fitted to its beats by the program
// (music_beats.js); the show then plays to it from its start, Play or Play
// calm as the first screen offers. Keys, the menu, ESC and sync.txt are as
// always. The page keeps nothing of the track: it lives in this page's
// memory alone. Music that cannot be read, decoded or fitted is said on the
// status line, and the show stays as it was.
import { describeMedia } from './media.js';
import { mode } from './mode.js';
import { fitMusic } from './music_beats.js';
import { asPieces, playOwnMusic, setShowEnd } from './sound.js';
import { byId, root, say } from './status.js';

// A track larger than this is refused before it is read, as author mode refuses one.
const MAX_MUSIC_BYTES = 256 << 20;

const beforeStart = () => root.dataset.orvel === 'loading' || root.dataset.orvel === 'waiting';
let busy = false;

async function playTo(file) {
  if (!beforeStart()) {
    say(`${file.name}: the show has started; reload the page to play to this music`);
    return;
  }
  if (busy) {
    say(`${file.name}: another track is being fitted; choose this one again after it`);
    return;
  }
  if (file.size > MAX_MUSIC_BYTES) {
    say(`${file.name}: ${file.size} bytes, larger than the ${MAX_MUSIC_BYTES >> 20} MB music may be here`);
    return;
  }
  busy = true;
  root.dataset.ownMusic = 'fitting';
  try {
    const bytes = await file.arrayBuffer();
    // An offline context decodes without the gesture that a playing one needs.
    const buffer = await new OfflineAudioContext(2, 1, 44100).decodeAudioData(bytes);
    await programRunning;
    const fitted = fitMusic(buffer, file.name);
    const end = fitted.ok && beforeStart() ? Module._orvel_play_fitted() : -1;
    if (end < 0) {
      say(fitted.ok ? `${file.name}: the show has started; reload the page to play to this music` : fitted.text);
      root.dataset.ownMusic = 'refused';
      return;
    }
    playOwnMusic(asPieces(buffer));
    setShowEnd(end);
    describeMedia(file.name);
    root.dataset.ownMusic = 'fitted';
    say(`${file.name}: the show is fitted to its beats; Play or Play calm starts it`);
  } catch (e) {
    say(`${file.name}: the browser cannot read or decode it as music (${e.message || e}); the show is as it was`);
    root.dataset.ownMusic = 'refused';
  } finally {
    busy = false;
  }
}

// The program fits the music once it runs: a track chosen while the page
// loads waits for it.
let programReady;
const programRunning = new Promise((resolve) => { programReady = resolve; });
export { programReady };

if (mode === 'play') {
  const input = byId('own-music-file');
  byId('own-music').hidden = false;
  // Not a start: the click that opens the chooser is the button's alone.
  byId('own-music').addEventListener('click', (e) => {
    e.stopPropagation();
    input.click();
  });
  input.addEventListener('click', (e) => e.stopPropagation());
  input.addEventListener('change', () => {
    if (input.files[0]) playTo(input.files[0]);
    input.value = '';
  });
  // A file dropped anywhere is the page's: the browser does not leave the show to open it.
  document.addEventListener('dragover', (e) => e.preventDefault());
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    const file = e.dataTransfer.files[0];
    if (file) playTo(file);
  });
}
