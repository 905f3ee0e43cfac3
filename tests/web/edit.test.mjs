// The page's author mode (?edit) in headless Chromium: pause, seek and step
// on the grid of 30 frames a second with the frames orvel-capture draws, the
// strip under the picture, the marks, and the music in step after a seek.
// Run by scripts/test after scripts/web: node --test tests/web/edit.test.mjs
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { promisify } from 'node:util';
import { faults, launchBrowser, openAuthorMode, repo, serveSite, state, waitForState } from './browser.mjs';
import { decodePng, differingShare, MATCH_LEVELS, MATCH_SHARE } from './png.mjs';
import { showSchedule } from './schedule.mjs';

const run = promisify(execFile);

const schedule = showSchedule();
const FPS = schedule.frameFps;
const SIZE = `${schedule.pictureWidth}x${schedule.pictureHeight}`;

let browser;
let site;
let work;
let page;
let record;

before(async () => {
  work = mkdtempSync(join(tmpdir(), 'orvel-edit-test-'));
  site = await serveSite();
  browser = await launchBrowser();
  ({ page, record } = await openAuthorMode(browser, site.url));
});

after(async () => {
  if (browser) await browser.close();
  if (site) await site.close();
  if (work) rmSync(work, { recursive: true, force: true });
});

const shownTime = async () => Number((await state(page)).time);

// Presses a key and waits for the picture of another time.
async function press(key, shift = false) {
  const before = (await state(page)).time;
  if (shift) await page.keyboard.down('Shift');
  await page.keyboard.press(key);
  if (shift) await page.keyboard.up('Shift');
  await page.waitForFunction((t) => document.documentElement.dataset.time !== t, { timeout: 5000 }, before);
}

async function nativeFrame(time) {
  const at = (Math.round(FPS * time) / FPS).toFixed(9);
  const dir = join(work, `native-${time}`);
  await run(join(repo, 'build', 'orvel-capture'), ['--fps', String(FPS), '--size', SIZE, '--from', at, '--to', at,
    '--png', dir], { cwd: join(repo, 'build', 'show'), maxBuffer: 64 << 20 });
  return decodePng(readFileSync(join(dir, 'frame-00000.png')));
}

async function pagePicture() {
  const png = await page.$eval('#canvas', (c) => c.toDataURL('image/png'));
  return decodePng(Buffer.from(png.slice(png.indexOf(',') + 1), 'base64'));
}

const onGrid = (t) => Math.abs(t * FPS - Math.round(t * FPS)) < 1e-6;

describe('author mode', () => {
  test('pause, ten seconds on, a frame on: the times and the pictures of orvel-capture', async () => {
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
    const share = differingShare(await nativeFrame(next), await pagePicture(), MATCH_LEVELS);
    assert.ok(share <= MATCH_SHARE, `${(100 * share).toFixed(3)} % of pixels differ at ${next} s`);
    // Backwards too.
    await press('ArrowLeft');
    assert.equal(Math.round((next - (await shownTime())) * FPS), FPS);
  });

  test('a click on the strip seeks where the strip says', async () => {
    const box = await page.$eval('#strip', (s) => { const b = s.getBoundingClientRect(); return [b.x, b.y, b.width]; });
    const [x, y, width] = box;
    await page.mouse.click(x + width * 0.25, y + 60);
    await page.waitForFunction(() => document.documentElement.dataset.orvel === 'paused');
    const wanted = Number(schedule.showEnd) * 0.25;
    const t = await shownTime();
    assert.ok(onGrid(t) && Math.abs(t - wanted) < 0.2, `${t} for a quarter of ${schedule.showEnd}`);
    const share = differingShare(await nativeFrame(t), await pagePicture(), MATCH_LEVELS);
    assert.ok(share <= MATCH_SHARE, `${(100 * share).toFixed(3)} % of pixels differ at ${t} s`);
  });

  test('END marks the picture\'s time on the strip and in the list; Delete takes it out; Save writes sync.txt',
    async () => {
      const t = await shownTime();
      await page.keyboard.press('End');
      const list = () => page.$$eval('#marks li', (items) => items.map((i) => i.textContent));
      assert.deepEqual(await list(), [`${t.toFixed(3)} s`]);
      await press('ArrowLeft');
      await page.keyboard.press('End');
      assert.deepEqual(await list(), [`${(t - 1).toFixed(3)} s`, `${t.toFixed(3)} s`], 'in order of time');
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

      await page.click('#save-sync');
      const saved = await page.evaluate(async () => (await fetch(document.getElementById('save').href)).text());
      // The marks are the show's 32-bit floats, written as it writes them.
      const line = (time) => `time: ${Math.fround(time).toFixed(6)}`;
      const lines = saved.split('\n');
      assert.deepEqual(lines.slice(0, 2), [line(t - 1), line(t)], saved);
      assert.match(lines[2], /^ *\d+\.\d{2} frames per second$/);
      assert.deepEqual(lines.slice(3), ['']);

      await page.click('#marks li:first-child');
      assert.equal(await shownTime(), Number((t - 1).toFixed(3)), 'a click on a mark seeks to it');
      await page.keyboard.press('Delete');
      assert.deepEqual(await list(), [`${t.toFixed(3)} s`]);
    });

  test('a sync.txt opened or dropped replaces the marks', async () => {
    const file = join(work, 'sync.txt');
    writeFileSync(file, 'time: 12.500000\r\nnot a mark\r\ntime: 7.250000\r\n61.00 frames per second\r\n');
    const input = await page.$('#open-sync');
    await input.uploadFile(file);
    const list = () => page.$$eval('#marks li', (items) => items.map((i) => i.textContent));
    await page.waitForFunction(() => document.querySelectorAll('#marks li').length === 2, { timeout: 5000 });
    assert.deepEqual(await list(), ['7.250 s', '12.500 s']);

    await page.evaluate(() => {
      const data = new DataTransfer();
      data.items.add(new File(['time: 30.000000\n30.00 frames per second\n'], 'sync.txt', { type: 'text/plain' }));
      window.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
    });
    await page.waitForFunction(() => document.querySelectorAll('#marks li').length === 1, { timeout: 5000 });
    assert.deepEqual(await list(), ['30.000 s']);
  });

  test('resumed after a seek, the demo clock and the music heard stay within the sync tolerance', async () => {
    await page.keyboard.press('Space');
    await waitForState(page, 'playing', 5000);
    await page.keyboard.press('ArrowLeft');
    for (let i = 0; i < 5; ++i) {
      await new Promise((r) => setTimeout(r, 300));
      const { demo, music } = await page.evaluate(() => ({ demo: orvelAuthor.demoTime(), music: orvelAuthor.musicTime() }));
      assert.ok(Math.abs(demo - music) <= schedule.syncTolerance, `demo clock ${demo}, music ${music}`);
    }
  });

  test('at the end it pauses on the last frame', async () => {
    await page.keyboard.press('Space');
    await waitForState(page, 'paused', 5000);
    const box = await page.$eval('#strip', (s) => { const b = s.getBoundingClientRect(); return [b.x, b.y, b.width]; });
    await page.mouse.click(box[0] + box[2] - 1, box[1] + 60);
    await page.keyboard.press('Space');
    await waitForState(page, 'paused', 5000);
    const last = Math.floor(Number(schedule.showEnd) * FPS) / FPS;
    assert.equal(await shownTime(), Number(last.toFixed(3)));
    assert.deepEqual(faults(record), []);
  });
});
