// The music's beats and the show fitted to them in the page, in headless
// Chromium: the program's own analysis (web/music_fit.h) on music that the
// browser decoded gives show-schedule --fit's timing within 10 ms, its
// bars every fourth beat from the downbeat (moved when asked), and the
// same refusal for music with no beat. In author mode: the beats and bars
// on the strip, handles snapped to them, "Fit to music" and "Suggest
// marks" as one step each, the downbeat moved by key and by drag. In play
// mode, "Play to my music…": a track chosen or dropped plays with the show
// fitted to it, calm or not, ESC as always, nothing kept; one with no beat
// is said, and nothing plays.
// Run by scripts/test after scripts/web: node --test tests/web/fit.test.mjs
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import {
  faults, launchBrowser, openAuthorMode, openPage, serveSite, syncFileRate, waitForState,
} from './browser.mjs';
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

describe('author mode', () => {
  let author;
  // What the status line says after action (emptied first, so that a line said again counts).
  async function said(action) {
    await author.$eval('#message', (m) => { m.textContent = ''; });
    await action();
    await author.waitForFunction(() => document.getElementById('message').textContent !== '',
      { timeout: 5000, polling: 20 });
    return author.$eval('#message', (m) => m.textContent);
  }
  // The timing that "Save timing.txt" offers.
  async function savedTiming() {
    await author.evaluate(() => {
      window.saved = null;
      const create = URL.createObjectURL;
      URL.createObjectURL = (blob) => { window.saved = blob; URL.createObjectURL = create; return create(blob); };
    });
    await author.click('#save-timing');
    return author.evaluate(() => window.saved.text());
  }
  const beats = () => author.evaluate(() => orvelAuthor.beats());
  // The strip's x, in its pixels, of time t, and the CSS pixel on the page.
  const stripX = (t) => author.evaluate(async (t) => (await import('./author/view.js')).xOf(t), t);
  async function pagePoint(t) {
    const x = await stripX(t);
    return author.$eval('#strip', (s, x) => {
      const box = s.getBoundingClientRect();
      return [box.x + (x / s.width) * box.width, box.y + box.height - 10];
    }, x);
  }
  // Opens a track of TRACKS and waits for its beats, a beat spacing apart.
  async function openTrack(name, spacing) {
    const line = await said(async () => (await author.$('#open-music')).uploadFile(join(work, name)));
    assert.ok(line.startsWith(`${name}: `), line);
    if (spacing) {
      await author.waitForFunction((s) => {
        const b = orvelAuthor.beats();
        return b && Math.abs(b.beats[1] - b.beats[0] - s) < 0.02;
      }, { timeout: 20000 }, spacing);
    }
  }

  before(async () => {
    ({ page: author } = await openAuthorMode(browser, site.url));
    await author.keyboard.press('Space');
    await waitForState(author, 'paused', 5000);
  });

  test(`the music's beats and bars on the strip, "Fit to music" as show-schedule --fit, one step to undo`, async () => {
    await openTrack('clicks 128.wav', 60 / 128);
    const shown = await beats();
    const inPage = await fitInPage(author, encodeURI('clicks 128.wav'), 'clicks 128.wav');
    assert.deepEqual(shown.beats, inPage.beats);
    assert.deepEqual(shown.bars, inPage.bars);
    // Drawn: a bar line strong and yellow, a beat's faint and grey, at the waveform row's top.
    const colourAt = async (t) => author.evaluate(async (x) => {
      const { rows, strip } = await import('./author/strip.js');
      return Array.from(strip.getContext('2d').getImageData(x, rows().wave + 2, 1, 1).data.slice(0, 3));
    }, Math.round(await stripX(t)));
    const bar = await colourAt(shown.bars[2]);
    const beat = await colourAt(shown.beats[shown.firstDownbeat + 9]);
    assert.ok(bar[0] > 200 && bar[2] < 150, `a bar line: ${bar}`);
    assert.ok(beat[0] < 100 && beat[0] > 16 && Math.abs(beat[0] - beat[2]) < 40, `a beat: ${beat}`);

    const before = await savedTiming();
    assert.match(before, /^music: clicks 128.wav$/m);
    assert.equal(await said(() => author.click('#fit-music')), 'The timing fitted to the bars of clicks 128.wav');
    const fitted = await savedTiming();
    assert.equal(fitted, inPage.text);
    const native = timingLines(nativeFit(join(work, 'clicks 128.wav')).stdout);
    for (const [line, times] of timingLines(fitted)) {
      if (line !== 'music') times.forEach((t, i) => assert.ok(Math.abs(t - native.get(line)[i]) <= 0.010, line));
    }
    assert.equal(await said(() => author.keyboard.down('Control').then(() => author.keyboard.press('z'))),
      'Undone: Fit to music');
    await author.keyboard.up('Control');
    assert.equal(await savedTiming(), before);
    await author.keyboard.down('Control');
    await author.keyboard.down('Shift');
    await author.keyboard.press('z');
    await author.keyboard.up('Shift');
    await author.keyboard.up('Control');
    assert.equal(await savedTiming(), fitted);
  });

  test('a dragged handle snaps to a bar, else a beat, else a frame', async () => {
    await openTrack('clicks 128.wav', 60 / 128);
    const { beats: all, bars, firstDownbeat } = await beats();
    const snap = (t) => author.evaluate(async (t) => {
      const [{ snapped }, { xOf }] = await Promise.all([import('./author/handles.js'), import('./author/view.js')]);
      return snapped(t, xOf(t));
    }, t);
    // Zoomed in, a beat some 60 CSS pixels from the next.
    await author.evaluate((t) => Module._orvel_edit_seek(t), bars[5]);
    for (let i = 0; i < 4; ++i) await author.keyboard.press('+');
    const offBeat = all[firstDownbeat + 4 * 5 + 1];
    assert.equal(await snap(bars[5] + 0.02), bars[5]);
    assert.equal(await snap(offBeat - 0.02), offBeat);
    const between = (offBeat + all[firstDownbeat + 4 * 5 + 2]) / 2;
    assert.equal(await snap(between), Math.round(between * 30) / 30);
    // The whole show on the strip: a beat's bar line a few pixels off wins over the beat itself.
    await author.keyboard.press('0');
    const apart = (await stripX(offBeat)) - (await stripX(bars[5]));
    assert.ok(apart > 0 && apart <= 6, `${apart} strip pixels apart`);
    assert.equal(await snap(offBeat), bars[5]);
  });

  test('"Suggest marks" marks the clicks, one step to undo', async () => {
    await openTrack('clicks 128.wav', 60 / 128);
    await author.evaluate(() => Module._orvel_edit_clear_marks());
    const line = await said(() => author.click('#suggest-marks'));
    const count = Number(line.split(' ')[0]);
    assert.ok(count >= 10, line);
    const marks = await author.$$eval('#marks li', (items) => items.map((i) => Number(i.dataset.time)));
    assert.equal(marks.length, count);
    const beat = 60 / 128;
    for (const t of marks) {
      const k = Math.round((t - 0.37) / beat);
      assert.ok(Math.abs(t - (0.37 + k * beat)) <= 0.02, `a mark at ${t} s, off the clicks`);
    }
    await author.keyboard.down('Control');
    await author.keyboard.press('z');
    await author.keyboard.up('Control');
    await author.waitForFunction(() => document.querySelectorAll('#marks li').length === 0, { timeout: 5000 });
  });

  test('the first downbeat moves a beat with D and Shift+D, and with a bar line dragged with Alt', async () => {
    await openTrack('clicks 128.wav', 60 / 128);
    const first = await beats();
    await author.keyboard.press('d');
    const on = await beats();
    assert.equal(on.firstDownbeat, (first.firstDownbeat + 1) % 4);
    on.bars.forEach((t, i) => assert.equal(t, first.beats[on.firstDownbeat + 4 * i]));
    await author.click('#fit-music');
    const fitted = timingLines(await savedTiming());
    // The timing file holds milliseconds.
    const start2 = fitted.get('segment 2')[0];
    assert.ok(on.bars.some((t) => Math.abs(t - start2) <= 0.0005), `segment 2 at ${start2}, not on a bar`);
    assert.ok(!first.bars.some((t) => Math.abs(t - start2) <= 0.0005), `segment 2 at ${start2}, on a bar before`);
    await author.keyboard.down('Shift');
    await author.keyboard.press('D');
    await author.keyboard.up('Shift');
    assert.equal((await beats()).firstDownbeat, first.firstDownbeat);

    // A bar line taken with Alt and let go two beats later.
    const from = await pagePoint(first.bars[3]);
    const to = await pagePoint(first.beats[first.firstDownbeat + 12 + 2]);
    await author.keyboard.down('Alt');
    await author.mouse.move(...from);
    await author.mouse.down();
    await author.mouse.move(...to);
    await author.mouse.up();
    await author.keyboard.up('Alt');
    assert.equal((await beats()).firstDownbeat, (first.firstDownbeat + 2) % 4);
  });

  test('music with no beat: "Fit to music" says why, and the timing stays', async () => {
    await openTrack('silence.wav');
    await author.waitForFunction(() => orvelAuthor.beats() === null, { timeout: 20000 });
    const before = await savedTiming();
    assert.equal(await said(() => author.click('#fit-music')), 'silence.wav: no beat found in the music');
    assert.equal(await said(() => author.click('#suggest-marks')), 'silence.wav: no beat found in the music');
    assert.equal(await savedTiming(), before);
  });
});

describe('"Play to my music…"', () => {
  const ownMusic = (p) => p.evaluate(() => document.documentElement.dataset.ownMusic);
  async function fittedOn(p, action) {
    await action();
    await p.waitForFunction(() => ['fitted', 'refused'].includes(document.documentElement.dataset.ownMusic),
      { timeout: 20000 });
    return { result: await ownMusic(p), said: await p.$eval('#message', (m) => m.textContent) };
  }
  const choose = (p, name) => fittedOn(p, async () => (await p.$('#own-music-file')).uploadFile(join(work, name)));

  test('a chosen track plays calm with the show fitted to it; ESC ends it as always; nothing is kept', async () => {
    // A profile of its own, whose storage holds only what this page keeps.
    const context = await browser.createBrowserContext();
    const { page: p, record: r } = await openPage(context, site.url);
    try {
      await waitForState(p, 'waiting', 60000);
      assert.equal(await p.$eval('#own-music', (b) => (b.offsetParent !== null ? b.textContent : '')),
        'Play to my music…');
      assert.deepEqual(await choose(p, 'silence.wav'),
        { result: 'refused', said: 'silence.wav: no beat found in the music' });
      assert.equal((await p.evaluate(() => document.documentElement.dataset.orvel)), 'waiting');

      assert.deepEqual(await choose(p, 'clicks 96.wav'),
        { result: 'fitted', said: 'clicks 96.wav: the show is fitted to its beats; Play or Play calm starts it' });
      const native = timingLines(nativeFit(join(work, 'clicks 96.wav')).stdout);
      const start2 = native.get('segment 2')[0];
      // The built-in show has segment 2 from 5 s on; this one later.
      assert.ok(start2 > 5.5, `segment 2 at ${start2}`);
      await p.click('#start-calm');
      await waitForState(p, 'playing', 10000);
      assert.equal(await p.evaluate(async () => (await import('./page/sound.js')).musicLength()),
        TRACKS['clicks 96.wav'].readUInt32LE(40) / 2 / 44100);
      const segmentAt = (t) => p.waitForFunction((t) => Number(document.documentElement.dataset.time) >= t,
        { timeout: 30000, polling: 'raf' }, t).then(() => p.evaluate(() => ({ ...document.documentElement.dataset })));
      const early = await segmentAt(5.2);
      if (Number(early.time) < start2 - 0.05) assert.equal(early.segment, '1', `at ${early.time} s`);
      assert.equal((await segmentAt(start2 + 0.1)).segment, '2');
      assert.equal(early.calm, 'true');
      await p.keyboard.press('Escape');
      await waitForState(p, 'ended', 10000);
      assert.ok(syncFileRate(await p.$eval('#sync', (s) => s.textContent)) > 0);
      // The viewer's choice of the calm show, kept as always, and nothing else.
      assert.deepEqual(await p.evaluate(async () => [Object.values(localStorage), (await indexedDB.databases()).length]),
        [['calm'], 0]);
      assert.deepEqual(faults(r), []);
    } finally {
      await context.close();
    }
  });

  test('a track dropped on the page is fitted and plays; dropped once the show plays, it is said', async () => {
    const { page: p } = await openPage(browser, site.url);
    try {
      await waitForState(p, 'waiting', 60000);
      const bytes = [...TRACKS['clicks 128.wav']];
      // True when the page took the drop as its own.
      const drop = () => p.evaluate((bytes) => {
        const data = new DataTransfer();
        data.items.add(new File([new Uint8Array(bytes)], 'clicks 128.wav', { type: 'audio/wav' }));
        return !document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true,
          cancelable: true }));
      }, bytes);
      const dropped = await fittedOn(p, drop);
      assert.equal(dropped.result, 'fitted');
      await p.click('#start');
      await waitForState(p, 'playing', 10000);
      assert.equal(await p.evaluate(() => document.documentElement.dataset.calm), 'false');
      // Once the show plays, a track dropped is said, and the show plays on.
      await p.$eval('#message', (m) => { m.textContent = ''; });
      assert.equal(await drop(), true);
      await p.waitForFunction(() => document.getElementById('message').textContent !== '', { timeout: 5000 });
      assert.equal(await p.$eval('#message', (m) => m.textContent),
        'clicks 128.wav: the show has started; reload the page to play to this music');
      assert.equal(await p.evaluate(() => document.documentElement.dataset.orvel), 'playing');
    } finally {
      await p.close();
    }
  });
});
