// The page as people meet it, in headless Chromium: the site alone in
// dist/web/, a drawing buffer as sharp as the screen, loading shown and a
// click during it kept, the choice of "Play" and "Play calm" (preselected,
// kept), failures said in words, Enter and touch.
// Run by scripts/test after scripts/web: node --test tests/web/page.test.mjs
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readdirSync, readFileSync, statSync } from 'node:fs';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, describe, test } from 'node:test';
import {
  faults, launchBrowser, musicFile, openPage, repo, serveSite, siteDir, siteFiles, state, until, waitForState,
} from './browser.mjs';
import { showSchedule } from './schedule.mjs';

const MAX_SIDE = showSchedule().canvasMaxSide;
const MUSIC = musicFile();
const builtInTiming = execFileSync(join(repo, 'build', 'show-schedule'), ['--timing'], { encoding: 'utf8' });

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
  const files = readdirSync(siteDir, { recursive: true }).filter((f) => statSync(join(siteDir, f)).isFile());
  assert.deepEqual(files.sort(), siteFiles().sort());
});

test('a plain load asks for nothing the site lacks: the site carries the built-in timing, its timing.txt', async () => {
  assert.equal(readFileSync(join(siteDir, 'timing.txt'), 'utf8'), builtInTiming);
  const { page, record } = await openPage(browser, `${site.url}index.html`);
  try {
    await waitForState(page, 'waiting', 60000);
    assert.deepEqual(record.failedRequests, []);
    assert.deepEqual(record.console.filter((m) => m.type === 'error' || m.type === 'warn'), []);
  } finally {
    await page.close();
  }
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
      // "Play again" starts where the first play started.
      await page.keyboard.press('Escape');
      await waitForState(page, 'ended', 10000);
      await page.click('#sync-again');
      await waitForState(page, 'playing', 10000);
      assert.deepEqual(await page.evaluate(() => [document.documentElement.dataset.scale, canvas.width]), ['1', MAX_SIDE]);
      assert.deepEqual(faults(record), []);
    } finally {
      await page.close();
    }
  });
});

describe('loading is shown, and a click during it is kept', () => {
  test('at 1 Mbit/s the progress moves, and the show starts by itself when loaded', async () => {
    const { page, record } = await openPage(browser, `${site.url}index.html`, undefined,
      (opening) => opening.emulateNetworkConditions({ download: 125000, upload: 125000, latency: 20 }));
    try {
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
        if (seen.size >= 3) break;
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

  test('Enter starts the show, the start control has the focus, the page carries the show\'s version', async () => {
    const { page, record } = await openPage(browser, `${site.url}index.html`);
    try {
      await waitForState(page, 'waiting', 60000);
      assert.equal(await page.evaluate(() => document.activeElement.id), 'start');
      const version = execFileSync(join(repo, 'build', 'orvel'), ['--version'], { encoding: 'utf8' }).trim();
      assert.equal(`orvel ${await page.evaluate(() => document.documentElement.dataset.version)}`, version);
      await page.keyboard.press('Enter');
      await waitForState(page, 'playing', 10000);
      assert.deepEqual(faults(record), []);
    } finally {
      await page.close();
    }
  });

});

describe('the first screen offers "Play" and "Play calm"', () => {
  // The page keeps the viewer's choice under this name; each case starts
  // with none kept, and leaves none.
  const STORE = 'orvel.show';
  const forget = (page) => page.evaluate((key) => localStorage.removeItem(key), STORE).catch(() => {});
  const forgotten = (opening) => opening.evaluateOnNewDocument((key) => localStorage.removeItem(key), STORE);
  // The page up to the choice, what it shows then, and the show it starts.
  const first = async (url, viewport, prepare) => {
    const opened = await openPage(browser, `${site.url}${url}`, viewport, prepare);
    await waitForState(opened.page, 'waiting', 60000);
    const look = await opened.page.evaluate(() => ({
      choices: [...document.querySelectorAll('#choice button')].map((b) => b.textContent),
      focused: document.activeElement.id,
      warning: document.getElementById('warning').textContent.replace(/\s+/g, ' '),
    }));
    return { ...opened, look };
  };
  const played = async (page) => {
    await waitForState(page, 'playing', 10000);
    return page.evaluate(() => document.documentElement.dataset.calm);
  };

  test('"Play" has the focus; "Play calm" plays the calm show, the warning names it, the choice is kept', async () => {
    let { page, record, look } = await first('index.html', undefined, forgotten);
    try {
      assert.deepEqual(look.choices, ['Play', 'Play calm']);
      assert.equal(look.focused, 'start');
      assert.match(look.warning, /flashing lights .*[“"]Play calm[”"] plays it with no more than three flashes a second/);
      await page.click('#start-calm');
      assert.equal(await played(page), 'true');
      assert.deepEqual(faults(record), []);
      await page.close();

      ({ page, look } = await first('index.html'));
      assert.equal(look.focused, 'start-calm', 'the choice kept preselects the calm show');
      await page.keyboard.press('Enter');
      assert.equal(await played(page), 'true');
      await page.close();

      ({ page, look } = await first('index.html'));
      await page.click('#start');
      assert.equal(await played(page), 'false');
      await page.close();

      ({ page, look } = await first('index.html?calm'));
      assert.equal(look.focused, 'start-calm', '?calm preselects the calm show, whatever was kept');
    } finally {
      await forget(page);
      await page.close().catch(() => {});
    }
  });

  test('where the browser prefers reduced motion, "Play calm" is preselected; touch offers the same two', async () => {
    const reduced = async (opening) => {
      await forgotten(opening);
      await opening.emulateMediaFeatures([{ name: 'prefers-reduced-motion', value: 'reduce' }]);
    };
    let { page, look } = await first('index.html', undefined, reduced);
    try {
      assert.equal(look.focused, 'start-calm');
      await page.mouse.click(20, 300);
      assert.equal(await played(page), 'true', 'a click beside the choices plays the one preselected');
      await page.close();

      ({ page, look } = await first('index.html', { width: 400, height: 800, isMobile: true, hasTouch: true },
        forgotten));
      assert.deepEqual(look.choices, ['Play', 'Play calm']);
      await page.tap('#start-calm');
      assert.equal(await played(page), 'true');
    } finally {
      await forget(page);
      await page.close().catch(() => {});
    }
  });
});

describe('on a phone', () => {
  const PHONE = { width: 390, height: 844, isMobile: true, hasTouch: true };
  // The boxes of the shown elements among ids, and the pairs that overlap.
  const overlaps = (page, ids) => page.evaluate((ids) => {
    const boxes = ids.map((id) => [id, document.getElementById(id)])
      .filter(([, e]) => e && !e.hidden && getComputedStyle(e).display !== 'none')
      .map(([id, e]) => [id, e.getBoundingClientRect()]);
    const pairs = [];
    for (let i = 0; i < boxes.length; ++i) {
      for (let j = i + 1; j < boxes.length; ++j) {
        const [a, b] = [boxes[i][1], boxes[j][1]];
        if (a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom) pairs.push(`${boxes[i][0]} and ${boxes[j][0]}`);
      }
    }
    return { shown: boxes.map(([id]) => id), pairs };
  }, ids);
  const shownText = (page, id) => page.$eval(`#${id}`, (e) => (getComputedStyle(e).display === 'none' ? '' : e.textContent));

  test('held upright: the page suggests turning it, and nothing covers a control', async () => {
    const { page, record } = await openPage(browser, `${site.url}index.html`, PHONE);
    try {
      await waitForState(page, 'waiting', 60000);
      assert.deepEqual(await overlaps(page, ['warning', 'turn', 'start', 'start-calm', 'fullscreen', 'message']),
        { shown: ['warning', 'turn', 'start', 'start-calm', 'fullscreen'], pairs: [] });
      assert.equal(await shownText(page, 'turn'), 'Turn your phone sideways for a larger picture.');

      // Full screen locks the phone sideways, where the browser allows it.
      await page.evaluate(() => {
        window.locked = [];
        screen.orientation.lock = (o) => { locked.push(o); return Promise.resolve(); };
      });
      await page.tap('#fullscreen');
      await page.waitForFunction(() => locked.length > 0, { timeout: 5000 });
      assert.deepEqual(await page.evaluate(() => locked), ['landscape']);
      await page.evaluate(() => document.exitFullscreen());
      await page.waitForFunction(() => !document.fullscreenElement, { timeout: 5000 });

      await page.tap('#start');
      await waitForState(page, 'playing', 10000);
      assert.deepEqual(await overlaps(page, ['warning', 'turn', 'canvas', 'fullscreen', 'message']),
        { shown: ['turn', 'canvas', 'fullscreen'], pairs: [] }, 'the suggestion stays in the black above the picture');
      // Leaving full screen says nothing of an ESC that a phone lacks.
      await page.evaluate(() => document.dispatchEvent(new Event('fullscreenchange')));
      assert.equal(await shownText(page, 'message'), '');

      await page.setViewport({ ...PHONE, width: PHONE.height, height: PHONE.width });
      await page.waitForFunction(() => document.documentElement.dataset.upright === 'false', { timeout: 5000 });
      assert.equal(await shownText(page, 'turn'), '');
      assert.deepEqual(faults(record), []);
    } finally {
      await page.close();
    }
  });

  test('a desktop window taller than wide suggests nothing', async () => {
    const { page } = await openPage(browser, `${site.url}index.html`, { width: 600, height: 900 });
    try {
      await waitForState(page, 'waiting', 60000);
      assert.equal(await shownText(page, 'turn'), '');
      await page.keyboard.press('Enter');
      await waitForState(page, 'playing', 10000);
      await page.evaluate(() => document.dispatchEvent(new Event('fullscreenchange')));
      assert.equal(await shownText(page, 'message'), 'Full screen left: ESC now ends the show');
    } finally {
      await page.close();
    }
  });
});

describe("the browser's media controls", () => {
  // The handlers that the page gives the media session, kept for the test.
  const keepingHandlers = (page) => page.evaluateOnNewDocument(() => {
    window.mediaHandlers = {};
    const set = navigator.mediaSession.setActionHandler.bind(navigator.mediaSession);
    navigator.mediaSession.setActionHandler = (action, handler) => {
      mediaHandlers[action] = handler;
      set(action, handler);
    };
  });

  test("play mode: the show's title and the music's artist, and no pause", async () => {
    const { page } = await openPage(browser, `${site.url}index.html`, undefined, keepingHandlers);
    try {
      await waitForState(page, 'waiting', 60000);
      const media = await page.evaluate(() => {
        const { title, artist, album } = navigator.mediaSession.metadata;
        return { title, music: `${artist} - ${album}.mp3`, handlers: Object.keys(mediaHandlers) };
      });
      assert.deepEqual(media, { title: 'orvel', music: MUSIC, handlers: [] });
    } finally {
      await page.close();
    }
  });

  test('author mode: pause and play act as SPACE', async () => {
    const { page } = await openPage(browser, `${site.url}index.html?edit`, undefined, keepingHandlers);
    try {
      await waitForState(page, 'waiting', 60000);
      await page.mouse.click(300, 200);
      await waitForState(page, 'playing', 10000);
      await page.evaluate(() => mediaHandlers.play());
      assert.equal((await state(page)).orvel, 'playing', 'play while playing changes nothing');
      await page.evaluate(() => mediaHandlers.pause());
      await waitForState(page, 'paused', 5000);
      await page.evaluate(() => mediaHandlers.pause());
      assert.equal((await state(page)).orvel, 'paused', 'pause while paused changes nothing');
      await page.evaluate(() => mediaHandlers.play());
      await waitForState(page, 'playing', 5000);
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
    if (typeof pattern === 'string') assert.equal(shown.text, pattern); else assert.match(shown.text, pattern);
    assert.equal(shown.colour, 'rgb(244, 244, 244)');
    assert.match(shown.background, /^rgba\(0, 0, 0, 0\.8\d*\)$/);
    assert.equal(shown.loading, false);
    assert.deepEqual(record.exceptions, [], 'no uncaught exception');
  }

  const [startData, restData] = siteFiles().filter((f) => f.endsWith('.data'));
  const whole = readFileSync(join(siteDir, restData));
  const cutShort = whole.subarray(0, whole.length >> 1);
  const cases = {
    [`without ${startData}`]: [{ missing: [startData] }, `${startData} could not be loaded: 404 Not Found`],
    [`without ${MUSIC}`]: [{ missing: [MUSIC] }, `${MUSIC} could not be loaded: 404 Not Found`],
    'without page/sound.js': [{ missing: ['page/sound.js'] }, /^The page's scripts could not be loaded/],
    [`with a ${restData} that is no data`]: [{ files: { [restData]: 'This is some text, not the show at all.' } },
      `${restData} is not the show's data: it starts with "This is "`],
    [`with ${restData} cut short`]: [{ files: { [restData]: cutShort } },
      `${restData} is damaged: ${cutShort.length} bytes where ${whole.length} belong`],
    // Refused by the program's own reader: the file, the line, what is wrong.
    'with a timing.txt that breaks a rule': [
      { files: { 'timing.txt': builtInTiming.replace(/^end: .*$/m, 'end: 700') } },
      new RegExp(`^timing\\.txt:${builtInTiming.split('\n').findIndex((l) => l.startsWith('end: ')) + 1}: ` +
        'the end is at 700 s')],
    'with a timing.txt whose music the site lacks': [
      { files: { 'timing.txt': builtInTiming.replace(MUSIC, 'other.ogg') } },
      'other.ogg could not be loaded: 404 Not Found'],
  };
  for (const [name, [serving, said]] of Object.entries(cases)) {
    test(name, async () => {
      const partial = await serveSite(serving);
      const { page, record } = await openPage(browser, `${partial.url}index.html`);
      try {
        await expectFailure(page, record, said);
      } finally {
        await page.close();
        await partial.close();
      }
    });
  }

  test(`a pack of ${restData} damaged early: said as soon as that pack has come, before the file has`, async () => {
    // The first pack's gzip body with bytes in its middle changed, its size kept.
    const damaged = Buffer.from(whole);
    const firstPack = whole.readUInt32LE(20);
    damaged.fill(0x55, 24 + (firstPack >> 1), 24 + (firstPack >> 1) + 64);
    const partial = await serveSite({ files: { [restData]: damaged },
      hold: { file: restData, after: 24 + firstPack } });
    const { page, record } = await openPage(browser, `${partial.url}index.html`, undefined,
      (opening) => opening.emulateNetworkConditions({ download: 500000, upload: 500000, latency: 40 }));
    try {
      const said = new RegExp(`^${restData.replace('.', '\\.')} is damaged: a pack does not unpack`);
      await expectFailure(page, record, said);
      // The page ends the download: the server sees the answer closed before its end.
      await until(() => partial.cut.length > 0, 10000, `the server to see ${restData}'s answer closed`);
      assert.deepEqual(partial.cut, [restData]);
    } finally {
      await page.close();
      await partial.close();
    }
  });

  test(`without ${restData}, fetched while the show plays: said, and the show stops`, async () => {
    const partial = await serveSite({ missing: [restData], hold: { file: restData } });
    const { page, record } = await openPage(browser, `${partial.url}index.html`);
    try {
      await waitForState(page, 'waiting', 60000);
      await page.keyboard.press('Enter');
      await waitForState(page, 'playing', 10000);
      partial.release();
      await expectFailure(page, record, `${restData} could not be loaded: 404 Not Found`);
      const time = (await state(page)).time;
      await new Promise((r) => setTimeout(r, 300));
      const later = await state(page);
      assert.deepEqual([later.time, later.audio], [time, 'stopped'], 'no frame, no music after');
    } finally {
      await page.close();
      await partial.close();
    }
  });

  test('?timing= names a file of this site, and no other', async () => {
    for (const [query, said] of [['timing=old/timing.txt', 'old/timing.txt could not be loaded: 404 Not Found'],
      ['timing=../timing.txt', 'timing=../timing.txt: not the name of a file of this site'],
      ['timing=https://example.org/t.txt', 'timing=https://example.org/t.txt: not the name of a file of this site']]) {
      const { page, record } = await openPage(browser, `${site.url}index.html?${query}`);
      try {
        await expectFailure(page, record, said);
      } finally {
        await page.close();
      }
    }
  });

  test('without WebGL 2', async () => {
    const { page, record } = await openPage(browser, `${site.url}index.html`, undefined,
      (opening) => opening.evaluateOnNewDocument(() => {
        const getContext = HTMLCanvasElement.prototype.getContext;
        HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
          return kind === 'webgl2' ? null : getContext.call(this, kind, ...rest);
        };
      }));
    try {
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
