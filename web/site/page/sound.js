// The music: decoded once the program hands it over, played through an
// AudioContext from any point of it, and the moment a sample is heard. A
// show whose music cannot be decoded or played runs silent (data-audio says
// which).
import { root } from './status.js';

// How long the audio output may take to start before the show goes on silent.
const OUTPUT_WAIT_MS = 2000;

let music = null;      // the decoded music, or null: the show runs silent
let audio = null;      // the AudioContext, made inside the gesture that starts the show
let source = null;

export const decodedMusic = () => music;
export const audioContext = () => audio;

export function silent(why) {
  if (why) console.warn('orvel: ' + why + ': the show runs silent');
  root.dataset.audio = 'silent';
}

// The music file's bytes (or null: there is none) decoded; then done().
export function decodeMusic(bytes, done) {
  if (!bytes) {
    silent('no music');
    done();
    return;
  }
  // An offline context decodes without the gesture that a playing one needs.
  new OfflineAudioContext(2, 1, 44100).decodeAudioData(bytes.buffer).then((buffer) => {
    music = buffer;
    done();
  }, (e) => {
    silent('the music cannot be decoded (' + e + ')');
    done();
  });
}

// Author mode's music from a file the author chose, in place of the show's.
export function replaceMusic(buffer) {
  stopMusic();
  music = buffer;
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

// The music from `from` seconds into it, played at context time `when`.
export function playMusic(from, when, loop) {
  stopMusic();
  source = audio.createBufferSource();
  source.buffer = music;
  source.loop = loop;
  source.connect(audio.destination);
  source.start(when, from);
}

// Play mode: the music from `from` seconds on, looped, at once; data-audio
// says "playing" once the output runs. Throws when it cannot be played.
export function playMusicLooped(from) {
  if (!audio) audio = new AudioContext();
  audio.onstatechange = () => {
    if (audio && audio.state === 'running') root.dataset.audio = 'playing';
  };
  playMusic(from, 0, true);
  if (audio.state === 'running') root.dataset.audio = 'playing';
}

export function stopMusic() {
  if (source) source.stop();
  source = null;
  if (root.dataset.audio === 'playing') root.dataset.audio = 'stopped';
}

export function closeAudio() {
  stopMusic();
  if (audio) audio.close();
  audio = null;
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
