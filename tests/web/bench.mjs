// The show's benchmark in headless Chromium: the page's ?bench mode draws
// every frame of the show at 30 frames a second of demo time, each whole
// and finished, and reports the frame rate of each segment; set beside
// bench/frame_bench's native offscreen figures of the same segments, from
// the same run. Also the site's size and the time from page load to the
// first frame. Each segment is also drawn into a viewport of 8x6 pixels,
// where a frame costs all but the filling of its pixels: where that is
// fast and the picture's full size is not, filling is what holds the
// segment back. A benchmark, not a test: it asserts nothing.
//
//   node tests/web/bench.mjs            (after scripts/web and the native build)
import { execFileSync } from 'node:child_process';
import { readdirSync, statSync } from 'node:fs';
import { join } from 'node:path';
import { launchBrowser, openPage, repo, requireFile, serveSite, siteDir, waitForState } from './browser.mjs';
import { showSchedule } from './schedule.mjs';

const frameBench = join(repo, 'build', 'bench', 'frame_bench');
requireFile(frameBench, 'build the native build/ with its benchmarks');

const schedule = showSchedule();
const SEGMENTS = schedule.segmentMoments.length;

// Where a segment's window holds more than one drawing style, the native
// samples are weighed by the seconds each style lasts (segment 4: outline,
// banded, banded with waves, between the bounds of the schedule).
const [start4, stripes4, waves4, end4] = schedule.segment4Styles;
const SEGMENT4 = { '04a': stripes4 - start4, '04b': waves4 - stripes4, '04c': end4 - waves4 };

function nativeFigures() {
  const json = execFileSync(frameBench, ['--benchmark_filter=^immediate/', '--benchmark_format=json'],
    { maxBuffer: 64 << 20, stdio: ['ignore', 'pipe', 'ignore'] });
  const fps = {};
  for (const b of JSON.parse(json).benchmarks) fps[b.name.split('/')[1].slice(0, 3)] = b.fps;
  const segments = {};
  for (let s = 1; s <= SEGMENTS; ++s) {
    const key = String(s).padStart(2, '0');
    if (s !== 4) {
      segments[s] = fps[key + '_'] ?? fps[key];
      continue;
    }
    let seconds = 0;
    let frameTime = 0;
    for (const [sample, w] of Object.entries(SEGMENT4)) {
      seconds += w;
      frameTime += w / fps[sample];
    }
    segments[s] = seconds / frameTime;
  }
  return segments;
}

const site = await serveSite();
const browser = await launchBrowser();
try {
  const bytes = readdirSync(siteDir).filter((f) => /\.(html|js|wasm|data)$/.test(f))
    .reduce((sum, f) => sum + statSync(join(siteDir, f)).size, 0);
  console.log(`site: ${(bytes / 1e6).toFixed(2)} MB (index.html, page.js, orvel.js, orvel.wasm, orvel.data)`);

  const first = await openPage(browser, `${site.url}index.html?at=0`);
  await waitForState(first.page, 'frame', 30000);
  const line = first.record.console.find((m) => m.text.startsWith('orvel: frame on the canvas'));
  console.log(`page load to the first frame (?at=0): ${line.text.match(/(\d+) ms/)[1]} ms`);
  await first.page.close();

  const play = await openPage(browser, `${site.url}index.html`);
  await waitForState(play.page, 'waiting', 60000);
  const ready = await play.page.evaluate(() => performance.now());
  console.log(`page load to "waiting" (scenes loaded, music decoded): ${ready.toFixed(0)} ms`);
  await play.page.close();

  const bench = async (query) => {
    const { page } = await openPage(browser, `${site.url}index.html?${query}`);
    await page.waitForFunction(() => document.documentElement.dataset.bench === 'done', { timeout: 900000 });
    const report = await page.$eval('#bench', (e) => e.textContent);
    await page.close();
    const fps = {};
    for (const m of report.matchAll(/^segment +(\d+): +\d+ frames, +([\d.]+) frames per second$/gm))
      fps[Number(m[1])] = Number(m[2]);
    return { fps, all: report.trim().split('\n').pop() };
  };
  const full = await bench('bench');
  const small = await bench('bench&size=8x6');
  const native = nativeFigures();
  console.log('segment  web fps  native fps  web/native  web fps at 8x6');
  for (let s = 1; s <= SEGMENTS; ++s) {
    console.log(`${String(s).padStart(7)}  ${full.fps[s].toFixed(1).padStart(7)}  ${native[s].toFixed(1).padStart(10)}` +
      `  ${(full.fps[s] / native[s]).toFixed(2).padStart(10)}  ${small.fps[s].toFixed(1).padStart(14)}`);
  }
  const size = `${schedule.pictureWidth}x${schedule.pictureHeight}`;
  console.log(`${size} ${full.all}`);
  console.log(`${'8x6'.padEnd(size.length)} ${small.all}`);
} finally {
  await browser.close();
  await site.close();
}
