// Music made by the page's tests and benchmark: a WAV file of clicks on a
// known beat, and show-schedule --fit's answer for a file.
import { spawnSync } from 'node:child_process';
import { join } from 'node:path';
import { repo, requireFile } from './browser.mjs';

export const RATE = 44100;

// A mono 16-bit WAV file, seconds long, of a click on every beat at bpm
// beats a minute from offset seconds on, the first of each bar of four
// louder and lower (a kick beside a hat); none when bpm is 0 (silence).
export function clickTrack({ bpm, offset = 0, seconds }) {
  const count = Math.round(seconds * RATE);
  const data = Buffer.alloc(44 + count * 2);
  data.write('RIFF', 0);
  data.writeUInt32LE(36 + count * 2, 4);
  data.write('WAVEfmt ', 8);
  data.writeUInt32LE(16, 16);
  data.writeUInt16LE(1, 20);
  data.writeUInt16LE(1, 22);
  data.writeUInt32LE(RATE, 24);
  data.writeUInt32LE(RATE * 2, 28);
  data.writeUInt16LE(2, 32);
  data.writeUInt16LE(16, 34);
  data.write('data', 36);
  data.writeUInt32LE(count * 2, 40);
  const clickSamples = Math.round(0.03 * RATE);
  for (let beat = 0; bpm > 0; beat++) {
    const first = Math.round((offset + (beat * 60) / bpm) * RATE);
    if (first >= count) break;
    const down = beat % 4 === 0;
    for (let i = 0; i < clickSamples && first + i < count; i++) {
      const t = i / RATE;
      const value = (down ? 0.9 : 0.45) * Math.exp(-t * 120) * Math.sin(2 * Math.PI * (down ? 150 : 1800) * t);
      data.writeInt16LE(Math.round(value * 32767), 44 + (first + i) * 2);
    }
  }
  return data;
}

// show-schedule --fit on the file at path: { status, stdout, stderr }.
export function nativeFit(path) {
  const tool = join(repo, 'build', 'show-schedule');
  requireFile(tool, 'build the native build/ (scripts/test does)');
  return spawnSync(tool, ['--fit', path], { encoding: 'utf8', env: { ...process.env, SDL_AUDIODRIVER: 'dummy' } });
}

// In the page: the music file at url decoded by the browser and fitted by
// the program (page/music_beats.js), under the file name name.
export function fitInPage(page, url, name, downbeatShift = 0) {
  return page.evaluate(async (url, name, shift) => {
    const { fitMusic } = await import('./page/music_beats.js');
    const bytes = await (await fetch(url)).arrayBuffer();
    const buffer = await new OfflineAudioContext(2, 1, 44100).decodeAudioData(bytes);
    return fitMusic(buffer, name, shift);
  }, url, name, downbeatShift);
}
