// Any music: an audio file that the author opens or drops replaces the
// show's music, whatever the browser decodes (MP3, Ogg, WAV, ...). The page
// holds every music of the session by its file's name (the show's own
// among them); the program names one in the timing, refuses a name that a
// timing file cannot hold, and asks for the one its timing names after
// every change (an undo brings the music before back). The music playing
// has its waveform on the strip, and the browser keeps it for next time.
import { describeMedia } from '../page/media.js';
import { withBytes } from '../page/program_bytes.js';
import { asPieces, decodedMusic, replaceMusic } from '../page/sound.js';
import { say } from '../page/status.js';
import { findBeats } from './beats.js';
import { isPlaying, pause, resume } from './playback.js';
import { keepMusic, keptMusic } from './storage.js';
import { musicChanged } from './waveform.js';

// A music file larger than this is refused before it is read: decoded, a
// show's longest music (600 s) takes some 200 MB.
const MAX_MUSIC_BYTES = 256 << 20;
const held = new Map();   // name -> { music, bytes }: its pieces; bytes null for the show's own
let playing = '';

function decode(bytes) {
  // An offline context decodes without the gesture that a playing one needs.
  return new OfflineAudioContext(2, 1, 44100).decodeAudioData(bytes.slice(0));
}

// The show's own music, decoded (or not) at loading, under its name.
export function holdOwnMusic(name) {
  playing = name;
  if (decodedMusic()) held.set(name, { music: decodedMusic(), bytes: null });
  musicChanged();
  // After the strip is drawn: the analysis takes a moment.
  setTimeout(() => findBeats(name));
}

// The program's word: the music of that name from now on. False when the
// page holds none of that name.
export function playHeld(name) {
  const music = held.get(name);
  if (!music) return false;
  if (music.music === decodedMusic()) return true;
  playing = name;
  // The strip's waveform follows, as it follows every change of the music.
  replaceMusic(music.music);
  setTimeout(() => findBeats(name));
  describeMedia(name);
  keepMusic(music.bytes ? { name, bytes: music.bytes } : null);
  // Playing, the show goes on with the new music from where it is, once
  // the program has finished the change that asked for it.
  if (isPlaying()) setTimeout(() => { pause(); resume(); });
  return true;
}

async function hold(name, bytes) {
  try {
    held.set(name, { music: asPieces(await decode(bytes)), bytes });
    return true;
  } catch (e) {
    say(`${name}: the browser cannot decode it as music (${e.message || e}); the music is as it was`);
    return false;
  }
}

// The program's word on a name, before the file is read: a name that the
// timing would save as another is refused, said by the program.
function nameReadsBack(name) {
  let fine = 0;
  withBytes([new TextEncoder().encode(name)], (pointer, size) => {
    fine = Module._orvel_edit_music_name(pointer, size);
  });
  return fine !== 0;
}

export async function openMusic(file) {
  if (!nameReadsBack(file.name)) return;
  if (file.size > MAX_MUSIC_BYTES) {
    say(`${file.name}: ${file.size} bytes, larger than the ${MAX_MUSIC_BYTES >> 20} MB music may be here`);
    return;
  }
  let bytes;
  try {
    bytes = await file.arrayBuffer();
  } catch (e) {
    say(`${file.name} cannot be read (${e.message}); the music is as it was`);
    return;
  }
  if (!(await hold(file.name, bytes))) return;
  let taken = 0;
  withBytes([new TextEncoder().encode(file.name)], (pointer, size) => { taken = Module._orvel_edit_music(pointer, size); });
  // A music of the name playing, opened again, is played by its new bytes.
  if (taken) playHeld(file.name); else held.delete(file.name);
}

// The music this browser kept, held again before the timing that names it
// comes back.
export async function restoreMusic() {
  const kept = await keptMusic();
  if (kept) await hold(kept.name, kept.bytes);
}
