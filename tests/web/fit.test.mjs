// The music's beats and the show fitted to them in the page, in headless
// Chromium: the program's own analysis (web/music_fit.h) on music that the
// browser decoded gives show-schedule --fit's timing within 10 ms, its
// bars every fourth beat from the downbeat (moved when asked), and the
// same refusal for music with no beat.
// Run by scripts/test after scripts/web: node --test tests/web/fit.test.mjs
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { faults, launchBrowser, openPage, serveSite, waitForState } from './browser.mjs';
import { clickTrack, fitInPage, nativeFit } from './click_track.mjs';

const TRACKS = {
  'clicks 128.wav': clickTrack({ bpm: 128, offset: 0.37, seconds: 90 }),
  'clicks 96.wav': clickTrack({ bpm: 96, offset: 1.1, seconds: 150 }),
  'silence.wav': clickTrack({ bpm: 0, seconds: 20 }),
};

let browser;
let site;
let work;
let page;
let record;

before(async () => {
  work = mkdtempSync(join(tmpdir(), 'orvel-fit-test-'));
  for (const [name, bytes] of Object.entries(TRACKS)) writeFileSync(join(work, name), bytes);
  site = await serveSite({ files: TRACKS });
  browser = await launchBrowser();
  ({ page, record } = await openPage(browser, site.url));
  await waitForState(page, 'waiting', 60000);
});

after(async () => {
  if (browser) await browser.close();
  if (site) await site.close();
  if (work) rmSync(work, { recursive: true, force: true });
});

// A timing file's text as its lines' names and their numbers.
function timingLines(text) {
  const lines = new Map();
  for (const line of text.split('\n')) {
    const named = /^([a-z]+(?: \d+)?): (.+)$/.exec(line);
    if (named) lines.set(named[1], named[1] === 'music' ? named[2] : named[2].split(' ').map(Number));
  }
  return lines;
}

describe('fitted in the page', () => {
  for (const name of ['clicks 128.wav', 'clicks 96.wav']) {
    test(`${name}: the timing of show-schedule --fit, each time within 10 ms`, async () => {
      const native = nativeFit(join(work, name));
      assert.equal(native.status, 0, native.stderr);
      const fitted = await fitInPage(page, encodeURI(name), name);
      assert.ok(fitted.ok, fitted.text);
      const want = timingLines(native.stdout);
      const got = timingLines(fitted.text);
      assert.deepEqual([...got.keys()], [...want.keys()]);
      assert.equal(got.get('music'), name);
      for (const [line, times] of want) {
        if (line === 'music') continue;
        assert.equal(got.get(line).length, times.length, line);
        times.forEach((t, i) => assert.ok(Math.abs(got.get(line)[i] - t) <= 0.010,
          `${line}: ${got.get(line)[i]} in the page, ${t} natively`));
      }
      assert.deepEqual(faults(record), []);
    });
  }

  test('the bars fall on every fourth beat from the downbeat, and move with it', async () => {
    const fitted = await fitInPage(page, encodeURI('clicks 128.wav'), 'clicks 128.wav');
    const shifted = await fitInPage(page, encodeURI('clicks 128.wav'), 'clicks 128.wav', 1);
    assert.equal(fitted.beatsPerBar, 4);
    // Every click a beat: 60 / 128 s apart, from the first click on.
    fitted.beats.slice(1).forEach((t, i) => assert.ok(Math.abs(t - fitted.beats[i] - 60 / 128) < 0.02,
      `beats at ${fitted.beats[i]} and ${t} s`));
    assert.ok(Math.abs(fitted.beats[0] - 0.37) < 0.02, `the first beat at ${fitted.beats[0]} s`);
    fitted.bars.forEach((t, i) => assert.equal(t, fitted.beats[fitted.firstDownbeat + 4 * i]));
    // A beat on: the bar starts a beat later, or where that passes a bar, the beat after the first bar line.
    assert.equal(shifted.firstDownbeat, (fitted.firstDownbeat + 1) % 4);
    assert.deepEqual(shifted.beats, fitted.beats);
    shifted.bars.forEach((t, i) => assert.equal(t, fitted.beats[shifted.firstDownbeat + 4 * i]));
    assert.notEqual(shifted.text, fitted.text);
  });

  test('music with no beat is refused in one line, as show-schedule refuses it', async () => {
    const native = nativeFit(join(work, 'silence.wav'));
    assert.equal(native.status, 1);
    const fitted = await fitInPage(page, 'silence.wav', 'silence.wav');
    assert.equal(fitted.ok, false);
    assert.equal(fitted.text, 'silence.wav: no beat found in the music');
    assert.equal(native.stderr, `show-schedule: ${join(work, 'silence.wav')}: no beat found in the music\n`);
    assert.deepEqual(fitted.beats, []);
  });
});
