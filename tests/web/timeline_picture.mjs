// Takes docs/timeline.png, the README's picture of author mode: the show
// paused in segment 4, with a few sync marks on the strip.
//
//   scripts/timeline-picture             (builds the site, then runs this)
import { join } from 'node:path';
import { launchBrowser, openAuthorMode, repo, serveSite, waitForState } from './browser.mjs';

const out = join(repo, 'docs', 'timeline.png');
const site = await serveSite();
const browser = await launchBrowser();
try {
  const { page } = await openAuthorMode(browser, site.url, { width: 860, height: 660 });
  await page.keyboard.press('Space');
  await waitForState(page, 'paused', 5000);
  // A sync.txt dropped on the strip, as an author would.
  await page.$eval('#strip', (strip) => {
    const data = new DataTransfer();
    data.items.add(new File(['time: 5.010000\ntime: 14.380000\ntime: 21.020000\ntime: 43.250000\n60.00 frames per second\n'],
      'sync.txt', { type: 'text/plain' }));
    strip.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
  });
  await page.waitForFunction(() => document.querySelectorAll('#marks li').length === 4, { timeout: 5000 });
  await page.evaluate(() => {
    Module._orvel_edit_seek(30);
    document.getElementById('message').hidden = true;
  });
  await new Promise((r) => setTimeout(r, 300));
  await page.screenshot({ path: out });
  console.log(`timeline picture: wrote ${out}`);
} finally {
  await browser.close();
  await site.close();
}
