// The music: its pieces as they are decoded (music_stream.js fetches them,
// loading.js hands them here), played through one AudioContext from any
// second of the show, and the moment a sample is heard. The show's
// seconds are the music's, looped where the show outlasts it. A show whose
// music cannot be decoded or played runs silent (data-audio says which).
import { EPSILON, insertPiece, pieceAt as pieceIn, readyUntil } from './piece_list.js';
import { root } from './status.js';

// How long the audio output may take to start before the show goes on silent.
const OUTPUT_WAIT_MS = 2000;
// A piece is scheduled at least this long before it is due: one that comes
// later leaves the music stopped where it ran out (the show waits there).
const AHEAD = 0.02;
// Music started now starts this far ahead of the context's time, so that
// the moment it is heard is known.
const LEAD = 0.05;

let audio = null;      // the AudioContext, made inside the gesture that starts the show
let pieces = [];       // { start, end, buffer, offset }: the music's seconds start to end, by start
let whole = false;     // every piece is there
let length = 0;        // the music's length, once whole
let fileLength = Infinity;  // the music's length, as its file tells it before it is whole
let muted = false;     // the music cannot be played: the show runs silent
let own = false;       // the viewer's own music plays: the show's, still arriving, is left out
const listeners = [];
// What plays: the show's second `from` heard at context time `when`, the
// pieces scheduled up to the show's second `until`, never past `limit`.
let player = null;
let limit = Infinity;
// The show's length: music looped to fill it plays no further.
let showEnd = Infinity;

// The decoded pieces, or null when the show runs silent or none is there yet.
export const decodedMusic = () => (!muted && pieces.length > 0 ? pieces : null);
export const audioContext = () => audio;

export function silent(why) {
  if (why) console.warn('orvel: ' + why + ': the show runs silent');
  muted = true;
  root.dataset.audio = 'silent';
}

// listener(piece) after each piece that arrives, listener(null) after the
// music is replaced: the strip of author mode draws the waveform so.
export function onMusic(listener) { listeners.push(listener); }

const pieceAt = (second) => pieceIn(pieces, second);
// The music's second that the show's plays: looped where the show outlasts it.
const loopLength = () => (whole ? length : fileLength);
const musicSecond = (showSecond) => (player && player.loop ? showSecond % loopLength() : showSecond);

// The music's length as its file tells it: a show that outlasts it plays
// it again from its start, before all of it is there.
export function setMusicLength(seconds) { fileLength = seconds; }

// A piece of the music, decoded.
export function addPiece(piece) {
  if (own) return;
  insertPiece(pieces, piece);
  for (const listener of listeners) listener(piece);
  extend();
}

// Every piece is there: the music's length is where the last one ends.
export function musicComplete() {
  whole = true;
  length = pieces.length ? pieces[pieces.length - 1].end : 0;
  extend();
}

// The show's second up to which the music is there from second t on,
// without a gap (infinity when it is whole, or the show runs silent).
export function musicReadyUntil(t) {
  if (whole || muted) return Infinity;
  return readyUntil(pieces, loopLength(), t);
}

// The music replaced by another, whole (an author's, opened in the page,
// as asPieces makes it, or the show's own held before): the waveform is
// drawn again from it.
export function replaceMusic(music) {
  stopMusic();
  pieces = music;
  fileLength = Infinity;
  muted = false;
  for (const listener of listeners) listener(null);
  musicComplete();
}

// The viewer's own music, whole, in place of the show's before the show
// starts: what still arrives of the show's own is left out.
export function playOwnMusic(music) {
  own = true;
  replaceMusic(music);
}

// A whole decoded music as the pieces that decodedMusic gives.
export const asPieces = (buffer) => [{ start: 0, end: buffer.duration, buffer, offset: 0 }];

// The music's seconds there so far: its length once whole.
export const musicLength = () => (decodedMusic() ? pieces[pieces.length - 1].end : 0);

// The context, made where there is none yet; throws where none can be.
export function openAudio() {
  if (!audio) audio = new AudioContext();
  return audio;
}

// Browsers let sound start only inside a person's gesture: the context is
// made and resumed there, even while the files are still loading.
export function prepareAudio() {
  if (audio) return;
  try {
    audio = new AudioContext();
    audio.resume().catch(() => {});
  } catch (e) {
    audio = null;
  }
}

// The context time being heard now: from the output's own timestamp
// where the browser gives one, else the context's time less the output's
// latency as the browser estimates it (or the context's processing latency).
export function heardNow(context) {
  const stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : null;
  if (stamp && stamp.performanceTime > 0) {
    return stamp.contextTime + (performance.now() - stamp.performanceTime) / 1000;
  }
  return context.currentTime - (context.outputLatency || context.baseLatency || 0);
}

// When the first sample is heard: the seconds from now until the sample
// that the context plays at its time `when` reaches the ears.
export const heardIn = (context, when) => Math.max(0, when - heardNow(context));

export function setShowEnd(seconds) { showEnd = seconds; }
export const showLength = () => showEnd;

// Schedules the pieces that have come since, up to the limit.
function extend() {
  if (!player || !audio) return;
  const stop = Math.min(limit, showEnd);
  while (player.until + EPSILON < stop) {
    const second = player.until;
    const at = player.when + (second - player.from);
    if (second > player.from && at < audio.currentTime + AHEAD) return;
    const music = musicSecond(second);
    const piece = pieceAt(music);
    if (!piece) return;
    const duration = Math.min(piece.end - music, stop - second);
    const source = audio.createBufferSource();
    source.buffer = piece.buffer;
    source.connect(audio.destination);
    source.start(at, piece.offset + Math.max(0, music - piece.start), duration);
    player.sources.add(source);
    source.onended = () => player && player.sources.delete(source);
    player.until = second + duration;
  }
}

// The music from the show's second `from` on, heard at context time `when`
// (looped where the show outlasts it), as its pieces arrive.
export function playMusic(from, when, loop) {
  stopMusic();
  openAudio();
  player = { from, when, loop, until: from, sources: new Set() };
  extend();
}

// The music from the show's second `from` a moment from now; returns the
// context time it starts at. Throws where it cannot be played.
export function playMusicSoon(from, loop) {
  openAudio();
  const when = audio.currentTime + LEAD;
  playMusic(from, when, loop);
  return when;
}

// The show's second that the music may not pass (its data has not come);
// returns the second up to which the music is scheduled, where the picture
// must wait (t itself when no music plays), or infinity once it is
// scheduled to the show's end, where the picture ends and waits for nothing.
export function setMusicLimit(t) {
  limit = t;
  extend();
  if (!player || muted) return t;
  return player.until + EPSILON >= showEnd ? Infinity : player.until;
}

// The show's second that the music playing now was started from, or null.
export const musicPlayedFrom = () => (player ? player.from : null);

// The show's second being heard now, or null when no music plays.
export function heardMusicSecond() {
  if (!player || !audio) return null;
  return Math.min(player.until, player.from + Math.max(0, heardNow(audio) - player.when));
}

export function stopMusic() {
  if (player) for (const source of player.sources) source.stop();
  player = null;
  if (root.dataset.audio === 'playing') root.dataset.audio = 'stopped';
}

export function closeAudio() {
  stopMusic();
  if (audio) audio.close();
  audio = null;
}

// Play mode: data-audio says "playing" once the output runs.
export function watchOutput() {
  audio.onstatechange = () => {
    if (audio && audio.state === 'running' && player) root.dataset.audio = 'playing';
  };
  if (audio.state === 'running') root.dataset.audio = 'playing';
}

// Resolves to nothing once the output runs (and settle() has resolved),
// or to why it does not, within OUTPUT_WAIT_MS at the latest.
export function awaitOutput(settle) {
  return new Promise((done) => {
    const timer = setTimeout(() => done('no audio output started'), OUTPUT_WAIT_MS);
    audio.resume().then(settle).then(() => {
      clearTimeout(timer);
      done(null);
    }, (e) => {
      clearTimeout(timer);
      done('the music cannot be played (' + e + ')');
    });
  });
}
