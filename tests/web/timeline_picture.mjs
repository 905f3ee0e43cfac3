// Takes docs/authoring.md's pictures of author mode: docs/timeline.png, the show
// paused in segment 4 with a few sync marks on the strip, and
// docs/retime.png, the strip zoomed in on segment 4's flashes with its
// handles and the marks of the accents, a flash's beginning put on its mark.
//
//   scripts/timeline-picture             (builds the site, then runs this)
import { join } from 'node:path';
import { launchBrowser, openAuthorMode, repo, serveSite, waitForState } from './browser.mjs';

const site = await serveSite();
const browser = await launchBrowser();

// A sync.txt of those times dropped on the strip, as an author would.
async function dropMarks(page, times) {
  await page.$eval('#strip', (strip, text) => {
    const data = new DataTransfer();
    data.items.add(new File([text], 'sync.txt', { type: 'text/plain' }));
    strip.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
  }, `${times.map((t) => `time: ${t.toFixed(6)}\n`).join('')}60.00 frames per second\n`);
  await page.waitForFunction((n) => document.querySelectorAll('#marks li').length === n, { timeout: 5000 },
    times.length);
}

try {
  const { page } = await openAuthorMode(browser, site.url, { width: 960, height: 640 });
  await page.keyboard.press('Space');
  await waitForState(page, 'paused', 5000);
  await dropMarks(page, [5.01, 14.38, 21.02, 43.25]);
  await page.evaluate(() => {
    Module._orvel_edit_seek(30);
    document.getElementById('message').hidden = true;
  });
  await new Promise((r) => setTimeout(r, 300));
  const timeline = join(repo, 'docs', 'timeline.png');
  await page.screenshot({ path: timeline });
  console.log(`timeline picture: wrote ${timeline}`);

  // The strip zoomed in on the flashes, the accents marked, flash 3's
  // beginning put on its accent's mark with M, the playhead in the flash.
  await dropMarks(page, [15.47, 15.79, 17.7, 18.19, 20.31, 20.57]);
  await page.evaluate(() => Module._orvel_edit_seek(17.9));
  for (let i = 0; i < 5; ++i) await page.keyboard.press('+');
  await page.keyboard.press('[');
  await page.click('#marks li:nth-child(3)');
  await page.keyboard.press('m');
  await page.evaluate(() => {
    Module._orvel_edit_seek(17.95);
    document.getElementById('message').hidden = true;
  });
  await new Promise((r) => setTimeout(r, 300));
  const box = await page.evaluate(() => {
    const top = document.getElementById('strip').getBoundingClientRect().y - 8;
    return { x: 0, y: top, width: innerWidth, height: document.getElementById('controls').getBoundingClientRect().bottom + 8 - top };
  });
  const retime = join(repo, 'docs', 'retime.png');
  await page.screenshot({ path: retime, clip: box });
  console.log(`retime picture: wrote ${retime}`);
} finally {
  await browser.close();
  await site.close();
}
