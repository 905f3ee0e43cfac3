// Author mode's costs in headless Chromium at 640x480: from a seek to its
// frame on the screen (the next animation frame after the seek) at ten
// moments spread over the show, backwards and forwards; from a handle's
// drag (the pointer's event) to the picture at the playhead drawn with the
// new time, on the screen; and the strip's drawing time per frame while the
// show plays. A benchmark, not a test: it asserts nothing.
//
//   node tests/web/edit_bench.mjs        (after scripts/web)
import { launchBrowser, openAuthorMode, serveSite, waitForState } from './browser.mjs';
import { showSchedule } from './schedule.mjs';

const schedule = showSchedule();
const end = Number(schedule.showEnd);
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return (sorted[(sorted.length - 1) >> 1] + sorted[sorted.length >> 1]) / 2;
};
const site = await serveSite();
const browser = await launchBrowser();
try {
  const { page } = await openAuthorMode(browser, site.url, { width: 640, height: 480 });
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
  const seekMs = seeks.map((s) => s.ms);
  console.log(`seek: median ${median(seekMs).toFixed(1)} ms, longest ${Math.max(...seekMs).toFixed(1)} ms`);

  // Segment 9's start dragged back and forth a few seconds, the playhead
  // in segment 9, so that every move changes the picture: each move timed
  // from the pointer event (its time stamp, when the browser took it) to
  // the animation frame that shows the picture it drew.
  const playhead = schedule.segmentBounds[8] + 3;
  await page.evaluate((t) => Module._orvel_edit_seek(t), playhead);
  await page.evaluate(() => {
    window.dragMs = [];
    document.getElementById('strip').addEventListener('pointermove', (e) => {
      const moved = document.documentElement.dataset.time;
      requestAnimationFrame(() => window.dragMs.push({ ms: performance.now() - e.timeStamp, moved }));
    }, { capture: true });
  });
  const box = await page.$eval('#strip', (s) => {
    const b = s.getBoundingClientRect();
    return { x: b.x, y: b.y, width: b.width };
  });
  const xOf = (t) => box.x + (t / end) * box.width;
  const start = schedule.segmentBounds[8];
  await page.mouse.move(xOf(start), box.y + 5);
  await page.mouse.down();
  const MOVES = 30;
  for (let i = 1; i <= MOVES; ++i) {
    await page.mouse.move(xOf(start + (i % 2 ? -1 : -2) - (i % 5) * 0.4), box.y + 5);
    await new Promise((r) => setTimeout(r, 50));
  }
  await page.mouse.up();
  const drags = await page.evaluate(() => window.dragMs.map((d) => d.ms));
  console.log(`handle drag to the new picture: ${drags.length} moves, median ${median(drags).toFixed(1)} ms, ` +
    `longest ${Math.max(...drags).toFixed(1)} ms`);
  await page.keyboard.down('Control');
  await page.keyboard.press('z');
  await page.keyboard.up('Control');

  const drawn = strip.sort((a, b) => a - b);
  // The longest includes the first, which draws the waveform once.
  console.log(`strip: ${drawn.length} frames drawn, median ${drawn[drawn.length >> 1].toFixed(3)} ms, ` +
    `95th percentile ${drawn[Math.floor(drawn.length * 0.95)].toFixed(3)} ms, ` +
    `longest ${drawn[drawn.length - 1].toFixed(3)} ms of main-thread time`);
} finally {
  await browser.close();
  await site.close();
}
