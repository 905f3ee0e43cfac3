// The page on a link slower than the show, in headless Chromium: the site's
// second data file (the scenes after the opening's, in the order the show
// needs them) stalls after the packs that the show's first four segments
// need, on a throttled link. ?at=T draws its frame before the rest has
// arrived, as orvel-capture draws it; play mode plays up to the segment
// whose scene has not come, waits there with its music, and plays on in
// step once the data comes.
// Run by scripts/test after scripts/web: node --test tests/web/stream.test.mjs
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { gunzipSync } from 'node:zlib';
import {
  faults, launchBrowser, musicFile, openPage, serveSite, siteDir, siteFiles, state, waitForState,
} from './browser.mjs';
import { nativeFrame } from './capture.mjs';
import { differingShare, decodePng, MATCH_LEVELS, MATCH_SHARE } from './png.mjs';
import { showSchedule } from './schedule.mjs';

const schedule = showSchedule();
const MUSIC = musicFile();
const restData = siteFiles().filter((f) => f.endsWith('.data'))[1];
// Segment 5 is the first after the opening to draw a scene that no earlier
// segment draws (test2.3ds, in shell/schedule.h): the link stalls before it.
const HELD_SEGMENT = 5;
const HELD_SCENE = 'demodata/test2.3ds';
const HELD_FROM = schedule.segmentBounds[HELD_SEGMENT - 1];
// A link of 4 Mbit/s with a phone's round trip.
const LINK = { download: 500000, upload: 500000, latency: 80 };

// The bytes of restData before the pack that brings HELD_SCENE: a data file
// is a 20-byte header, then packs, each a 32-bit size and that much gzip.
function bytesBeforeHeldScene() {
  const data = readFileSync(join(siteDir, restData));
  for (let at = 20; at < data.length;) {
    const size = data.readUInt32LE(at);
    if (gunzipSync(data.subarray(at + 4, at + 4 + size)).includes(HELD_SCENE)) return at;
    at += 4 + size;
  }
  throw new Error(`${restData} holds no ${HELD_SCENE}`);
}

let browser;
let work;
const held = { file: restData, after: 0 };

before(async () => {
  work = mkdtempSync(join(tmpdir(), 'orvel-stream-test-'));
  held.after = bytesBeforeHeldScene();
  browser = await launchBrowser();
});

after(async () => {
  if (browser) await browser.close();
  if (work) rmSync(work, { recursive: true, force: true });
});

// The page at `query` on the slow link that stalls, with `then(page, site)`;
// fast: on a link neither slow nor stalling; flowing: slow, not stalling;
// ranges: false for a server that sends whole files only.
async function onStallingLink(query, then, { fast = false, flowing = false, ranges = true } = {}) {
  const site = await serveSite({ hold: fast || flowing ? null : held, ranges });
  const { page, record } = await openPage(browser, `${site.url}index.html?${query}`, undefined,
    (opening) => (fast ? null : opening.emulateNetworkConditions(LINK)));
  try {
    await then(page, site);
    assert.deepEqual(faults(record), []);
  } finally {
    await page.close();
    await site.close();
  }
}

test('?at=T draws its frame once the scenes T needs have come, before the rest, as orvel-capture does', async () => {
  for (const time of [schedule.segmentMoments[0], schedule.segmentMoments[HELD_SEGMENT - 2]]) {
    await onStallingLink(`at=${time}`, async (page) => {
      await waitForState(page, ['frame', 'error'], 30000);
      const png = await page.$eval('#canvas', (c) => c.toDataURL('image/png'));
      const web = decodePng(Buffer.from(png.slice(png.indexOf(',') + 1), 'base64'));
      const share = differingShare(await nativeFrame(time, work), web, MATCH_LEVELS);
      assert.ok(share <= MATCH_SHARE, `?at=${time}: ${(100 * share).toFixed(3)} % of pixels differ`);
    });
  }
});

test('play mode waits where the data ends, music and picture together, and plays on in step', async () => {
  const from = (HELD_FROM - 1).toFixed(1);
  await onStallingLink(`t=${from}&scale=1`, async (page, site) => {
    await waitForState(page, 'waiting', 30000);
    await page.evaluate(() => {
      window.latest = 0;
      new MutationObserver(() => { latest = Math.max(latest, Number(document.documentElement.dataset.time)); })
        .observe(document.documentElement, { attributeFilter: ['data-time'] });
    });
    await page.keyboard.press('Enter');
    await waitForState(page, 'stalled', 10000);
    const waiting = async () => ({
      ...(await page.evaluate(() => ({
        latest, clock: orvelPlay.demoTime(), bar: document.getElementById('loading-text').textContent,
        shown: !document.getElementById('loading').hidden,
      }))),
      audio: (await state(page)).audio,
    });
    const stalled = await waiting();
    assert.ok(stalled.latest > Number(from) && stalled.latest < HELD_FROM, `the last frame at ${stalled.latest} s`);
    assert.equal(stalled.clock, HELD_FROM, 'the clock waits at the segment whose scene has not come');
    assert.match(stalled.bar, /^Waiting for the data: \d+ %$/);
    assert.deepEqual([stalled.shown, stalled.audio], [true, 'stopped']);
    await new Promise((r) => setTimeout(r, 500));
    // The bar moves as the music goes on arriving; the show does not.
    const { bar, ...still } = await waiting();
    assert.deepEqual({ ...still, bar: stalled.bar }, stalled, 'nothing moves while the data is away');

    site.release();
    await waitForState(page, 'playing', 30000);
    await page.waitForFunction((t) => Number(document.documentElement.dataset.time) > t + 0.5, { timeout: 10000 },
      HELD_FROM);
    const heard = await page.evaluate(() => [orvelPlay.demoTime(), orvelPlay.musicTime()]);
    assert.ok(Math.abs(heard[0] - heard[1]) <= schedule.syncTolerance, `demo clock and music at ${heard}`);
    assert.deepEqual([(await state(page)).audio, await page.$eval('#loading', (e) => e.hidden)], ['playing', true]);
  });
});

// Every piece of the music, as the page decoded it while it arrived, holds
// the samples that a decode of the whole file holds at its seconds: the
// worst difference, over the pieces' first and last samples.
async function piecesOffWhole(page) {
  return page.evaluate(async (file) => {
    const { decodedMusic } = await import('./page/sound.js');
    const bytes = await (await fetch(encodeURIComponent(file))).arrayBuffer();
    const whole = (await new OfflineAudioContext(2, 1, 44100).decodeAudioData(bytes)).getChannelData(0);
    let worst = 0;
    let seconds = 0;
    for (const piece of decodedMusic()) {
      const samples = piece.buffer.getChannelData(0);
      const rate = piece.buffer.sampleRate;
      const count = Math.round((piece.end - piece.start) * rate);
      const first = Math.round(piece.offset * rate);
      const start = Math.round(piece.start * rate);
      for (const i of [...Array(256).keys(), ...Array.from({ length: 256 }, (_, k) => count - 256 + k)]) {
        worst = Math.max(worst, Math.abs(samples[first + i] - whole[start + i]));
      }
      seconds += piece.end - piece.start;
    }
    const pieces = decodedMusic();
    return { worst, seconds, first: pieces[0].start, length: whole.length / 44100, pieces: pieces.length };
  }, MUSIC);
}

test('the music decoded in pieces as it arrives is the whole decode: from 0, from ?t=, without ranges', async () => {
  for (const [from, ranges] of [['0', true], [schedule.segmentMoments[4], true], [schedule.segmentMoments[4], false]]) {
    await onStallingLink(`t=${from}`, async (page) => {
      await page.waitForFunction(() => import('./page/sound.js').then((m) => m.musicReadyUntil(0) === Infinity),
        { timeout: 60000, polling: 200 });
      const { worst, seconds, first, length, pieces } = await piecesOffWhole(page);
      assert.ok(pieces >= 2, `${pieces} pieces: the first seconds apart`);
      // From the frame that holds ?t='s second to the end (the music outlasts the show: no loop).
      assert.ok(first <= Number(from) && first > Number(from) - 0.03, `the first piece starts at ${first} s`);
      assert.ok(Math.abs(seconds - (length - first)) < 1e-6, `the pieces hold ${seconds} s of ${length - first} s`);
      assert.ok(worst < 1e-4, `a piece's samples lie ${worst} from the whole decode's`);
    }, { fast: true, ranges });
  }
});

test("author mode draws the music's waveform on its strip as the music arrives", async () => {
  await onStallingLink('edit', async (page) => {
    // The strip's columns that the waveform's colour reaches.
    const drawn = () => {
      const strip = document.getElementById('strip');
      const { data } = strip.getContext('2d').getImageData(0, 0, strip.width, strip.height);
      let columns = 0;
      for (let x = 0; x < strip.width; ++x) {
        for (let y = 0; y < strip.height; ++y) {
          const at = 4 * (y * strip.width + x);
          if (data[at] === 0x4a && data[at + 1] === 0x6a && data[at + 2] === 0x8a) {
            ++columns;
            break;
          }
        }
      }
      return columns;
    };
    const early = await page.waitForFunction(`(${drawn})() > 0 && document.documentElement.dataset.orvel === 'loading'
      && (${drawn})()`, { timeout: 30000, polling: 100 }).then((h) => h.jsonValue());
    await waitForState(page, 'waiting', 60000);
    const whole = await page.evaluate(drawn);
    const width = await page.$eval('#strip', (c) => c.width);
    assert.ok(early < whole / 2 && whole > 0.9 * width, `${early}, then ${whole} of ${width} columns`);
  }, { flowing: true });
});
