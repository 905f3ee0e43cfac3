// Author mode's costs in headless Chromium: from a seek to its frame on the
// screen (the next animation frame after the seek) at ten moments spread
// over the show, backwards and forwards, and the strip's drawing time per
// frame while the show plays. A benchmark, not a test: it asserts nothing.
//
//   node tests/web/edit_bench.mjs        (after scripts/web)
import { launchBrowser, openAuthorMode, serveSite, waitForState } from './browser.mjs';
import { showSchedule } from './schedule.mjs';

const end = Number(showSchedule().showEnd);
const site = await serveSite();
const browser = await launchBrowser();
try {
  const { page } = await openAuthorMode(browser, site.url);
  await new Promise((r) => setTimeout(r, 5000));
  const strip = await page.evaluate(() => orvelAuthor.stripMs());
  await page.keyboard.press('Space');
  await waitForState(page, 'paused', 5000);
  // Forwards and backwards, over the whole show.
  const moments = [0.37, 0.91, 0.12, 0.55, 0.99, 0.05, 0.73, 0.28, 0.64, 0.46].map((f) => f * end);
  const seeks = [];
  for (const t of moments) {
    seeks.push(await page.evaluate((time) => new Promise((done) => {
      const begin = performance.now();
      Module._orvel_edit_seek(time);
      requestAnimationFrame(() => done({ time, ms: performance.now() - begin }));
    }), t));
  }
  for (const s of seeks) console.log(`seek to ${s.time.toFixed(2).padStart(6)} s: ${s.ms.toFixed(1).padStart(6)} ms`);
  const sorted = seeks.map((s) => s.ms).sort((a, b) => a - b);
  console.log(`seek: median ${((sorted[4] + sorted[5]) / 2).toFixed(1)} ms, longest ${sorted[9].toFixed(1)} ms`);
  const drawn = strip.sort((a, b) => a - b);
  // The longest includes the first, which draws the waveform once.
  console.log(`strip: ${drawn.length} frames drawn, median ${drawn[drawn.length >> 1].toFixed(3)} ms, ` +
    `95th percentile ${drawn[Math.floor(drawn.length * 0.95)].toFixed(3)} ms, ` +
    `longest ${drawn[drawn.length - 1].toFixed(3)} ms of main-thread time`);
} finally {
  await browser.close();
  await site.close();
}
