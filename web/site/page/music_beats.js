// A music's beats and bars, and the show's timing fitted to them, found by
// the program (web/music_fit.h: the same analysis and fit as
// show-schedule --fit) from music that the browser decoded. The program
// takes the music mixed to mono, as the native build's decoder mixes it:
// the channels' mean.
import { withBytes } from './program_bytes.js';

// The channels of a decoded music (an AudioBuffer) as one.
function mono(buffer) {
  const channels = Array.from({ length: buffer.numberOfChannels }, (_, c) => buffer.getChannelData(c));
  if (channels.length === 1) return channels[0];
  const mixed = new Float32Array(buffer.length);
  for (const channel of channels) for (let i = 0; i < mixed.length; i++) mixed[i] += channel[i];
  for (let i = 0; i < mixed.length; i++) mixed[i] /= channels.length;
  return mixed;
}

// The program's text at pointer, up to its terminating zero.
function textAt(pointer) {
  const heap = Module.HEAPU8;
  let end = pointer;
  while (heap[end] !== 0) end++;
  return new TextDecoder().decode(heap.subarray(pointer, end));
}

// The fit of the decoded music buffer from the file named name, its
// downbeat moved on by downbeatShift beats: { ok, text, beats, bars,
// firstDownbeat, beatsPerBar }, where text is the fitted timing file's
// text, or when not ok the line that says why no show fits the music.
export function fitMusic(buffer, name, downbeatShift = 0) {
  const samples = mono(buffer);
  const bytes = new Uint8Array(samples.buffer, samples.byteOffset, samples.byteLength);
  let ok = 0;
  withBytes([bytes, new TextEncoder().encode(name)], (pointer, size, namePointer, nameSize) => {
    ok = Module._orvel_fit_music(pointer, size / 4, buffer.sampleRate, namePointer, nameSize, downbeatShift);
  });
  return fitRead(ok !== 0);
}

// The program's last fit, as fitMusic gives it.
function fitRead(ok) {
  const count = Module._orvel_fit_beat_count();
  const first = Module._orvel_fit_beats() >> 3;
  const beats = Array.from(Module.HEAPF64.subarray(first, first + count));
  const firstDownbeat = Module._orvel_fit_first_downbeat();
  const beatsPerBar = Module._orvel_fit_beats_per_bar();
  const bars = beats.filter((_, i) => i >= firstDownbeat && (i - firstDownbeat) % beatsPerBar === 0);
  return { ok, text: textAt(Module._orvel_fit_text()), beats, bars, firstDownbeat, beatsPerBar };
}

// The last music fitted again with its bars from beat firstDownbeat (0 to
// beatsPerBar - 1), its beats as they are: as fitMusic gives it.
export function moveDownbeat(firstDownbeat) {
  return fitRead(Module._orvel_fit_downbeat(firstDownbeat) !== 0);
}
