// The page on slow links, in headless Chromium with its network emulation
// (the DevTools protocol's): from the navigation to the show playing, with a
// click made as soon as the first screen shows (the page honours it once it
// can), and the bytes fetched before the first frame, at no throttling and
// at 50, 10, 4 and 1.6 Mbit/s. Each link is tried RUNS times in a fresh
// browser context (nothing cached) and the median is reported. A
// benchmark, not a test: it asserts nothing.
//
//   node tests/web/bench.mjs network [SITE_FOLDER ...]    (dist/web unless told)
import { launchBrowser, serveSite, siteDir } from './browser.mjs';

// Download rate in Mbit/s (0: no throttling) and the round trip each
// request waits, in ms, from a wired link to a phone's.
const LINKS = [
  { name: 'no throttling', mbit: 0, latency: 0 },
  { name: '50 Mbit/s', mbit: 50, latency: 20 },
  { name: '10 Mbit/s', mbit: 10, latency: 40 },
  { name: '4 Mbit/s', mbit: 4, latency: 80 },
  { name: '1.6 Mbit/s', mbit: 1.6, latency: 150 },
];
const RUNS = 3;
const TIMEOUT_MS = 120000;

// The page's own times, from the navigation's start: the first screen
// (the state "loading"), "playing", and the first frame (data-time set).
function watchTimes() {
  window.orvelTimes = {};
  // The document has no element yet: its root's attributes are watched from the document.
  new MutationObserver(() => {
    const times = window.orvelTimes;
    const { dataset } = document.documentElement;
    if (dataset.orvel === 'playing' && times.playing === undefined) times.playing = performance.now();
    if (dataset.time !== undefined && times.frame === undefined) times.frame = performance.now();
  }).observe(document, { attributes: true, subtree: true, attributeFilter: ['data-orvel', 'data-time'] });
}

async function once(browser, url, link) {
  const context = await browser.createBrowserContext();
  try {
    const page = await context.newPage();
    await page.setViewport({ width: 800, height: 600 });
    const client = await page.createCDPSession();
    await client.send('Network.enable');
    await client.send('Network.setCacheDisabled', { cacheDisabled: true });
    if (link.mbit) {
      await client.send('Network.emulateNetworkConditions', {
        offline: false, latency: link.latency,
        downloadThroughput: (link.mbit * 1e6) / 8, uploadThroughput: (link.mbit * 1e6) / 8,
      });
    }
    // The bytes received, by the browser's monotonic clock, which the wall
    // clock of each request's start sets beside the page's.
    const received = [];
    let wallOffset = null;
    client.on('Network.requestWillBeSent', (e) => { wallOffset ??= e.wallTime - e.timestamp; });
    client.on('Network.dataReceived', (e) => received.push([e.timestamp, e.encodedDataLength]));
    await page.evaluateOnNewDocument(watchTimes);
    await page.goto(url, { waitUntil: 'domcontentloaded', timeout: TIMEOUT_MS });
    // The first screen: loading, or loaded already.
    await page.waitForFunction(() => ['loading', 'waiting'].includes(document.documentElement.dataset.orvel),
      { timeout: TIMEOUT_MS, polling: 10 });
    await page.mouse.click(400, 300);
    try {
      await page.waitForFunction(() => window.orvelTimes.frame !== undefined, { timeout: TIMEOUT_MS, polling: 50 });
    } catch (e) {
      const now = await page.evaluate(() => ({ ...document.documentElement.dataset, times: window.orvelTimes,
        message: document.getElementById('message').textContent }));
      throw new Error(`${link.name}: no frame within ${TIMEOUT_MS / 1000} s: ${JSON.stringify(now)}`);
    }
    const times = await page.evaluate(() => ({ ...window.orvelTimes, origin: performance.timeOrigin }));
    const frameAt = (times.origin + times.frame) / 1000 - wallOffset;
    const bytes = received.filter(([at]) => at <= frameAt).reduce((sum, [, n]) => sum + n, 0);
    return { playing: times.playing, bytes };
  } finally {
    await context.close();
  }
}

const median = (values) => values.slice().sort((a, b) => a - b)[values.length >> 1];

// Each site folder in dirs (another build's dist/web beside this one's, say)
// on each link, one after another, so that both meet the same machine.
export async function networkBench(dirs = [siteDir]) {
  const sites = [];
  for (const dir of dirs) sites.push({ dir, ...(await serveSite({ dir })) });
  const browser = await launchBrowser();
  try {
    sites.forEach((site, i) => console.log(`site ${i + 1}: ${site.dir}`));
    console.log(`link          latency  site  navigation to playing (median of ${RUNS}, s)  runs (s)` +
      '            bytes before the first frame');
    for (const link of LINKS) {
      for (const [i, site] of sites.entries()) {
        const runs = [];
        for (let r = 0; r < RUNS; ++r) runs.push(await once(browser, `${site.url}index.html`, link));
        const seconds = runs.map((run) => run.playing / 1000);
        console.log(`${link.name.padEnd(14)}${String(link.latency).padStart(4)} ms  ${String(i + 1).padStart(4)}` +
          `  ${median(seconds).toFixed(2).padStart(38)}  ${seconds.map((x) => x.toFixed(2)).join(' ').padEnd(18)}` +
          `  ${median(runs.map((run) => run.bytes))}`);
      }
    }
  } finally {
    await browser.close();
    for (const site of sites) await site.close();
  }
}
