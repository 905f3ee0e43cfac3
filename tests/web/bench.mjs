// The show's benchmark in headless Chromium: the page's ?bench mode draws
// every frame of the show at 30 frames a second of demo time, each whole
// and finished, and reports the frame rate of each segment; set beside
// bench/frame_bench's native offscreen figures of the same segments, from
// the same run, at the picture's own size and at 1440x1080 (the picture on a
// 1920x1080 screen). Also the site's size and the time from page load to
// the first frame. Each segment is also drawn into a canvas of 8x6 pixels,
// where a frame costs all but the filling of its pixels: where that is
// fast and the picture's full size is not, filling is what holds the
// segment back. Last, the show played on a 1920x1080 screen, and the scale
// that the page settles on in each segment. A benchmark, not a test: it
// asserts nothing.
//
//   node tests/web/bench.mjs            (after scripts/web and the native build)
//   node tests/web/bench.mjs scale      (only the scale of the show played at 1920x1080)
//   node tests/web/bench.mjs network [SITE_FOLDER ...]   (only the page on slow links: network_bench.mjs)
import { execFileSync } from 'node:child_process';
import { statSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { launchBrowser, openPage, repo, requireFile, serveSite, siteDir, siteFiles, state, waitForState } from './browser.mjs';
import { networkBench } from './network_bench.mjs';
import { showSchedule } from './schedule.mjs';

if (process.argv[2] === 'network') {
  await networkBench(process.argv.length > 3 ? process.argv.slice(3).map((d) => resolve(d)) : [siteDir]);
  process.exit(0);
}
const onlyScale = process.argv[2] === 'scale';
const frameBench = join(repo, 'build', 'bench', 'frame_bench');
if (!onlyScale) requireFile(frameBench, 'build the native build/ with its benchmarks');

const schedule = showSchedule();
const SEGMENTS = schedule.segmentMoments.length;

// Where a segment's window holds more than one drawing style, the native
// samples are weighed by the seconds each style lasts (segment 4: outline,
// banded, banded with waves, between the bounds of the schedule).
const [start4, stripes4, waves4, end4] = schedule.segment4Styles;
const SEGMENT4 = { '04a': stripes4 - start4, '04b': waves4 - stripes4, '04c': end4 - waves4 };

function nativeFigures(size) {
  const json = execFileSync(frameBench, ['--benchmark_filter=^immediate/', '--benchmark_format=json', `--size=${size}`],
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
// The longest wait is a whole ?bench run at 1440x1080: up to 15 minutes.
const BENCH_RUN_MS = 900000;
const browser = await launchBrowser({ protocolTimeout: BENCH_RUN_MS + 60000 });
try {
  if (!onlyScale) await segments();
  await playedScale();
} finally {
  await browser.close();
  await site.close();
}

async function segments() {
  const files = siteFiles();
  const bytes = files.reduce((sum, f) => sum + statSync(join(siteDir, f)).size, 0);
  console.log(`site: ${(bytes / 1e6).toFixed(2)} MB in ${files.length} files`);

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
    await page.waitForFunction(() => document.documentElement.dataset.bench === 'done', { timeout: BENCH_RUN_MS });
    const report = await page.$eval('#bench', (e) => e.textContent);
    await page.close();
    const fps = {};
    for (const m of report.matchAll(/^segment +(\d+): +\d+ frames, +([\d.]+) frames per second$/gm))
      fps[Number(m[1])] = Number(m[2]);
    return { fps, all: report.trim().split('\n').pop() };
  };
  const picture = `${schedule.pictureWidth}x${schedule.pictureHeight}`;
  const small = await bench('bench&size=8x6');
  for (const size of [picture, '1440x1080']) {
    const web = await bench(`bench&size=${size}`);
    const native = nativeFigures(size);
    console.log(`\n${size}: segment  web fps  native fps  web/native${size === picture ? '  web fps at 8x6' : ''}`);
    for (let s = 1; s <= SEGMENTS; ++s) {
      console.log(`${String(s).padStart(size.length + 9)}  ${web.fps[s].toFixed(1).padStart(7)}` +
        `  ${native[s].toFixed(1).padStart(10)}  ${(web.fps[s] / native[s]).toFixed(2).padStart(10)}` +
        (size === picture ? `  ${small.fps[s].toFixed(1).padStart(14)}` : ''));
    }
    console.log(`${size} ${web.all}`);
  }
  console.log(`8x6 ${small.all}`);
}

async function playedScale() {

  // Played on a 1920x1080 screen: the scale in each segment's second half,
  // once the page has had time to settle.
  const played = await openPage(browser, `${site.url}index.html`, { width: 1920, height: 1080 });
  await waitForState(played.page, 'waiting', 60000);
  await played.page.keyboard.press('Enter');
  await waitForState(played.page, 'playing', 10000);
  const bounds = schedule.segmentBounds;
  const seen = bounds.slice(1).map(() => []);
  for (let now = await state(played.page); now.orvel === 'playing'; now = await state(played.page)) {
    // The time of the picture on screen.
    const t = Number(now.time);
    const s = bounds.findIndex((b, i) => i > 0 && t < b);
    if (s > 0 && t > (bounds[s - 1] + bounds[s]) / 2) seen[s - 1].push(Number(now.scale));
    await new Promise((r) => setTimeout(r, 200));
  }
  await played.page.close();
  console.log('\nplayed at 1920x1080 (1440x1080 at scale 1): segment  scale settled on');
  seen.forEach((scales, i) => {
    const sorted = scales.sort((a, b) => a - b);
    console.log(`${String(i + 1).padStart(7)}  ${sorted.length ? sorted[sorted.length >> 1].toFixed(2) : '-'}`);
  });
}
