// The show's page: in headless Chromium every frame of the contact sheet
// and two outline frames against orvel-capture's pictures, the calm show's
// frames against orvel-capture --calm's, and the refusal of a bad ?at=; in
// Chromium, Firefox and WebKit play mode with its keys, menu (the calm show
// turned on and off), sync.txt and end, and the show without its music.
// Run by scripts/test after scripts/web: node --test tests/web/show.test.mjs
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import {
  engines, faults, launchBrowser, musicFile, openAuthorMode, openPage, serveSite, state,
  syncFileMarks, syncFileRate, waitForState,
} from './browser.mjs';
import { nativeFrame } from './capture.mjs';
import { decodePng, differingShare, MATCH_LEVELS as LEVELS, MATCH_SHARE as MAX_SHARE } from './png.mjs';
import { longOpeningTiming, showSchedule } from './schedule.mjs';

const schedule = showSchedule();
const FPS = schedule.frameFps;
const SIZE = `${schedule.pictureWidth}x${schedule.pictureHeight}`;
// The contact sheet's moments, one a segment, then the outline moments:
// line strips and byte colours.
const TIMES = [...schedule.segmentMoments, ...schedule.outlineMoments];
const MENU = ['Dot', 'Wireframe', 'Flat', 'Texturemap', 'Calm: off'];
// A moment of each segment that the calm show changes: dimmed (1, 4, 5, 6
// and 8) or slowed (7 and 9).
const CALM_TIMES = schedule.segmentMoments.slice(0, 9).filter((t, i) => i === 0 || i >= 3);
// The tests of the opening's keys and menu play a site whose opening (the
// show's first segment) lasts 40 seconds, which they catch however slowly
// the machine draws, and whose rest passes in a quarter of a minute.
const LONG_OPENING_END = 40;
// Play mode at its full size: pictures taken a moment apart are compared,
// which a lowered scale between them would tell apart.
const PLAY = 'index.html?scale=1';
const MUSIC = musicFile();

let browser;
// The browser of the engine whose play mode is under test, and the engine.
let player;
let site;
let longOpening;
let work;
const shares = [];

before(async () => {
  work = mkdtempSync(join(tmpdir(), 'orvel-web-test-'));
  site = await serveSite();
  longOpening = await serveSite({ files: { 'timing.txt': longOpeningTiming(LONG_OPENING_END) } });
  browser = await launchBrowser();
});

after(async () => {
  if (browser) await browser.close();
  if (site) await site.close();
  if (longOpening) await longOpening.close();
  if (work) rmSync(work, { recursive: true, force: true });
  for (const s of shares) console.log(`frame at ${s.time} s: ${(100 * s.share).toFixed(3)} % of pixels differ`);
});

async function webFrame(time, calm = false) {
  const { page, record } = await openPage(browser, `${site.url}index.html?at=${time}${calm ? '&calm' : ''}`);
  try {
    await waitForState(page, ['frame', 'error'], 30000);
    const look = await page.evaluate(() => {
      const canvas = document.querySelector('canvas');
      const box = canvas.getBoundingClientRect();
      const shown = [...document.body.querySelectorAll('body > :not(#stage):not(script)')]
        .filter((e) => !e.hidden && getComputedStyle(e).display !== 'none').map((e) => e.id);
      return {
        state: document.documentElement.dataset.orvel,
        // Shown canvases: author mode's strip is there, hidden.
        canvases: [...document.querySelectorAll('canvas')].filter((c) => c.offsetParent !== null).length,
        size: [canvas.width, canvas.height, box.width, box.height],
        shown,
        png: canvas.toDataURL('image/png'),
      };
    });
    assert.equal(look.state, 'frame', `?at=${time} gave "${look.state}"`);
    assert.equal(look.canvases, 1);
    const { pictureWidth: width, pictureHeight: height } = schedule;
    assert.deepEqual(look.size, [width, height, width, height], `an unscaled ${SIZE} canvas`);
    assert.deepEqual(look.shown, [], 'nothing over the canvas in frame mode');
    assert.deepEqual(faults(record), []);
    assert.ok(record.console.some((m) => m.type === 'debug' && m.text === 'CHUNK_OBJECT_MESH found!'),
      "the loader's progress messages are console debug lines");
    return decodePng(Buffer.from(look.png.slice(look.png.indexOf(',') + 1), 'base64'));
  } finally {
    await page.close();
  }
}

describe('frame mode draws what orvel-capture draws', () => {
  for (const time of TIMES) {
    test(`?at=${time}`, async () => {
      const [native, web] = await Promise.all([nativeFrame(time, work), webFrame(time)]);
      const share = differingShare(native, web, LEVELS);
      shares.push({ time, share });
      assert.ok(share <= MAX_SHARE,
        `${(100 * share).toFixed(3)} % of pixels differ by more than ${LEVELS} levels (at most ${100 * MAX_SHARE} %)`);
    });
  }
});

describe('frame mode with ?calm draws what orvel-capture --calm draws', () => {
  for (const time of CALM_TIMES) {
    test(`?at=${time}&calm`, async () => {
      const [native, web] = await Promise.all([nativeFrame(time, work, null, true), webFrame(time, true)]);
      const share = differingShare(native, web, LEVELS);
      shares.push({ time: `${time} (calm)`, share });
      assert.ok(share <= MAX_SHARE,
        `${(100 * share).toFixed(3)} % of pixels differ by more than ${LEVELS} levels (at most ${100 * MAX_SHARE} %)`);
    });
  }
});

describe('a bad ?at= or ?t= is refused', () => {
  // The show's end, and a hundredth of a second before it: that lies before
  // the end, but its frame after it.
  const end = schedule.showEnd;
  const beforeEnd = (Number(end) - 0.01).toFixed(2);
  assert.ok(Number(beforeEnd) < Number(end) && Math.round(FPS * Number(beforeEnd)) / FPS > Number(end),
    `${beforeEnd} s, before the show's end, has its frame after it`);
  const cases = [...['abc', '-1', end, beforeEnd, '', '1e9', 'NaN'].map((at) => ['at', at]),
    ...['abc', '-1', end].map((t) => ['t', t])];
  for (const [name, at] of cases) {
    test(`?${name}=${at}`, async () => {
      const { page, record } = await openPage(browser, `${site.url}index.html?${name}=${encodeURIComponent(at)}`);
      try {
        await waitForState(page, ['error', 'frame'], 30000);
        const shown = await page.evaluate(() => ({
          state: document.documentElement.dataset.orvel,
          message: document.getElementById('message').hidden ? '' : document.getElementById('message').textContent,
        }));
        assert.equal(shown.state, 'error');
        assert.equal(shown.message.slice(0, name.length + at.length + 3), `${name}=${at}: `);
        assert.doesNotMatch(shown.message, /\n/);
        assert.ok(record.console.some((m) => m.text === `orvel: ${shown.message}`), 'the reason on the console');
        assert.deepEqual(faults(record), []);
      } finally {
        await page.close();
      }
    });
  }
});

async function startShow(page, audio) {
  await waitForState(page, 'waiting', 60000);
  // The warning before the flashes, on the first screen only.
  const warning = () => page.$eval('#warning', (w) => (getComputedStyle(w).display === 'none' ? '' : w.textContent));
  const overlay = await page.evaluate(() => {
    const start = document.getElementById('start');
    const canvases = [...document.querySelectorAll('canvas')].filter((c) => c.offsetParent !== null).length;
    return { visible: start.offsetParent !== null, text: start.textContent, canvases };
  });
  assert.deepEqual(overlay, { visible: true, text: 'Play', canvases: 1 });
  assert.match(await warning(), /^This show contains flashing lights and fast-moving patterns\. “Play calm” plays it /);
  await page.mouse.click(200, 150);
  await waitForState(page, 'playing', 10000);
  assert.equal(await warning(), '', 'no warning over the show');
  await page.waitForFunction((a) => document.documentElement.dataset.audio === a, { timeout: 5000 }, audio);
}

// What the canvas shows; the full-screen button, which sits on it, is
// hidden for the picture.
async function canvasPicture(page) {
  await page.$eval('#fullscreen', (b) => { b.style.visibility = 'hidden'; });
  const canvas = await page.$('canvas');
  const picture = decodePng(await canvas.screenshot({ type: 'png' }));
  await page.$eval('#fullscreen', (b) => { b.style.visibility = ''; });
  return picture;
}

function litShare(picture) {
  let lit = 0;
  for (let i = 0; i < picture.width * picture.height; ++i)
    lit += picture.rgba[4 * i] | picture.rgba[4 * i + 1] | picture.rgba[4 * i + 2] ? 1 : 0;
  return lit / (picture.width * picture.height);
}

function withoutMusic() {
  // The browser's audio, broken before the page's script runs.
  const cases = {
    'music that cannot be decoded': [
      () => { OfflineAudioContext.prototype.decodeAudioData = () => Promise.reject(new Error('broken')); },
      'orvel: the music cannot be decoded (Error: broken): the show runs silent'],
    'no audio output': [
      () => { window.AudioContext = class { constructor() { throw new Error('no output'); } }; },
      'orvel: the music cannot be played (Error: no output): the show runs silent'],
  };
  for (const [name, [breakAudio, warning]] of Object.entries(cases)) {
    test(name, async () => {
      const broken = await serveSite({ prelude: `(${breakAudio})();` });
      const { page, record } = await openPage(player.browser, `${broken.url}${PLAY}`);
      try {
        await startShow(page, 'silent');
        assert.ok(record.console.some((m) => m.type === 'warn' && m.text === warning),
          `a console warning "${warning}"`);
        await drawnOn(page);
        assert.equal((await state(page)).orvel, 'playing');
        await page.keyboard.press('Escape');
        await waitForState(page, 'ended', 10000);
        assert.deepEqual(syncFileMarks(await page.$eval('#sync', (e) => e.textContent)), []);
        assert.deepEqual(faults(record), []);
      } finally {
        await page.close();
        await broken.close();
      }
    });
  }
}

// The demo times of the frames that the page draws, and the first samples
// that the music's first piece plays, recorded from before the click on.
async function watchStart(page) {
  await page.evaluate(() => {
    window.seen = { times: [], sounds: [] };
    new MutationObserver(() => seen.times.push(document.documentElement.dataset.time))
      .observe(document.documentElement, { attributeFilter: ['data-time'] });
    const start = AudioBufferSourceNode.prototype.start;
    AudioBufferSourceNode.prototype.start = function (when, offset, duration) {
      const at = Math.round(offset * this.buffer.sampleRate);
      seen.sounds.push(Array.from(this.buffer.getChannelData(0).subarray(at, at + 512)));
      return start.call(this, when, offset, duration);
    };
  });
}

// How far the first samples that the page played lie from those of the
// whole music (decoded at once, in the page) at second t; null where no
// music played.
function soundFrom(page, t) {
  return page.evaluate(async (file, t) => {
    if (seen.sounds.length === 0) return null;
    const bytes = await (await fetch(encodeURIComponent(file))).arrayBuffer();
    const whole = (await new OfflineAudioContext(2, 1, 44100).decodeAudioData(bytes)).getChannelData(0);
    const at = Math.round(t * 44100);
    return Math.max(...seen.sounds[0].map((v, i) => Math.abs(v - whole[at + i])));
  }, MUSIC, Number(t));
}

// Until the picture on screen is of a frame 0.2 s of show time after now's.
// The limit only ends a show that stopped; a busy machine draws slowly.
async function drawnOn(page) {
  const now = Number((await state(page)).time);
  await page.waitForFunction((t) => Number(document.documentElement.dataset.time) > t + 0.2,
    { timeout: 30000, polling: 20 }, now);
}

// The music that plays from second t is the music's own there, where the
// engine plays it.
async function expectSoundFrom(page, t) {
  const off = await soundFrom(page, t);
  if (player.engine.music.playing === 'silent') assert.equal(off, null, 'no music started');
  else assert.ok(off !== null && off < 1e-4, `the music from ${t} s: its samples ${off} off`);
}

function playMode() {
  test('?t= plays picture and music from that moment; after ESC a link plays from the picture then', async () => {
    const { page, record } = await openPage(player.browser, `${site.url}${PLAY}&t=50`);
    try {
      await watchStart(page);
      await startShow(page, player.engine.music.playing);
      await page.waitForFunction(() => seen.times.length > 0, { timeout: 5000 });
      assert.equal(await page.evaluate(() => seen.times[0]), '50.000');
      await expectSoundFrom(page, 50);
      await page.keyboard.press('Escape');
      await waitForState(page, 'ended', 10000);
      const end = await page.evaluate(() => ({
        time: document.documentElement.dataset.time,
        href: document.getElementById('moment').href,
        text: document.getElementById('moment').textContent,
      }));
      assert.match(end.time, /^\d+\.\d{3}$/);
      assert.ok(Number(end.time) >= 50, `ESC after 50 s: ${end.time}`);
      assert.equal(end.href, `${site.url}${PLAY}&t=${end.time}`);
      assert.equal(end.text, `Link to this moment (${end.time} s)`);

      // The link starts at the frame of that time on the grid of ?at=.
      await page.goto(end.href);
      await watchStart(page);
      await startShow(page, player.engine.music.playing);
      await page.waitForFunction(() => seen.times.length > 0, { timeout: 5000 });
      const frame = Math.round(FPS * Number(end.time)) / FPS;
      assert.equal(await page.evaluate(() => seen.times[0]), frame.toFixed(3));
      await expectSoundFrom(page, frame);
      assert.deepEqual(faults(record), []);
    } finally {
      await page.close();
    }
  });

  test('the menu turns the calm show on and off, and says which', async () => {
    const { page, record } = await openPage(player.browser, `${site.url}${PLAY}`);
    try {
      await startShow(page, player.engine.music.playing);
      // The last entry's label, then a click on it.
      const toggle = async () => {
        await page.mouse.click(400, 300, { button: 'right' });
        const labels = await page.$$eval('#menu li', (items) => items.map((i) => i.textContent));
        await page.click(`#menu li:nth-child(${labels.length})`);
        return labels[labels.length - 1];
      };
      const calm = (on) => page.waitForFunction((o) => document.documentElement.dataset.calm === o,
        { timeout: 5000, polling: 50 }, String(on));
      assert.equal(await toggle(), 'Calm: off');
      await calm(true);
      assert.equal(await toggle(), 'Calm: on');
      await calm(false);
      assert.deepEqual(faults(record), []);
    } finally {
      await page.close();
    }
  });

  test('HOME stops and starts the opening spin; END three times, then ESC: sync.txt on the page', async () => {
    const { page, record } = await openPage(player.browser, `${longOpening.url}${PLAY}`);
    try {
      await startShow(page, player.engine.music.playing);
      // Two pictures a fifth of a second of show time apart, however long
      // the machine takes to draw them.
      const twoPictures = async () => {
        const first = await canvasPicture(page);
        await drawnOn(page);
        return [first, await canvasPicture(page)];
      };
      await page.keyboard.press('Home');
      await drawnOn(page);
      const still = await twoPictures();
      assert.equal(differingShare(still[0], still[1], 0), 0, 'after HOME the opening stands still');
      await page.keyboard.press('Home');
      await drawnOn(page);
      const turning = await twoPictures();
      assert.ok(differingShare(turning[0], turning[1], LEVELS) > 0.05, 'after HOME again it turns');
      // Each mark on a frame of its own.
      for (let i = 0; i < 3; ++i) {
        await page.keyboard.press('End');
        await drawnOn(page);
      }
      await page.keyboard.press('Escape');
      await waitForState(page, 'ended', 10000);
      const result = await page.evaluate(async () => {
        const save = document.getElementById('save');
        return {
          text: document.getElementById('sync').textContent,
          download: save.getAttribute('download'),
          saved: save.hidden ? null : await (await fetch(save.href)).text(),
          audio: document.documentElement.dataset.audio,
        };
      });
      const times = syncFileMarks(result.text);
      assert.equal(times.length, 3, result.text);
      assert.ok(times[0] > 0 && times[0] < times[1] && times[1] < times[2], `ordered marks: ${times}`);
      assert.ok(syncFileRate(result.text) > 0, 'a frame rate');
      assert.equal(result.download, 'sync.txt');
      assert.equal(result.saved, result.text, 'the link saves the same text');
      assert.equal(result.audio, player.engine.music.ended);

      // "Play again" beside the text starts over, with the music from its start.
      await page.click('#sync-again');
      await waitForState(page, 'playing', 10000);
      assert.equal(await page.$eval('#result', (e) => e.hidden), true);
      await page.keyboard.press('Escape');
      await waitForState(page, 'ended', 10000);
      assert.deepEqual(syncFileMarks(await page.$eval('#sync', (e) => e.textContent)), [],
        'no marks from the first run');
      assert.deepEqual(faults(record), []);
    } finally {
      await page.close();
    }
  });

  test('the menu changes the opening; the show ends by itself on a clear end screen, quietly, and plays again',
    async () => {
    const { page, record } = await openPage(player.browser, `${longOpening.url}${PLAY}`);
    try {
      await startShow(page, player.engine.music.playing);
      const choose = async (label) => {
        await page.mouse.click(400, 300, { button: 'right' });
        const labels = await page.$$eval('#menu li', (items) => items.map((i) => i.textContent));
        assert.deepEqual(labels, MENU);
        const chosen = await page.evaluate(() => Number(document.documentElement.dataset.time));
        await page.click(`#menu li:nth-child(${labels.indexOf(label) + 1})`);
        assert.equal(await page.$eval('#menu', (m) => m.hidden), true);
        // Two frames on, the picture is one drawn in the chosen mode.
        await page.waitForFunction((t) => Number(document.documentElement.dataset.time) > t,
          { timeout: 10000, polling: 20 }, chosen);
        const next = await page.evaluate(() => Number(document.documentElement.dataset.time));
        await page.waitForFunction((t) => Number(document.documentElement.dataset.time) > t,
          { timeout: 10000, polling: 20 }, next);
        const picture = await canvasPicture(page);
        const { time, segment } = await state(page);
        const shown = Number(time);
        assert.ok(shown < LONG_OPENING_END, `"${label}" seen in the opening (at ${shown} s)`);
        assert.equal(segment, '1', `segment ${segment} on screen at ${shown} s`);
        return picture;
      };
      // The opening draws only in "Texturemap"; the other modes leave it black.
      const dot = await choose('Dot');
      assert.equal(litShare(dot), 0, 'the opening in "Dot" is black');
      const texturemap = await choose('Texturemap');
      assert.ok(litShare(texturemap) > 0.5, `the opening in "Texturemap" is drawn (${litShare(texturemap)})`);
      assert.equal(litShare(await choose('Dot')), 0, 'and in "Dot" again black');

      await waitForState(page, 'ended', 150000);
      const end = await page.evaluate(() => ({
        sync: document.getElementById('sync').textContent,
        screen: !document.getElementById('end-screen').hidden,
        text: document.getElementById('end').textContent,
        focused: document.activeElement.textContent,
        audio: document.documentElement.dataset.audio,
      }));
      assert.deepEqual(end,
        { sync: '', screen: true, text: 'The end', focused: 'Play again', audio: player.engine.music.ended });
      await page.$eval('#end-screen', (e) => { e.style.visibility = 'hidden'; });
      assert.equal(litShare(await canvasPicture(page)), 0, 'the last frame is cleared');
      await page.$eval('#end-screen', (e) => { e.style.visibility = ''; });
      // A whole play-through without faults says nothing at the console's
      // default levels (Firefox, given no sound output here, warns that the
      // show runs silent).
      const said = record.console.filter((m) => m.type !== 'debug' && m.type !== 'verbose' &&
        !(player.engine.music.playing === 'silent' && / the show runs silent$/.test(m.text)));
      assert.deepEqual(said, []);

      // "Play again": the start-up state again, "Texturemap" included
      // although "Dot" was chosen last, and the music from its start.
      await page.click('#end-screen .again');
      await waitForState(page, 'playing', 10000);
      assert.equal(await page.$eval('#end-screen', (e) => e.hidden), true);
      await page.waitForFunction((a) => document.documentElement.dataset.audio === a, { timeout: 5000 },
        player.engine.music.playing);
      await drawnOn(page);
      assert.ok(litShare(await canvasPicture(page)) > 0.5, 'the opening is drawn again');
      assert.deepEqual(faults(record), []);
    } finally {
      await page.close();
    }
  });
}

for (const engine of engines) {
  describe(`${engine.name}: play mode`, () => {
    before(async () => {
      player = { engine, browser: await engine.launch() };
    });
    after(async () => {
      if (player) await player.browser.close();
      player = undefined;
    });
    describe('without its music the show runs silent', withoutMusic);
    describe('with its keys, menu and end', playMode);
    test('author mode: SPACE pauses on a frame of the grid of ?at= and plays on', async () => {
      const { page, record } = await openAuthorMode(player.browser, site.url);
      try {
        // ' ', not 'Space': the name that every engine's keyboard knows.
        await page.keyboard.press(' ');
        await waitForState(page, 'paused', 5000);
        // The time is written to the millisecond: a frame's within half of one.
        const time = Number((await state(page)).time);
        assert.ok(Math.abs(time - Math.round(time * FPS) / FPS) <= 0.0005 + 1e-9, `paused at ${time} s`);
        await page.keyboard.press(' ');
        await waitForState(page, 'playing', 5000);
        assert.deepEqual(faults(record), []);
      } finally {
        await page.close();
      }
    });
  });
}
