// A retimed show, the same in the page as in orvel-capture: a timing file
// that moves segment 9's start four seconds later and flash 3 a second
// earlier, opened in author mode, draws at each moment what orvel-capture
// --timing draws with the same file: in Chromium at moments around both
// changes and before and after them, in Firefox and WebKit at the moved
// start.
// Run by scripts/test after scripts/web: node --test tests/web/retimed.test.mjs
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { engines, faults, openAuthorMode, serveSite, waitForState } from './browser.mjs';
import { nativeFrame } from './capture.mjs';
import { decodePng, differingShare, MATCH_LEVELS, MATCH_SHARE } from './png.mjs';
import { builtInTimingText, showSchedule } from './schedule.mjs';

const FPS = showSchedule().frameFps;

const RETIMED = builtInTimingText()
  .replace(/^segment 9: .*$/m, 'segment 9: 85.57')
  .replace(/^flash 3: .*$/m, 'flash 3: 16.9 17.1');
// Before the changes; in the moved flash and where flash 3 was; where
// segment 9 began (segment 8 runs on there now); after the changes.
const MOMENTS = ['12.0', '17.0', '17.98', '85.5', '104.0'];
const MOVED_START = '85.5';

let site;
let work;
let timingFile;

before(async () => {
  assert.notEqual(RETIMED, builtInTimingText());
  work = mkdtempSync(join(tmpdir(), 'orvel-retimed-test-'));
  timingFile = join(work, 'timing.txt');
  writeFileSync(timingFile, RETIMED);
  site = await serveSite();
});

after(async () => {
  if (site) await site.close();
  if (work) rmSync(work, { recursive: true, force: true });
});

// Author mode with the retimed file dropped on the strip.
async function retimedAuthorMode(browser) {
  const opened = await openAuthorMode(browser, site.url);
  const { page } = opened;
  await page.keyboard.press(' ');
  await waitForState(page, 'paused', 5000);
  await page.$eval('#strip', (strip, text) => {
    const data = new DataTransfer();
    data.items.add(new File([text], 'retimed.txt', { type: 'text/plain' }));
    strip.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
  }, RETIMED);
  await page.waitForFunction(() => document.getElementById('message').textContent === 'retimed.txt: the timing opened',
    { timeout: 5000 });
  return opened;
}

// The picture of the frame of the grid nearest time.
async function pictureAt(page, time) {
  await page.evaluate((t) => Module._orvel_edit_seek(Number(t)), time);
  const frameTime = (Math.round(Number(time) * FPS) / FPS).toFixed(3);
  await page.waitForFunction((t) => document.documentElement.dataset.time === t, { timeout: 5000 }, frameTime);
  const png = await page.$eval('#canvas', (c) => c.toDataURL('image/png'));
  return decodePng(Buffer.from(png.slice(png.indexOf(',') + 1), 'base64'));
}

for (const engine of engines) {
  describe(`${engine.name}: a retimed show`, () => {
    test('the page with the timing file draws what orvel-capture --timing draws', async () => {
      const browser = await engine.launch();
      try {
        const { page, record } = await retimedAuthorMode(browser);
        for (const time of engine.name === 'Chromium' ? MOMENTS : [MOVED_START]) {
          const share = differingShare(await nativeFrame(time, work, timingFile), await pictureAt(page, time),
            MATCH_LEVELS);
          assert.ok(share <= MATCH_SHARE, `${(100 * share).toFixed(3)} % of pixels differ at ${time} s`);
          // Segment 8 runs on where segment 9 began.
          if (time === MOVED_START) assert.equal(await page.evaluate(() => document.documentElement.dataset.segment), '8');
        }
        assert.deepEqual(faults(record), []);
      } finally {
        await browser.close();
      }
    });
  });
}
