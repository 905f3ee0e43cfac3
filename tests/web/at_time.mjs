// How long the page's ?at=T takes: from the page's start of loading to the
// frame on the canvas, for a few moments of the show, in headless Chromium.
//   node tests/web/at_time.mjs [T ...]        (after scripts/web)
import { launchBrowser, openPage, serveSite, waitForState } from './browser.mjs';

const times = process.argv.length > 2 ? process.argv.slice(2) : ['0', '60', '120'];
const server = await serveSite();
const browser = await launchBrowser();
try {
  for (const at of times) {
    const { page, record } = await openPage(browser, `${server.url}index.html?at=${at}`);
    await waitForState(page, 'frame', 60000);
    // The program's own notice, timed in the page when the frame is finished.
    const notice = record.console.map((m) => m.text).find((text) => text.includes('frame on the canvas'));
    console.log(`?at=${at}: ${notice}`);
    await page.close();
  }
} finally {
  await browser.close();
  server.close();
}
