// The page as people meet it, in headless Chromium: the site alone in
// dist/web/, a drawing buffer as sharp as the screen, loading shown and a
// click during it kept, failures said in words, Enter and touch.
// Run by scripts/test after scripts/web: node --test tests/web/page.test.mjs
import assert from 'node:assert/strict';
import { readdirSync } from 'node:fs';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { faults, launchBrowser, openPage, serveSite, siteDir, state, waitForState } from './browser.mjs';
import { showSchedule } from './schedule.mjs';

const MAX_SIDE = showSchedule().canvasMaxSide;

let browser;
let site;

before(async () => {
  site = await serveSite();
  browser = await launchBrowser();
});

after(async () => {
  if (browser) await browser.close();
  if (site) await site.close();
});

test('the site folder holds the site and nothing else', () => {
  assert.deepEqual(readdirSync(siteDir).sort(), ['author.js', 'index.html', 'orvel.data', 'orvel.js', 'orvel.wasm', 'page.js']);
});

describe('play mode draws as many pixels as the picture covers', () => {
  // The 4:3 area's CSS size times the device pixel ratio, at most MAX_SIDE wide.
  const cases = [
    { viewport: { width: 1920, height: 1080 }, buffer: [1440, 1080] },
    { viewport: { width: 1000, height: 750, deviceScaleFactor: 2 }, buffer: [2000, 1500] },
    { viewport: { width: 1920, height: 1080, deviceScaleFactor: 2 }, buffer: [MAX_SIDE, MAX_SIDE * 3 / 4] },
  ];
  for (const { viewport, buffer } of cases) {
    test(`${viewport.width}x${viewport.height} at ${viewport.deviceScaleFactor ?? 1} device pixels a pixel`, async () => {
      const { page, record } = await openPage(browser, `${site.url}index.html?scale=1`, viewport);
      try {
        await waitForState(page, 'waiting', 60000);
        const size = () => page.evaluate(() => [canvas.width, canvas.height]);
        assert.deepEqual(await size(), buffer);
        // It follows the window.
        await page.setViewport({ width: 800, height: 600 });
        await page.waitForFunction(() => canvas.width === 800, { timeout: 5000 });
        assert.deepEqual(await size(), [800, 600]);
        assert.equal((await state(page)).scale, '1');
        assert.deepEqual(faults(record), []);
      } finally {
        await page.close();
      }
    });
  }

  test('frames that come late lower the scale, never below the show\'s own picture', async () => {
    const { page, record } = await openPage(browser, `${site.url}index.html`, { width: 1920, height: 1080,
      deviceScaleFactor: 2 });
    try {
      await waitForState(page, 'waiting', 60000);
      await page.keyboard.press('Enter');
      await waitForState(page, 'playing', 10000);
      // A buffer of the largest size in software is far slower than the display.
      await page.waitForFunction(() => Number(document.documentElement.dataset.scale) < 1, { timeout: 20000 });
      const { scale, width, height } = await page.evaluate(() => ({
        scale: Number(document.documentElement.dataset.scale), width: canvas.width, height: canvas.height }));
      assert.ok(width >= 640 && height >= 480, `${width}x${height} at scale ${scale}`);
      assert.equal(width, Math.round(MAX_SIDE * scale), `the buffer at scale ${scale}`);
      assert.deepEqual(faults(record), []);
    } finally {
      await page.close();
    }
  });
});

describe('loading is shown, and a click during it is kept', () => {
  test('at 8 Mbit/s the progress moves, and the show starts by itself when loaded', async () => {
    const page = await browser.newPage();
    const record = { exceptions: [] };
    page.on('pageerror', (e) => record.exceptions.push(String(e)));
    try {
      await page.emulateNetworkConditions({ download: 1e6, upload: 1e6, latency: 20 });
      await page.goto(`${site.url}index.html`);
      await page.waitForFunction(() => Number(document.documentElement.dataset.progress) > 0, { timeout: 10000 });
      const seen = new Set();
      let look;
      for (let i = 0; i < 20; ++i) {
        look = await page.evaluate(() => ({
          state: document.documentElement.dataset.orvel,
          progress: document.documentElement.dataset.progress,
          bar: document.getElementById('fill').style.width,
          text: document.getElementById('loading-text').textContent,
          shown: !document.getElementById('loading').hidden,
        }));
        if (look.state !== 'loading') break;
        assert.ok(look.shown, 'the loading panel shows');
        assert.equal(look.bar, `${look.progress}%`);
        assert.equal(look.text, `Loading ${look.progress} %`);
        seen.add(look.progress);
        await new Promise((r) => setTimeout(r, 200));
      }
      assert.ok(seen.size >= 3, `the progress moves: ${[...seen]}`);
      await page.mouse.click(400, 300);
      assert.match(await page.$eval('#loading-text', (e) => e.textContent), /starts when it has loaded/);
      await waitForState(page, 'playing', 30000);
      assert.deepEqual(record.exceptions, []);
    } finally {
      await page.close();
    }
  });

  test('Enter starts the show, and the start control has the focus', async () => {
    const { page, record } = await openPage(browser, `${site.url}index.html`);
    try {
      await waitForState(page, 'waiting', 60000);
      assert.equal(await page.evaluate(() => document.activeElement.id), 'start');
      await page.keyboard.press('Enter');
      await waitForState(page, 'playing', 10000);
      assert.deepEqual(faults(record), []);
    } finally {
      await page.close();
    }
  });

  test('a touch screen reads "Tap to start"', async () => {
    const { page } = await openPage(browser, `${site.url}index.html`, { width: 400, height: 800, isMobile: true,
      hasTouch: true });
    try {
      await waitForState(page, 'waiting', 60000);
      assert.equal(await page.$eval('#start', (e) => e.textContent), 'Tap to start');
    } finally {
      await page.close();
    }
  });
});

describe('a page that cannot play says why', () => {
  // Light words on a dark panel, over the middle of the page.
  async function expectFailure(page, record, pattern) {
    await waitForState(page, 'error', 10000);
    const shown = await page.evaluate(() => {
      const message = document.getElementById('message');
      const style = getComputedStyle(message);
      return { text: message.hidden ? '' : message.textContent, colour: style.color, background: style.backgroundColor,
        loading: !document.getElementById('loading').hidden };
    });
    assert.match(shown.text, pattern);
    assert.equal(shown.colour, 'rgb(244, 244, 244)');
    assert.match(shown.background, /^rgba\(0, 0, 0, 0\.8\d*\)$/);
    assert.equal(shown.loading, false);
    assert.deepEqual(record.exceptions, [], 'no uncaught exception');
  }

  for (const missing of ['orvel.data', 'orvel.wasm', 'orvel.js']) {
    test(`without ${missing}`, async () => {
      const partial = await serveSite({ missing: [missing] });
      const { page, record } = await openPage(browser, `${partial.url}index.html`);
      try {
        await expectFailure(page, record, new RegExp(`^${missing.replace('.', '\\.')} could not be loaded`));
      } finally {
        await page.close();
        await partial.close();
      }
    });
  }

  test('without WebGL 2', async () => {
    const page = await browser.newPage();
    const record = { exceptions: [] };
    page.on('pageerror', (e) => record.exceptions.push(String(e)));
    await page.evaluateOnNewDocument(() => {
      const getContext = HTMLCanvasElement.prototype.getContext;
      HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
        return kind === 'webgl2' ? null : getContext.call(this, kind, ...rest);
      };
    });
    try {
      await page.goto(`${site.url}index.html`);
      await expectFailure(page, record, /WebGL 2/);
    } finally {
      await page.close();
    }
  });

  test('opened from the file system', async () => {
    const { page, record } = await openPage(browser, pathToFileURL(join(siteDir, 'index.html')).href);
    try {
      await expectFailure(page, record, /served over HTTP.*scripts\/web --serve/);
    } finally {
      await page.close();
    }
  });
});
