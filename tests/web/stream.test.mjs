// The page on a link slower than the show, in headless Chromium: the site's
// second data file (the scenes after the opening's, in the order the show
// needs them) stalls after the packs that the show's first four segments
// need, on a throttled link. ?at=T draws its frame before the rest has
// arrived, as orvel-capture draws it; play mode plays up to the segment
// whose scene has not come, waits there with its music, and plays on in
// step once the data comes.
// Run by scripts/test after scripts/web: node --test tests/web/stream.test.mjs
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { pathToFileURL } from 'node:url';
import { gunzipSync } from 'node:zlib';
import {
  faults, launchBrowser, musicFile, openPage, repo, serveSite, siteDir, siteFiles, state, until, waitForState,
} from './browser.mjs';
import { nativeFrame } from './capture.mjs';
import { differingShare, decodePng, MATCH_LEVELS, MATCH_SHARE } from './png.mjs';
import { builtInTimingText, showSchedule } from './schedule.mjs';

const pageModule = (name) => import(pathToFileURL(join(repo, 'web', 'site', 'page', name)).href);
const { playThroughWait } = await pageModule('arrival.js');
const { decodedLength, fileTag, findFrame, frameHeader, id3Size } = await pageModule('mp3.js');

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

// What the panel that says a wait shows: its text, and whether it stands
// on screen with a box of its own.
const waitPanel = () => {
  const panel = document.getElementById('loading');
  const box = panel.getBoundingClientRect();
  return { text: document.getElementById('loading-text').textContent,
    shown: panel.checkVisibility() && box.width > 0 && box.height > 0 };
};

test('play mode waits where the data ends, music and picture together, says so, and plays on from there', async () => {
  // Far enough before it that the rest could come in time, at the link's rate, were it not held.
  const from = (HELD_FROM - 8).toFixed(1);
  await onStallingLink(`t=${from}&scale=1`, async (page, site) => {
    await waitForState(page, 'waiting', 30000);
    // The frames drawn: the last one's time, and how many.
    await page.evaluate(() => {
      window.drawn = { latest: 0, count: 0 };
      new MutationObserver(() => {
        drawn.latest = Math.max(drawn.latest, Number(document.documentElement.dataset.time));
        drawn.count += 1;
      }).observe(document.documentElement, { attributeFilter: ['data-time'] });
    });
    await page.keyboard.press('Enter');
    await waitForState(page, 'stalled', 10000);
    const waiting = async () => ({
      ...(await page.evaluate((panel) => ({ ...drawn, clock: orvelPlay.demoTime(), panel: eval(panel)() }),
        `(${waitPanel})`)),
      audio: (await state(page)).audio,
    });
    const stalled = await waiting();
    // Frames' times are shown to the millisecond: one just before the segment may read as its start.
    assert.ok(stalled.latest > Number(from) && stalled.latest <= HELD_FROM, `the last frame at ${stalled.latest} s`);
    assert.equal(stalled.clock, HELD_FROM, 'the clock waits at the segment whose scene has not come');
    assert.match(stalled.panel.text, /^Waiting for the data: (about \d+ s|\d+ %)$/);
    assert.deepEqual([stalled.panel.shown, stalled.audio], [true, 'stopped']);
    // The panel is said again as the music goes on arriving; the show does not move.
    await page.waitForFunction((text) => document.getElementById('loading-text').textContent !== text,
      { timeout: 30000, polling: 100 }, stalled.panel.text);
    const { panel, ...still } = await waiting();
    assert.equal(panel.shown, true);
    assert.deepEqual({ ...still, panel: stalled.panel }, stalled, 'nothing moves while the data is away');

    site.release();
    await waitForState(page, 'playing', 30000);
    await page.waitForFunction((t) => Number(document.documentElement.dataset.time) > t + 0.5, { timeout: 10000 },
      HELD_FROM);
    // Music and picture play on from the second they waited at.
    const on = await page.evaluate((panel) => ({ musicFrom: orvelPlay.musicFrom(), shown: eval(panel)().shown }),
      `(${waitPanel})`);
    assert.deepEqual({ ...on, audio: (await state(page)).audio }, { musicFrom: HELD_FROM, shown: false,
      audio: 'playing' });
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

// The music's bytes, and its bytes a second, as its first frame says.
const music = new Uint8Array(readFileSync(join(siteDir, MUSIC)));
const MUSIC_RATE = (frameHeader(music, findFrame(music, id3Size(music))).kbps * 1000) / 8;

// A link that shares itself fairly between the data and the music, each
// read in order, from the end of a wait of `wait` seconds at show second
// `at`: the first show second whose data or music has not come when it is
// needed, or null. The scenes are all needed by scenesUntil.
function firstMiss({ wait, at, end, rate, data, scenesUntil, music, musicRate, musicUntil }) {
  const step = 0.01;
  let [dataLeft, musicGot] = [data, 0];
  for (let t = 0; ; t += step) {
    const second = at + Math.max(0, t - wait);
    if (second >= end) return null;
    if (dataLeft > 0 && second >= scenesUntil) return second;
    if (second > musicUntil && musicGot < (second - musicUntil) * musicRate) return second;
    const share = dataLeft > 0 && musicGot < music ? rate / 2 : rate;
    if (dataLeft > 0) dataLeft -= share * step; else musicGot += share * step;
    if (dataLeft > 0 && musicGot < music) musicGot += share * step;
  }
}

// The shortest wait after which nothing is missed, to a tenth of a second.
function shortestWait(link) {
  let [low, high] = [0, 1000];
  while (high - low > 0.1) {
    const mid = (low + high) / 2;
    if (firstMiss({ ...link, wait: mid }) === null) high = mid; else low = mid;
  }
  return high;
}

test('the wait that a link slower than the music asks for lets the show play to its end, and is not much more', () => {
  const end = Number(schedule.showEnd);
  const data = statSync(join(siteDir, restData)).size;
  // The whole show at 120 and 60 kbit/s, or from its second segment, the opening's scenes and first music there.
  for (const [rate, at] of [[15000, 0], [7500, 0], [15000, schedule.segmentBounds[1]]]) {
    const link = { at, end, rate, data, scenesUntil: HELD_FROM, music: music.length - at * MUSIC_RATE,
      musicRate: MUSIC_RATE, musicUntil: at + 2 };
    const wait = playThroughWait(link);
    const least = shortestWait(link);
    assert.ok(wait >= least && wait <= 1.25 * least + 3, `a wait of ${wait} s at ${rate} bytes a second from ` +
      `${at} s, where ${least} s is enough`);
  }
  // Nothing to come, or nothing arriving.
  const still = { at: 10, end, rate: 15000, data: 0, scenesUntil: end, music: 0, musicRate: MUSIC_RATE,
    musicUntil: 12 };
  assert.equal(playThroughWait(still), 0);
  assert.equal(playThroughWait({ ...still, rate: 0, music: 1000 }), Infinity);
});

// The built-in timing with the segments after the fifth a half second each:
// a show that ends soon after the scenes of the site's second data file
// are needed, all of which it needs.
function shortTiming() {
  let text = builtInTimingText();
  const after = schedule.segmentBounds[5] - 2;
  for (let s = 6; s < schedule.segmentBounds.length; ++s)
    text = text.replace(new RegExp(`^segment ${s}: .*$`, 'm'), `segment ${s}: ${after + (s - 6) / 2}`);
  const end = after + (schedule.segmentBounds.length - 6) / 2;
  return text.replace(/^end: .*$/m, `end: ${end}`);
}

test('on a link too slow for the rest of the show, the page waits once, says how long over the picture, and plays ' +
  'through', async () => {
  const text = shortTiming();
  const rate = 50000;
  const from = HELD_FROM - 3;
  const site = await serveSite({ files: { 'timing.txt': text } });
  const { page, record } = await openPage(browser, `${site.url}index.html?t=${from}`, undefined,
    (opening) => opening.emulateNetworkConditions({ download: rate, upload: rate, latency: 40 }));
  const about = (said) => Number((/^Waiting for the data: about (\d+) s$/.exec(said) || [])[1]);
  try {
    await waitForState(page, 'waiting', 60000);
    // The first screen says it before the start.
    await page.waitForFunction(() => /about \d+ s$/.test(document.getElementById('loading-text').textContent),
      { timeout: 10000, polling: 100 });
    await page.keyboard.press('Enter');
    await waitForState(page, 'stalled', 10000);
    const said = await page.evaluate(`(${waitPanel})()`);
    // The data file whole, at half the link's rate while the music shares it, before its scenes are needed.
    const expected = (2 * statSync(join(siteDir, restData)).size) / rate - (HELD_FROM - from);
    assert.ok(said.shown && about(said.text) >= 0.7 * expected && about(said.text) <= 1.5 * expected + 3,
      `"${said.text}" where about ${expected.toFixed(0)} s is due`);
    await waitForState(page, 'ended', 120000);
    assert.equal((await state(page)).waits, '1', 'one wait, and none after it');
    assert.deepEqual(faults(record), []);
  } finally {
    await page.close();
    await site.close();
  }
});

test('?t= past the end of a music that the show outlasts plays the music from its second within it', async () => {
  const text = builtInTimingText().replace(/^end: .*$/m, 'end: 300');
  const site = await serveSite({ files: { 'timing.txt': text } });
  const { page, record } = await openPage(browser, `${site.url}index.html?t=200`);
  try {
    await waitForState(page, ['waiting', 'error'], 60000);
    await page.keyboard.press('Enter');
    await waitForState(page, 'playing', 10000);
    const { starts, musicFrom } = await page.evaluate(async () => {
      const { decodedMusic } = await import('./page/sound.js');
      return { starts: decodedMusic().map((p) => p.start), musicFrom: orvelPlay.musicFrom() };
    });
    const at = findFrame(music, id3Size(music));
    const header = frameHeader(music, at);
    const musicSeconds = decodedLength(fileTag(music, at), header.samples) / header.rate;
    assert.equal(musicFrom, 200);
    // Fetched from the frame that holds the second within the music (its beginning may have come too).
    const within = 200 % musicSeconds;
    assert.ok(starts.some((start) => start <= within && start > within - 0.03), `pieces from ${starts} s`);
    // No answer that refused a request (the page ends the reading of the music's beginning where it has all it
    // plays, which the browser counts as failed).
    assert.deepEqual(faults(record).filter((f) => !f.startsWith('request failed: http')), []);
  } finally {
    await page.close();
    await site.close();
  }
});

test('a server that answers a later range with the whole music: said, and that download ended', async () => {
  const site = await serveSite({ rangesOf: { file: MUSIC, count: 1 }, hold: { file: MUSIC, after: 65536 } });
  const { page } = await openPage(browser, `${site.url}index.html?t=${schedule.segmentMoments[2]}`);
  try {
    await waitForState(page, 'error', 60000);
    assert.equal(await page.$eval('#message', (e) => e.textContent),
      `${MUSIC} could not be loaded: the server sent all of it where a part was asked for`);
    await until(() => site.cut.includes(MUSIC), 10000, `the server to see ${MUSIC}'s whole answer closed`);
  } finally {
    await page.close();
    await site.close();
  }
});
