// The page's author mode (?edit) in headless Chromium: pause, seek and step
// on the grid of 30 frames a second with the frames orvel-capture draws, the
// strip under the picture, the marks (opened, dropped, refused, undone,
// kept across a reload), the keys after a click on any control, one drawing
// loop, and the music in step after a seek; in Firefox, with no sound
// output, the silent start. Each case starts from the marks and the time it
// names (authorAt), so that any case runs alone (--test-name-pattern).
// Run by scripts/test after scripts/web: node --test tests/web/edit.test.mjs
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import {
  faults, launchBrowser, launchFirefox, openAuthorMode, serveSite, state, syncFileMarks, syncFileRate, waitForState,
} from './browser.mjs';
import { nativeFrame } from './capture.mjs';
import { decodePng, differingShare, MATCH_LEVELS, MATCH_SHARE } from './png.mjs';
import { builtInTimingText, showSchedule } from './schedule.mjs';

const schedule = showSchedule();
const BUILT_IN_TIMING = builtInTimingText();
const FPS = schedule.frameFps;
const END = Number(schedule.showEnd);

let browser;
let site;
let work;
let page;
let record;

before(async () => {
  work = mkdtempSync(join(tmpdir(), 'orvel-edit-test-'));
  site = await serveSite();
  browser = await launchBrowser();
});

after(async () => {
  if (browser) await browser.close();
  if (site) await site.close();
  if (work) rmSync(work, { recursive: true, force: true });
});

const shownTime = async () => Number((await state(page)).time);
// The listed marks' data-time, in the list's order.
const listed = () => page.$$eval('#marks li', (items) => items.map((i) => i.dataset.time));

// Presses a key and waits for the picture of another time.
async function press(key, shift = false) {
  const before = (await state(page)).time;
  if (shift) await page.keyboard.down('Shift');
  await page.keyboard.press(key);
  if (shift) await page.keyboard.up('Shift');
  await page.waitForFunction((t) => document.documentElement.dataset.time !== t, { timeout: 5000 }, before);
}

// A key with Control (or another modifier) held.
async function chord(modifiers, key) {
  for (const m of modifiers) await page.keyboard.down(m);
  await page.keyboard.press(key);
  for (const m of [...modifiers].reverse()) await page.keyboard.up(m);
}

// What the status line says after action: the line is emptied first, so
// that a message said again counts. (Looked for on a timer: the page's
// animation frames are the program's own, which a test counts.)
async function said(action) {
  await page.$eval('#message', (m) => { m.textContent = ''; });
  await action();
  await page.waitForFunction(() => document.getElementById('message').textContent !== '',
    { timeout: 5000, polling: 20 });
  return page.$eval('#message', (m) => (m.hidden ? '(hidden)' : m.textContent));
}

// A file dropped on the element of selector; body is text, or the bytes
// that a file of size bytes repeats.
function drop(selector, name, body) {
  return page.$eval(selector, (target, name, body) => {
    const data = new DataTransfer();
    const content = typeof body === 'string' ? body : new Uint8Array(body.size).map((_, i) => body.bytes[i % body.bytes.length]);
    data.items.add(new File([content], name, { type: 'text/plain' }));
    target.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
  }, name, body);
}

async function pagePicture() {
  const png = await page.$eval('#canvas', (c) => c.toDataURL('image/png'));
  return decodePng(Buffer.from(png.slice(png.indexOf(',') + 1), 'base64'));
}

async function stripBox() {
  return page.$eval('#strip', (s) => { const b = s.getBoundingClientRect(); return [b.x, b.y, b.width]; });
}

// Every object URL that the page makes from then on, with its blob, and
// every one it lets go: a save's text is read from its blob, as its URL
// may be gone by then.
function watchObjectUrls(on) {
  return on.evaluate(() => {
    if (window.objectUrls) return;
    const urls = { made: new Map(), revoked: [] };
    window.objectUrls = urls;
    const create = URL.createObjectURL;
    const revoke = URL.revokeObjectURL;
    URL.createObjectURL = (blob) => {
      const url = create(blob);
      urls.made.set(url, blob);
      return url;
    };
    URL.revokeObjectURL = (url) => {
      urls.revoked.push(url);
      revoke(url);
    };
  });
}

// The text that a save button offers, under the name it offers it as.
async function savedFile(button, on = page) {
  await watchObjectUrls(on);
  await on.click(button);
  const { name, text } = await on.evaluate(async () => {
    const link = document.getElementById('save');
    return { name: link.download, text: await window.objectUrls.made.get(link.href).text() };
  });
  assert.equal(name, button === '#save-sync' ? 'sync.txt' : 'timing.txt');
  return text;
}
const saveSyncText = () => savedFile('#save-sync');

// A timing file's value of a name ("segment 9"), as the text has it.
const timingValue = (text, name) => text.match(new RegExp(`^${name}: (.*)$`, 'm'))[1];

// A time of data-time, 3 decimals, on the grid: within half a millisecond of a frame.
const onGrid = (t) => Math.abs(t - Math.round(t * FPS) / FPS) <= 0.0005;

// Author mode paused on the frame at time (on the grid), with the marks
// given (in seconds, in the order recorded) and no other, the built-in
// timing and the strip zoomed out: what each case
// starts from, whatever the case before left. The page is opened once, and
// again when it no longer plays.
async function authorAt(time, marks = []) {
  const now = page ? await state(page).then((s) => s.orvel, () => null) : null;
  if (now === 'waiting') {
    await page.mouse.click(300, 200);
    await waitForState(page, 'playing', 10000);
  } else if (now !== 'playing' && now !== 'paused') {
    if (page) await page.close().catch(() => {});
    ({ page, record } = await openAuthorMode(browser, site.url));
  }
  if ((await state(page)).orvel === 'playing') {
    await page.keyboard.press('Space');
    await waitForState(page, 'paused', 5000);
  }
  await page.evaluate((t) => {
    Module._orvel_edit_reset_timing();
    Module._orvel_edit_seek(t);
  }, time);
  await page.waitForFunction((t) => document.documentElement.dataset.time === t, { timeout: 5000 }, time.toFixed(3));
  await page.keyboard.press('0');
  const text = `${marks.map((t) => `time: ${t.toFixed(6)}\n`).join('')}${FPS}.00 frames per second\n`;
  assert.equal(await said(() => drop('#strip', 'start.txt', text)),
    `start.txt: ${marks.length} mark${marks.length === 1 ? '' : 's'} opened`);
}

describe('author mode', () => {
  // The strip's (x, y) in the page of a handle's knob at time t: the top
  // row holds the segments' bounds, the next the moments inside them.
  async function knob(t, row = 0) {
    const [x, y, width] = await stripBox();
    const { from, to } = await page.evaluate(() => orvelAuthor.stripSpan());
    return [x + ((t - from) / (to - from)) * width, y + 5 + 15 * row];
  }
  const selectedHandle = () => page.$eval('#handle', (h) => h.textContent);
  const segmentShown = async () => (await state(page)).segment;

  test('pause, ten seconds on, a frame on: the times and the pictures of orvel-capture', async () => {
    await authorAt(0);
    await page.keyboard.press('Space');
    await waitForState(page, 'playing', 5000);
    await page.waitForFunction(() => Number(document.documentElement.dataset.time) > 0.5, { timeout: 5000 });
    await page.keyboard.press('Space');
    await waitForState(page, 'paused', 5000);
    const paused = await shownTime();
    assert.ok(onGrid(paused), `paused on the grid: ${paused}`);
    for (let i = 0; i < 10; ++i) await press('ArrowRight');
    const later = await shownTime();
    assert.equal(Math.round((later - paused) * FPS), 10 * FPS, `${paused} -> ${later}`);
    await press('ArrowRight', true);
    const next = await shownTime();
    assert.equal(Math.round((next - later) * FPS), 1, `${later} -> ${next}`);
    const share = differingShare(await nativeFrame(next, work), await pagePicture(), MATCH_LEVELS);
    assert.ok(share <= MATCH_SHARE, `${(100 * share).toFixed(3)} % of pixels differ at ${next} s`);
    // Backwards too.
    await press('ArrowLeft');
    assert.equal(Math.round((next - (await shownTime())) * FPS), FPS);
  });

  test('the strip marks where the ordinary show breaks the flash rule: the segments the calm show changes', async () => {
    await authorAt(0);
    const { segmentBounds: bounds } = schedule;
    // The foot of the strip at the middle of each segment: red under those
    // the calm show changes (1 and 4 to 9), not under the others.
    const feet = await page.evaluate((b) => {
      const strip = document.getElementById('strip');
      const g = strip.getContext('2d');
      const { from, to } = orvelAuthor.stripSpan();
      return b.slice(1).map((end, i) => {
        const x = Math.round((((b[i] + end) / 2 - from) / (to - from)) * strip.width);
        const [r, gr, bl] = g.getImageData(x, strip.height - 2, 1, 1).data;
        return r > 200 && gr < 100 && bl < 100;
      });
    }, bounds);
    assert.deepEqual(feet.map((red, i) => (red ? i + 1 : 0)).filter(Boolean), [1, 4, 5, 6, 7, 8, 9]);
  });

  test('a click on the strip seeks where the strip says', async () => {
    await authorAt(0);
    const [x, y, width] = await stripBox();
    await page.mouse.click(x + width * 0.25, y + 60);
    await page.waitForFunction(() => document.documentElement.dataset.orvel === 'paused');
    // The strip spans the show, or the music where that is longer.
    const { from, to } = await page.evaluate(() => orvelAuthor.stripSpan());
    assert.deepEqual([from, to >= END], [0, true]);
    const wanted = to * 0.25;
    const t = await shownTime();
    assert.ok(onGrid(t) && Math.abs(t - wanted) < 0.2, `${t} for a quarter of ${END}`);
    const share = differingShare(await nativeFrame(t, work), await pagePicture(), MATCH_LEVELS);
    assert.ok(share <= MATCH_SHARE, `${(100 * share).toFixed(3)} % of pixels differ at ${t} s`);
  });

  test('after a handle\'s drag at 1280x800, a click where the strip was seeks there: the strip stays in place',
    async () => {
      await authorAt(0);
      await page.setViewport({ width: 1280, height: 800 });
      try {
        await page.waitForFunction(() => {
          const s = document.getElementById('strip');
          return s.width === Math.round(s.clientWidth * devicePixelRatio);
        }, { timeout: 5000 });
        const [left, top, width] = await stripBox();
        const [x, y] = await knob(schedule.segmentBounds[4]);
        await page.mouse.move(x, y);
        await page.mouse.down();
        await page.mouse.move(x + 10, y);
        await page.mouse.up();
        assert.match(await selectedHandle(), /^segment 5's start: /);
        assert.deepEqual(await stripBox(), [left, top, width], 'the strip where it was');
        // Near the strip's foot, where the pointer found it before the drag.
        await page.mouse.click(left + width * 0.7, top + 110);
        const { from, to } = await page.evaluate(() => orvelAuthor.stripSpan());
        const t = await shownTime();
        assert.ok(Math.abs(t - (from + 0.7 * (to - from))) < 0.2, `${t} for 70 % of ${from} to ${to}`);
      } finally {
        await page.setViewport({ width: 1000, height: 700 });
      }
    });

  test('END marks the picture\'s time once; Delete takes it out; a saved sync.txt opened again gives the same marks',
    async () => {
      await authorAt(30);
      const t = await shownTime();
      await page.keyboard.press('End');
      assert.deepEqual(await listed(), [t.toFixed(3)]);
      assert.equal(await said(() => page.keyboard.press('End')), `END: ${t.toFixed(3)} s is marked already`);
      assert.deepEqual(await listed(), [t.toFixed(3)], 'no second mark on the same frame');
      await press('ArrowLeft');
      await page.keyboard.press('End');
      assert.deepEqual(await listed(), [(t - 1).toFixed(3), t.toFixed(3)], 'in order of time');
      // The strip shows both, in the marks' red (the playhead moved off them).
      await press('ArrowRight');
      await press('ArrowRight');
      const reds = await page.$eval('#strip', (s) => {
        const g = s.getContext('2d').getImageData(0, 40, s.width, 1).data;
        let n = 0;
        for (let i = 0; i < g.length; i += 4) n += g[i] === 255 && g[i + 1] === 80 ? 1 : 0;
        return n;
      });
      assert.equal(reds, 4, 'two marks, two pixels wide');

      const saved = await saveSyncText();
      assert.deepEqual(syncFileMarks(saved).map((m) => m.toFixed(3)), [(t - 1).toFixed(3), t.toFixed(3)], saved);

      await page.click('#marks li:first-child');
      assert.equal(await shownTime(), Number((t - 1).toFixed(3)), 'a click on a mark seeks to it');
      await page.keyboard.press('Delete');
      assert.deepEqual(await listed(), [t.toFixed(3)]);

      const file = join(work, 'saved-sync.txt');
      writeFileSync(file, saved);
      assert.equal(await said(async () => (await page.$('#open-sync')).uploadFile(file)), 'saved-sync.txt: 2 marks opened');
      assert.deepEqual(await listed(), [(t - 1).toFixed(3), t.toFixed(3)]);
    });

  test('every save lets its object URL go once its download has started', async () => {
    await authorAt(30);
    const texts = [];
    for (const button of ['#save-sync', '#save-timing', '#save-sync']) texts.push(await savedFile(button));
    assert.equal(texts[1], BUILT_IN_TIMING);
    // A bounded wait, then what was let go by then.
    await page.waitForFunction(() => [...window.objectUrls.made.keys()]
      .every((u) => window.objectUrls.revoked.includes(u)), { timeout: 5000 }).catch(() => {});
    const { made, revoked } = await page.evaluate(() => ({ made: [...window.objectUrls.made.keys()],
      revoked: window.objectUrls.revoked }));
    assert.ok(made.length >= 3, `${made.length} object URLs made`);
    assert.deepEqual([...revoked].sort(), [...made].sort(), 'each let go, once');
  });

  test('a sync.txt opened or dropped on the picture or the strip replaces the marks; its bad values are said', async () => {
    await authorAt(30);
    const file = join(work, 'sync.txt');
    writeFileSync(file, 'time: 12.500000\r\nnot a mark\r\ntime: 7.250000\r\n61.00 frames per second\r\n');
    assert.equal(await said(async () => (await page.$('#open-sync')).uploadFile(file)), 'sync.txt: 2 marks opened');
    assert.deepEqual(await listed(), ['7.250', '12.500']);

    assert.equal(await said(() => drop('#canvas', 'picture.txt', 'time: 30.000000\n30.00 frames per second\n')),
      'picture.txt: 1 mark opened');
    assert.deepEqual(await listed(), ['30.000']);

    await page.click('#marks li:first-child');
    const bad = 'time: 500.000000\ntime: -1.000000\ntime: nan\ntime: 12.000000\ntime: 12.000000\ntime: 9.000000\n';
    assert.equal(await said(() => drop('#strip', 'bad.txt', bad)),
      `bad.txt: 2 marks opened; 4 left out: 1 past the show's end (${END.toFixed(3)} s), 1 negative, ` +
      '1 not a number, 1 repeated');
    assert.deepEqual(await listed(), ['9.000', '12.000'], 'in order of time');
    assert.deepEqual([await page.$$eval('#marks li.selected', (s) => s.length), await page.$eval('#delete-mark',
      (b) => b.disabled)], [0, true], 'the mark selected before is gone: none is');

    assert.equal(await said(() => drop('#marks', 'sync.txt', 'time: 1.000000\n')),
      'sync.txt was not opened: drop a sync.txt, a timing file or music on the picture or on the strip');
    assert.deepEqual(await listed(), ['9.000', '12.000']);
  });

  test('a file that is no sync.txt is refused by name and reason, and the marks stay', async () => {
    await authorAt(30, [9, 12]);
    const limit = schedule.syncFileMaxBytes;
    const kept = 'the marks and the timing are as they were';
    const cases = [
      ['big.txt', { size: limit + 1, bytes: [...Buffer.from('time: 1.000000\n')] },
        `big.txt: ${limit + 1} bytes, larger than a sync.txt can be (${limit}); ${kept}`],
      ['notes.txt', 'Notes for the second part\nmore light at 12 s\n', 'notes.txt: neither a sync.txt (no line of ' +
        'one in it) nor a timing file (line 1: "Notes for the second part" is not a line of the form "NAME: TIME"); ' +
        kept],
      ['picture.png', { size: 64, bytes: [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0] },
        `picture.png: a binary file, neither a sync.txt nor a timing file; ${kept}`],
    ];
    for (const [name, body, message] of cases) {
      assert.equal(await said(() => drop('#strip', name, body)), message);
      assert.deepEqual(await listed(), ['9.000', '12.000'], name);
    }
    assert.equal(await savedFile('#save-timing'), BUILT_IN_TIMING);
    // "Open sync.txt" takes a sync.txt only.
    const notes = join(work, 'notes.txt');
    writeFileSync(notes, 'Notes for the second part\n');
    assert.equal(await said(async () => (await page.$('#open-sync')).uploadFile(notes)),
      'notes.txt: no line of a sync.txt in it; the marks are as they were');
    // A file of the limit's size is read: one mark, then the same again
    // (its last line, cut short to a byte or two, is no mark).
    const line = 'time: 1.000000\n';
    assert.ok(limit % line.length < 'time: 1'.length);
    const repeated = Math.floor(limit / line.length) - 1;
    assert.equal(await said(() => drop('#strip', 'limit.txt', { size: limit, bytes: [...Buffer.from(line)] })),
      `limit.txt: 1 mark opened; ${repeated} left out: ${repeated} repeated`);
    assert.equal(await said(() => chord(['Control'], 'z')), 'Undone: Open limit.txt');
    assert.deepEqual(await listed(), ['9.000', '12.000']);
    // The message covers neither the picture nor the strip, and goes after a while.
    const overlaps = await page.evaluate(() => {
      const box = (id) => document.getElementById(id).getBoundingClientRect();
      const m = box('message');
      return ['canvas', 'strip'].filter((id) => {
        const b = box(id);
        return m.left < b.right && b.left < m.right && m.top < b.bottom && b.top < m.bottom;
      });
    });
    assert.deepEqual(overlaps, []);
    assert.equal(await page.$eval('#message', (m) => m.getAttribute('role')), 'status');
    await page.waitForFunction(() => document.getElementById('message').hidden, { timeout: 10000 });
  });

  test('a 10,000-line sync.txt: its first marks to the limit, said, listed once for the whole file; END past the limit refused',
    async () => {
      await authorAt(30);
      const max = schedule.syncMarksMax;
      const lines = Array.from({ length: 10000 }, (_, i) => `time: ${(i / 100).toFixed(6)}\n`).join('');
      // A list built again for each mark read (with the strip drawn again
      // each time) is what froze the page for seconds on such a file.
      await page.evaluate(() => {
        window.listBuilds = 0;
        window.listWatch = new MutationObserver((records) => { window.listBuilds += records.length; });
        window.listWatch.observe(document.getElementById('marks'), { childList: true });
      });
      assert.equal(await said(() => drop('#strip', 'long.txt', lines)),
        `long.txt: ${max} marks opened; ${10000 - max} left out: ${10000 - max} beyond the limit of ${max}`);
      const list = await listed();
      assert.equal(list.length, max);
      assert.deepEqual([list[0], list[max - 1]], ['0.000', ((max - 1) / 100).toFixed(3)]);
      const builds = await page.evaluate(() => {
        const late = window.listWatch.takeRecords().length;
        window.listWatch.disconnect();
        return window.listBuilds + late;
      });
      assert.equal(builds, 1, 'the list built once');

      await press('ArrowRight');
      assert.equal(await said(() => page.keyboard.press('End')),
        `END: the list holds ${max} marks, its most; delete one first`);
      assert.equal((await listed()).length, max);
    });

  test('undo and redo of END, Delete, Open and Clear, with Ctrl and with ⌘', async () => {
    await authorAt(30, [9, 12]);
    assert.equal(await said(() => drop('#strip', 'three.txt', 'time: 1.000000\ntime: 2.000000\ntime: 3.000000\n')),
      'three.txt: 3 marks opened');
    const full = ['1.000', '2.000', '3.000'];
    assert.deepEqual(await listed(), full);
    assert.equal(await said(() => page.click('#clear-marks')), 'Marks cleared (Ctrl+Z brings them back)');
    assert.deepEqual(await listed(), []);
    const t = (await shownTime()).toFixed(3);
    await page.keyboard.press('End');
    assert.deepEqual(await listed(), [t]);
    await page.click('#marks li:first-child');
    await page.keyboard.press('Delete');
    assert.deepEqual(await listed(), []);
    assert.equal(await said(() => chord(['Control'], 'z')), `Undone: Delete of ${t} s`);
    assert.deepEqual(await listed(), [t]);
    assert.equal(await said(() => chord(['Meta'], 'z')), `Undone: END at ${t} s`);
    assert.deepEqual(await listed(), []);
    assert.equal(await said(() => chord(['Control'], 'z')), 'Undone: Clear marks');
    assert.deepEqual(await listed(), full);
    assert.equal(await said(() => chord(['Control'], 'z')), 'Undone: Open three.txt');
    assert.deepEqual(await listed(), ['9.000', '12.000']);
    assert.equal(await said(() => chord(['Control', 'Shift'], 'z')), 'Redone: Open three.txt');
    assert.deepEqual(await listed(), full);
    assert.equal(await said(() => chord(['Control'], 'y')), 'Redone: Clear marks');
    assert.equal(await said(() => chord(['Meta', 'Shift'], 'z')), `Redone: END at ${t} s`);
    assert.deepEqual(await listed(), [t]);
    // A new change leaves nothing to redo.
    await page.click('#marks li:first-child');
    await page.keyboard.press('Delete');
    assert.equal(await said(() => chord(['Control'], 'y')), 'Nothing to redo');
  });

  test('after a click on any control, the keys reach the timeline, once', async () => {
    await authorAt(30);
    await press('ArrowLeft');
    await page.keyboard.press('End');
    const controls = ['#play-pause', '#save-sync', '#delete-mark', '#clear-marks', '#show-keys', 'label'];
    await page.evaluate(() => {
      window.saves = 0;
      document.getElementById('save').addEventListener('click', () => { window.saves += 1; });
    });
    for (const control of controls) {
      if (control === '#delete-mark') await page.click('#marks li:first-child');
      if (control === '#clear-marks') await page.keyboard.press('End');
      if (control === 'label') {
        const [chooser] = await Promise.all([page.waitForFileChooser({ timeout: 5000 }), page.click(control)]);
        await chooser.cancel();
      } else {
        await page.click(control);
      }
      if ((await state(page)).orvel === 'playing') await page.keyboard.press('Space');
      await waitForState(page, 'paused', 5000);
      const from = await shownTime();
      await press('ArrowRight');
      assert.equal(Math.round((await shownTime() - from) * FPS), FPS, `→ after a click on ${control}`);
      await page.keyboard.press('Space');
      await waitForState(page, 'playing', 5000);
      await page.keyboard.press('Space');
      await waitForState(page, 'paused', 5000);
    }
    assert.equal(await page.evaluate(() => window.saves), 1, 'one save: the click on "Save sync.txt", no key');
    assert.equal(await page.$eval('#key-help', (k) => k.hidden), false, '"Keys" shows the keys');
    await page.keyboard.press('?');
    assert.equal(await page.$eval('#key-help', (k) => k.hidden), true, '? hides them');
  });

  test('↑ and ↓ go to the mark before and after', async () => {
    await authorAt(0, [20, 10, 30]);
    await page.click('#marks li:nth-child(2)');
    await press('ArrowLeft');
    await press('ArrowUp');
    assert.equal(await shownTime(), 10);
    await press('ArrowDown');
    assert.equal(await shownTime(), 20);
    await press('ArrowDown');
    assert.equal(await shownTime(), 30);
    assert.equal(await said(() => page.keyboard.press('ArrowDown')), 'No mark after this one');
  });

  test('one drawing loop after ten seeks while playing, and the saved frame rate is the picture\'s', async () => {
    await authorAt(30, [20, 10, 30]);
    // Every animation-frame callback of the page counted, the most that
    // ran in one frame (a frame hands all its callbacks the same time),
    // and beside them the display's frames; when the first ran.
    await page.evaluateOnNewDocument(() => {
      const request = window.requestAnimationFrame.bind(window);
      const count = { program: 0, display: 0, most: 0, inFrame: 0, frameTime: null, first: null };
      window.rafCount = count;
      window.requestAnimationFrame = (callback) => request((t) => {
        count.program += 1;
        count.inFrame = t === count.frameTime ? count.inFrame + 1 : 1;
        count.frameTime = t;
        count.most = Math.max(count.most, count.inFrame);
        count.first ??= performance.now();
        callback(t);
      });
      const display = () => {
        count.display += 1;
        request(display);
      };
      request(display);
    });
    const marks = await listed();
    await page.reload();
    await waitForState(page, 'waiting', 60000);
    assert.equal(await said(() => page.mouse.click(300, 200)), 'This browser\'s storage: 3 marks restored');
    assert.deepEqual(await listed(), marks, 'the marks after a reload');
    await waitForState(page, 'playing', 10000);
    const count = () => page.evaluate(() => ({ ...window.rafCount, at: performance.now() }));
    // n more of the display's frames, looked for between frames (a wait
    // polled by animation frames would be counted with the program's).
    const frames = async (n) => {
      const from = (await count()).display;
      await page.waitForFunction((d) => window.rafCount.display >= d, { timeout: 60000, polling: 20 }, from + n);
    };
    // sync.txt's rate is the frames the program drew over the time it
    // played: its callbacks since the first, which came as it began to
    // play, over the same clock's time since (no seek yet, whose catching
    // up is no time played).
    await frames(40);
    const played = await count();
    const rate = syncFileRate(await saveSyncText());
    const drawn = (1000 * played.program) / (played.at - played.first);
    assert.ok(Math.abs(rate - drawn) <= 0.15 * drawn + 1, `sync.txt says ${rate} frames a second, ${drawn} drawn`);
    for (let i = 0; i < 10; ++i) {
      await page.keyboard.press('ArrowRight');
      await frames(2);
    }
    assert.equal((await state(page)).orvel, 'playing');
    const from = await page.evaluate(() => {
      window.rafCount.most = 0;
      return { ...window.rafCount };
    });
    await frames(30);
    const to = await count();
    assert.equal(to.most, 1, 'one program callback a frame');
    const program = to.program - from.program;
    const display = to.display - from.display;
    assert.ok(Math.abs(program - display) <= 1, `${program} program callbacks in ${display} display frames`);
    await page.keyboard.press('Space');
    await waitForState(page, 'paused', 5000);
    // The loop's last callback, which finds the show paused, may come a frame later.
    await frames(2);
    const paused = await count();
    await frames(10);
    assert.equal((await count()).program, paused.program, 'no loop while paused');
  });

  test('resumed after a seek, the music starts from the picture\'s time, heard as the demo clock reaches it, and ' +
    'runs on without a gap', async () => {
    await authorAt(30);
    // What the page scheduled: each piece of music started, with the
    // output's timestamp then (which maps the context's time to the
    // page's), and at each resume the time the program plays from and the
    // music's second that the page started there.
    await page.evaluate(() => {
      window.scheduled = [];
      const start = AudioBufferSourceNode.prototype.start;
      AudioBufferSourceNode.prototype.start = function scheduled(when, offset, duration) {
        const { contextTime, performanceTime } = this.context.getOutputTimestamp();
        window.scheduled.push({ when, duration, contextTime, performanceTime });
        return start.call(this, when, offset, duration);
      };
      window.resumes = [];
      const resume = Module._orvel_edit_resume;
      Module._orvel_edit_resume = (latency) => {
        resume(latency);
        window.resumes.push({ from: Module._orvel_edit_time(), music: orvelAuthor.musicTime(),
          sources: window.scheduled.length });
      };
    });
    await page.keyboard.press('Space');
    await waitForState(page, 'playing', 5000);
    await page.keyboard.press('ArrowLeft');
    // Demo time stays at the time played from until the music is heard.
    await page.waitForFunction(() => window.resumes.length === 2 &&
      Module._orvel_edit_clock() > window.resumes[1].from + 0.05, { timeout: 10000 });
    const { resumes, scheduled, clock, now } = await page.evaluate(() => ({ resumes: window.resumes,
      scheduled: window.scheduled, clock: Module._orvel_edit_clock(), now: performance.now() }));
    assert.equal(resumes.length, 2, 'played, then played on after the seek');
    const [before, after] = resumes;
    assert.ok(after.from < before.from && onGrid(after.from), `from ${before.from}, then ${after.from}`);
    assert.equal(after.music, after.from, 'the music from the picture\'s time');
    const pieces = scheduled.slice(before.sources, after.sources);
    assert.ok(pieces.length > 0 && pieces[0].performanceTime > 0, JSON.stringify(pieces));
    // The first sample heard, on the page's clock, and the moment the
    // program's clock showed the time played from.
    const heard = pieces[0].performanceTime + (pieces[0].when - pieces[0].contextTime) * 1000;
    const clockFrom = now - (clock - after.from) * 1000;
    assert.ok(Math.abs(heard - clockFrom) <= schedule.syncTolerance * 1000,
      `music heard at ${heard} ms, the clock at ${after.from} s at ${clockFrom} ms`);
    for (let i = 1; i < pieces.length; ++i) {
      const gap = pieces[i].when - (pieces[i - 1].when + pieces[i - 1].duration);
      assert.ok(Math.abs(gap) < 1e-6, `piece ${i} starts ${gap} s after the one before ends`);
    }
  });

  test('at the end it pauses on the last frame', async () => {
    await authorAt(30);
    const box = await stripBox();
    await page.mouse.click(box[0] + box[2] - 1, box[1] + 60);
    await page.keyboard.press('Space');
    await waitForState(page, 'paused', 5000);
    const last = Math.floor(END * FPS) / FPS;
    assert.equal(await shownTime(), Number(last.toFixed(3)));
    assert.deepEqual(faults(record), []);
  });

  test('a handle dragged snaps to a mark and to a frame, or with Shift to neither; the picture at the playhead ' +
    'follows at once; the drag is one step, undone in one history with the marks', async () => {
    const start9 = schedule.segmentBounds[8];
    const mark = 83.07;
    await authorAt(82.5, [mark]);
    await page.keyboard.press('End');
    // Zoomed in about the playhead to frames some 17 pixels apart, which
    // keeps its place on the strip.
    const before = await knob(82.5);
    for (let i = 0; i < 6; ++i) await page.keyboard.press('+');
    const { from, to } = await page.evaluate(() => orvelAuthor.stripSpan());
    assert.ok(Math.abs((await knob(82.5))[0] - before[0]) < 1 && to - from < 2, `${from} to ${to}`);
    assert.equal(await segmentShown(), '9');

    const [x, y] = await knob(start9);
    await page.mouse.move(x, y);
    await page.mouse.down();
    const dragTo = async (t, shift = false) => {
      if (shift) await page.keyboard.down('Shift');
      await page.mouse.move((await knob(t))[0], y);
      if (shift) await page.keyboard.up('Shift');
      return Number((await selectedHandle()).match(/: ([0-9.]+) s$/)[1]);
    };
    // Past the playhead, a few pixels from the mark: onto it, and segment 8
    // is on screen.
    assert.equal(await dragTo(mark + 0.006), mark);
    assert.equal(await segmentShown(), '8');
    const free = await dragTo(82.9 + 0.5 / FPS, true);
    assert.ok(Math.abs(free * FPS - Math.round(free * FPS)) > 0.3, `free: ${free}`);
    assert.equal(await dragTo(82.8 + 0.004), 82.8);
    assert.equal(await segmentShown(), '8');
    await page.mouse.up();
    assert.equal(timingValue(await savedFile('#save-timing'), 'segment 9'), '82.8');

    assert.equal(await said(() => chord(['Control'], 'z')), 'Undone: Move of segment 9\'s start to 82.800 s');
    assert.equal(await savedFile('#save-timing'), BUILT_IN_TIMING);
    assert.equal(await segmentShown(), '9');
    assert.equal(await said(() => chord(['Control'], 'z')), 'Undone: END at 82.500 s');
    assert.deepEqual(await listed(), [mark.toFixed(3)]);
    assert.equal(await said(() => chord(['Control', 'Shift'], 'z')), 'Redone: END at 82.500 s');
    assert.equal(await said(() => chord(['Control', 'Shift'], 'z')), 'Redone: Move of segment 9\'s start to 82.800 s');
    assert.equal(timingValue(await savedFile('#save-timing'), 'segment 9'), '82.8');

    // The strip follows the playhead out of sight; CTRL and the wheel zoom
    // out about the pointer, which keeps its time.
    await page.evaluate(() => Module._orvel_edit_seek(100));
    const shown = await page.evaluate(() => orvelAuthor.stripSpan());
    assert.ok(shown.from <= 100 && shown.to >= 100, `${shown.from} to ${shown.to}`);
    const [pointer] = await knob(100.5);
    await page.mouse.move(pointer, y + 60);
    await page.keyboard.down('Control');
    await page.mouse.wheel({ deltaY: 300 });
    await page.keyboard.up('Control');
    const wider = await page.evaluate(() => orvelAuthor.stripSpan());
    assert.ok(wider.to - wider.from > 2 * (shown.to - shown.from) && Math.abs((await knob(100.5))[0] - pointer) < 1,
      `${wider.from} to ${wider.to}`);
  });

  test('the keys alone retime: [ and ] select a handle, H puts it on the playhead, M on the selected mark, ' +
    'comma and full stop move it a frame; a move that breaks a rule is refused and the handle stays', async () => {
    await authorAt(84, [86]);
    const keyHelp = await page.$$eval('#key-help dt', (items) => items.map((i) => i.textContent));
    assert.deepEqual(['[ ]', 'H', 'M', ', .'].filter((k) => !keyHelp.includes(k)), [], 'in the key help');
    const selections = [];
    for (const key of ['[', '[', ']', '[']) {
      await page.keyboard.press(key);
      selections.push(await selectedHandle());
    }
    assert.deepEqual(selections, ['segment 9\'s start: 81.570 s', 'segment 8\'s start: 72.000 s',
      'segment 10\'s start: 91.160 s', 'segment 9\'s start: 81.570 s']);
    await page.keyboard.press('h');
    assert.equal(await selectedHandle(), 'segment 9\'s start: 84.000 s');
    await page.keyboard.press('.');
    assert.equal(await selectedHandle(), 'segment 9\'s start: 84.033 s');
    await page.keyboard.press(',');
    await page.keyboard.press(',');
    assert.equal(timingValue(await savedFile('#save-timing'), 'segment 9'), String(2519 / FPS));
    await page.click('#marks li:first-child');
    await page.keyboard.press('m');
    assert.equal(timingValue(await savedFile('#save-timing'), 'segment 9'), '86');

    await page.evaluate(() => Module._orvel_edit_seek(95));
    const refused = await said(() => page.keyboard.press('h'));
    assert.ok(refused.startsWith('segment 9\'s start stays at 86.000 s: segment 10 '), refused);
    assert.equal(await selectedHandle(), 'segment 9\'s start: 86.000 s');
    assert.equal(await said(() => chord(['Control'], 'z')), 'Undone: Move of segment 9\'s start to 86.000 s');
  });

  test('the timing saved, opened and reset: the built-in timing as show-schedule writes it; a file that breaks a ' +
    'rule refused with its line; a timing file leaves the marks and a sync.txt the timing', async () => {
    await authorAt(30, [9, 12]);
    assert.equal(await savedFile('#save-timing'), BUILT_IN_TIMING);
    await page.keyboard.press('[');
    await page.keyboard.press('.');
    const retimed = await savedFile('#save-timing');
    assert.notEqual(retimed, BUILT_IN_TIMING);
    assert.equal(await said(() => page.click('#reset-timing')), 'Timing reset (Ctrl+Z brings it back)');
    assert.equal(await savedFile('#save-timing'), BUILT_IN_TIMING);

    // A later end, which a seek then reaches.
    const later = retimed.replace(/^end: .*$/m, 'end: 125');
    const file = join(work, 'timing.txt');
    writeFileSync(file, later);
    assert.equal(await said(async () => (await page.$('#open-timing')).uploadFile(file)), 'timing.txt: the timing opened');
    assert.equal(await savedFile('#save-timing'), later);
    assert.deepEqual(await listed(), ['9.000', '12.000']);
    await page.evaluate(() => Module._orvel_edit_seek(124));
    assert.equal(await shownTime(), 124);

    // A regression: a timing file was held to a sync.txt's limit, and said so.
    const limit = schedule.timingFileMaxBytes;
    writeFileSync(file, later + '#'.repeat(limit + 1 - later.length));
    assert.equal(await said(async () => (await page.$('#open-timing')).uploadFile(file)),
      `timing.txt: ${limit + 1} bytes, larger than a timing file can be (${limit}); the timing is as it was`);
    assert.equal(await savedFile('#save-timing'), later);

    // The stripes outside segment 4.
    const lines = retimed.split('\n');
    const line = lines.findIndex((l) => l.startsWith('stripes:')) + 1;
    lines[line - 1] = 'stripes: 50';
    writeFileSync(file, lines.join('\n'));
    const refusal = await said(async () => (await page.$('#open-timing')).uploadFile(file));
    assert.ok(refusal.startsWith(`timing.txt:${line}: `) && refusal.endsWith('; the timing is as it was'), refusal);
    assert.equal(await savedFile('#save-timing'), later);

    // A segment's own scene file, which the page cannot fetch yet.
    writeFileSync(file, `${later}scene 9: ship.3ds\n`);
    assert.equal(await said(async () => (await page.$('#open-timing')).uploadFile(file)),
      'timing.txt: scene 9: ship.3ds: the page does not play a segment\'s own scene file yet; the window, ' +
      'orvel.exe and orvel-capture do; the timing is as it was');
    assert.equal(await savedFile('#save-timing'), later);

    assert.equal(await said(() => drop('#strip', 'sync.txt', 'time: 1.000000\n')), 'sync.txt: 1 mark opened');
    assert.equal(await savedFile('#save-timing'), later);
  });
});

// A WAV file of seconds at rate samples a second: silent, then for its
// second half a tone at full scale.
function toneWav(seconds = 2, rate = 8000) {
  const samples = seconds * rate;
  const wav = Buffer.alloc(44 + 2 * samples);
  wav.write('RIFF', 0);
  wav.writeUInt32LE(36 + 2 * samples, 4);
  wav.write('WAVEfmt ', 8);
  wav.writeUInt32LE(16, 16);
  wav.writeUInt16LE(1, 20);
  wav.writeUInt16LE(1, 22);
  wav.writeUInt32LE(rate, 24);
  wav.writeUInt32LE(2 * rate, 28);
  wav.writeUInt16LE(2, 32);
  wav.writeUInt16LE(16, 34);
  wav.write('data', 36);
  wav.writeUInt32LE(2 * samples, 40);
  for (let i = samples / 2; i < samples; ++i) wav.writeInt16LE(Math.round(32767 * Math.sin(i * 0.3)), 44 + 2 * i);
  return wav;
}

describe('author mode, in a browser profile of its own', () => {
  test('a music file dropped is played, drawn and named by the timing, undone and redone; the timing and the ' +
    'music come back after a reload', async () => {
    const context = await browser.createBrowserContext();
    try {
      ({ page, record } = await openAuthorMode(context, site.url));
      await authorAt(0.5);
      const wav = toneWav();
      // The strip's columns where the waveform reaches 10 pixels over its
      // middle line, which silence keeps to.
      const loudColumns = () => page.$eval('#strip', (s) => {
        const row = s.getContext('2d').getImageData(0, 65, s.width, 1).data;
        const columns = [];
        for (let x = 0; x < s.width; ++x) if (row[4 * x] === 0x4a && row[4 * x + 2] === 0x8a) columns.push(x);
        return columns;
      });
      const musicLine = async () => timingValue(await savedFile('#save-timing'), 'music');
      const builtInMusic = timingValue(BUILT_IN_TIMING, 'music');
      // A name that a timing file cannot hold.
      const refused = await said(() => drop('#strip', 'a:b.wav', { size: wav.length, bytes: [...wav] }));
      assert.ok(refused.startsWith('a:b.wav: ') && refused.endsWith('; rename the file to play it'), refused);
      assert.equal(await musicLine(), builtInMusic);
      assert.equal(await said(() => drop('#strip', 'tone.wav', { size: wav.length, bytes: [...wav] })),
        'tone.wav: the show plays with this music, and the timing names it');
      assert.equal(await musicLine(), 'tone.wav');
      // Names that a timing file would read back as others, refused before
      // the file is read: the music and the timing stay.
      const longer = toneWav(3);
      const rename = '; rename the file to play it';
      assert.equal(await said(() => drop('#strip', 'song #2.wav', { size: longer.length, bytes: [...longer] })),
        `song #2.wav: the name holds a "#", which starts a comment in a timing file${rename}`);
      const blank = join(work, ' song.wav');
      writeFileSync(blank, longer);
      assert.equal(await said(async () => (await page.$('#open-music')).uploadFile(blank)),
        ` song.wav: the name begins or ends with a blank, which a timing file does not keep${rename}`);
      assert.deepEqual([await musicLine(), await page.evaluate(() => orvelAuthor.musicLength())], ['tone.wav', 2]);
      // Loud from its first to its second second only.
      const [x0, x1, x2] = await page.$eval('#strip', (s) => {
        const { from, to } = orvelAuthor.stripSpan();
        return [0, 1, 2].map((t) => ((t - from) / (to - from)) * s.width);
      });
      const loud = await loudColumns();
      assert.ok(loud.length > 0 && loud[0] >= x1 - 1 && loud[loud.length - 1] <= x2 + 1, `${loud} of ${x0}..${x2}`);
      await page.keyboard.press(' ');
      await waitForState(page, 'playing', 5000);
      const heard = await page.evaluate(() => [orvelAuthor.musicTime(), orvelAuthor.musicLength()]);
      assert.ok(heard[0] !== null && heard[1] === 2, `music at ${heard[0]} s of ${heard[1]} s`);
      await page.keyboard.press(' ');
      await waitForState(page, 'paused', 5000);

      assert.equal(await said(() => chord(['Control'], 'z')), 'Undone: Open tone.wav');
      assert.equal(await musicLine(), builtInMusic);
      assert.ok((await loudColumns()).some((x) => x > x2 + 1), 'the show\'s own music drawn again');
      assert.equal(await said(() => chord(['Control', 'Shift'], 'z')), 'Redone: Open tone.wav');
      await page.keyboard.press(']');
      await page.keyboard.press('.');
      const timing = await savedFile('#save-timing');

      await page.reload();
      await waitForState(page, 'waiting', 60000);
      assert.equal(await said(() => page.mouse.click(300, 200)), 'This browser\'s storage: the timing restored');
      await waitForState(page, 'playing', 10000);
      assert.equal(await savedFile('#save-timing'), timing);
      assert.equal(await page.evaluate(() => orvelAuthor.musicLength()), 2);
      assert.deepEqual(faults(record), []);
    } finally {
      await context.close();
      page = null;
    }
  });
});

describe('Firefox, with no sound output', () => {
  test('author mode starts silent after 2 s, and says so', async () => {
    const firefox = await launchFirefox();
    try {
      const { page: silent, record: told } = await openAuthorMode(firefox, site.url);
      const now = await state(silent);
      assert.deepEqual([now.orvel, now.audio], ['playing', 'silent']);
      assert.equal(await silent.$eval('#message', (m) => m.textContent),
        'No sound: no audio output started; author mode plays silent');
      await silent.keyboard.press(' ');
      await waitForState(silent, 'paused', 5000);
      assert.deepEqual(faults(told), []);
    } finally {
      await firefox.close();
    }
  });
});
