// The music's beats and bars on the strip (a layer of it: the beats faint,
// the bars strong), found by the program from the music playing once it is
// all there (page/music_beats.js); "Fit to music" puts the whole timing on
// them and "Suggest marks" marks the music's strongest onsets, each one
// step to undo in the program. The first downbeat moves a beat on or back
// with D and Shift+D, or with a drag of a bar line with Alt held: the
// bars follow, and the next fit uses them.
import { fitMusic, moveDownbeat } from '../page/music_beats.js';
import { decodedMusic } from '../page/sound.js';
import { byId, say } from '../page/status.js';
import { addLayer, pixelRatio, rows } from './strip.js';
import { xOf } from './view.js';

let fit = null;        // music_beats.js's fit of the music playing; null while there is none
// Why the music playing has no fit, in one line, said when the author asks for one.
let refusal = 'No music to fit the show to';

// The music's pieces (page/sound.js) as one buffer of its channels' mean.
function wholeMusic(pieces) {
  const rate = pieces[0].buffer.sampleRate;
  const mixed = new Float32Array(Math.round(pieces[pieces.length - 1].end * rate));
  for (const { start, end, buffer, offset } of pieces) {
    const from = Math.round(offset * rate);
    const at = Math.round(start * rate);
    const count = Math.min(buffer.length - from, Math.round((end - start) * rate), mixed.length - at);
    for (let c = 0; c < buffer.numberOfChannels; c++) {
      const samples = buffer.getChannelData(c).subarray(from, from + count);
      for (let i = 0; i < samples.length; i++) mixed[at + i] += samples[i] / buffer.numberOfChannels;
    }
  }
  return { numberOfChannels: 1, length: mixed.length, sampleRate: rate, getChannelData: () => mixed };
}

// Ticks down from the waveform row's top, the bars' longer: the waveform
// stays in sight about its middle line.
const redraw = addLayer(15, (g) => {
  if (!fit) return;
  const top = rows().wave;
  const r = pixelRatio();
  g.fillStyle = 'rgba(255, 255, 255, 0.18)';
  for (const t of fit.beats) g.fillRect(Math.round(xOf(t)), top, Math.max(1, Math.round(r)), Math.round(10 * r));
  g.fillStyle = 'rgba(255, 220, 120, 0.85)';
  for (const t of fit.bars) g.fillRect(Math.round(xOf(t)), top, Math.max(1, Math.round(2 * r)), Math.round(18 * r));
});

function show(found) {
  fit = found && found.beats.length > 0 ? found : null;
  refusal = found ? found.text : 'No music to fit the show to';
  redraw();
}

// The music named name is playing, all of it there: its beats found. Why
// a music has none, or no show fits it, is said when the author asks for
// a fit or marks: said now, it would cover what the opening said.
export function findBeats(name) {
  const pieces = decodedMusic();
  show(pieces ? fitMusic(wholeMusic(pieces), name) : null);
}

// The first downbeat a beat on (1) or back (-1), the bars with it.
export function shiftDownbeat(beats) {
  if (!fit) return say(refusal);
  show(moveDownbeat((((fit.firstDownbeat + beats) % fit.beatsPerBar) + fit.beatsPerBar) % fit.beatsPerBar));
}

// The beat or bar line within near strip pixels of x nearest t, or null.
function nearest(times, t, x, near) {
  let best = null;
  for (const time of times) {
    if (Math.abs(xOf(time) - x) <= near && (best === null || Math.abs(time - t) < Math.abs(best - t))) best = time;
  }
  return best;
}
export const barNear = (t, x, near) => (fit ? nearest(fit.bars, t, x, near) : null);
export const beatNear = (t, x, near) => (fit ? nearest(fit.beats, t, x, near) : null);
// The beat's number of a bar line within near strip pixels of x, or -1.
export function barIndexNear(t, x, near) {
  const bar = barNear(t, x, near);
  return bar === null ? -1 : fit.beats.indexOf(bar);
}
// The beat's number of a beat within near strip pixels of x, or -1.
export function beatIndexNear(t, x, near) {
  const beat = beatNear(t, x, near);
  return beat === null ? -1 : fit.beats.indexOf(beat);
}

byId('fit-music').addEventListener('click', () => (fit && fit.ok ? Module._orvel_edit_fit() : say(refusal)));
byId('suggest-marks').addEventListener('click', () => (fit ? Module._orvel_edit_suggest_marks() : say(refusal)));

// For the tests: the beats and bars on the strip.
export const shownBeats = () => (fit ? { beats: fit.beats, bars: fit.bars, firstDownbeat: fit.firstDownbeat } : null);
