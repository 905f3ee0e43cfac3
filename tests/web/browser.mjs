// A headless Chromium with SwiftShader's WebGL and a static server for the
// site in dist/web/, both on this machine only, for the page's tests,
// benchmark and screenshot. Beside Chromium, a Firefox whose WebGL runs on
// Mesa, and WebKit (the engine of Safari) over plain WebDriver.
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, statSync, existsSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { dirname, extname, join, normalize, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { connectWebDriver } from './webdriver.mjs';

export const repo = resolve(dirname(fileURLToPath(import.meta.url)), '..', '..');
export const siteDir = join(repo, 'dist', 'web');
export const chromiumPath = process.env.ORVEL_CHROMIUM || '/usr/bin/chromium';
export const firefoxPath = process.env.ORVEL_FIREFOX || '/usr/bin/firefox-esr';
const webKitDriverPath = '/usr/bin/WebKitWebDriver';
const miniBrowserPath = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const xvfbPath = '/usr/bin/Xvfb';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.txt': 'text/plain; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.mp3': 'audio/mpeg',
};

// Throws with what to do when a tool or file the tests need is missing.
export function requireFile(path, hint) {
  if (!existsSync(path)) throw new Error(`${path} is missing: ${hint}`);
}

// The music of the built-in timing, as the site holds it (the content
// generator makes one).
export function musicFile() {
  const found = siteFiles().filter((f) => /\.(mp3|ogg|wav)$/.test(f));
  if (found.length !== 1) throw new Error(`the site lists ${found.length} music files, not one: ${found}`);
  return found[0];
}

// The site's files, as the build lists them (web/CMakeLists.txt names them,
// scripts/web copies them into siteDir).
export function siteFiles() {
  const list = join(repo, 'build-web', 'site.txt');
  requireFile(list, 'build the site with scripts/web');
  return readFileSync(list, 'utf8').split('\n').filter(Boolean);
}

// Serves the site in dir (siteDir unless told) on 127.0.0.1 at a free port,
// as static servers do: a Range header is honoured (unless ranges is
// false). Resolves to { url, close, release }. The files named in missing
// answer 404, as from a site copied in part; files adds files to the site
// ({ 'timing.txt': text }); prelude, a script, runs in index.html before the
// page's own scripts (as no engine's plain WebDriver can run one there);
// hold: { file, after } sends the first `after` bytes of that file (its 404,
// where it is missing) only once release() is called, as a link that stalls;
// rangesOf: { file, count } honours only the first `count` ranges asked of
// that file. cut lists the files whose answers the browser closed before
// their end.
export function serveSite({ dir = siteDir, missing = [], prelude = '', files = {}, ranges = true, hold = null,
  rangesOf = null } = {}) {
  const cut = [];
  let rangesAsked = 0;
  requireFile(join(dir, 'index.html'), 'build the site with scripts/web');
  const root = normalize(dir + sep);
  let release;
  const released = new Promise((r) => { release = r; });
  const sockets = new Set();
  const server = createServer(async (request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname).slice(1) || 'index.html';
    const file = normalize(join(dir, path));
    const added = Object.hasOwn(files, path);
    const held = hold && hold.file === path;
    const onDisk = file.startsWith(root) && existsSync(file) && statSync(file).isFile();
    if (missing.includes(path) || (!added && !onDisk)) {
      if (held) await released;
      response.writeHead(404, 'Not Found').end();
      return;
    }
    let body = added ? Buffer.from(files[path]) : readFileSync(file);
    if (prelude && path === 'index.html')
      body = Buffer.from(body.toString('utf8').replace('<head>', `<head><script>${prelude}</script>`));
    const headers = { 'Content-Type': TYPES[extname(path)] || 'application/octet-stream', 'Accept-Ranges': 'bytes' };
    const honoured = !rangesOf || rangesOf.file !== path || request.headers.range === undefined
      || ++rangesAsked <= rangesOf.count;
    const range = ranges && honoured && /^bytes=(\d+)-(\d*)$/.exec(request.headers.range || '');
    let status = 200;
    if (range) {
      const first = Number(range[1]);
      const last = Math.min(range[2] ? Number(range[2]) : body.length - 1, body.length - 1);
      if (first > last) {
        response.writeHead(416, { 'Content-Range': `bytes */${body.length}` }).end();
        return;
      }
      headers['Content-Range'] = `bytes ${first}-${last}/${body.length}`;
      body = body.subarray(first, last + 1);
      status = 206;
    }
    response.writeHead(status, { ...headers, 'Content-Length': body.length });
    response.on('close', () => { if (!response.writableFinished) cut.push(path); });
    if (held && !range) {
      response.write(body.subarray(0, hold.after));
      await released;
      body = body.subarray(hold.after);
    }
    response.end(body);
  });
  server.on('connection', (socket) => {
    sockets.add(socket);
    socket.on('close', () => sockets.delete(socket));
  });
  return new Promise((done) => {
    server.listen(0, '127.0.0.1', () => {
      done({
        url: `http://127.0.0.1:${server.address().port}/`,
        release,
        cut,
        close: () => new Promise((closed) => {
          release();
          for (const socket of sockets) socket.destroy();
          server.close(closed);
        }),
      });
    });
  });
}

// protocolTimeout: the milliseconds one call into the page may take, for a
// caller (a benchmark) that waits on the page longer than puppeteer's 180 s.
export async function launchBrowser({ protocolTimeout } = {}) {
  requireFile(chromiumPath, 'install chromium (scripts/deps does)');
  const profile = mkdtempSync(join(tmpdir(), 'orvel-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromiumPath,
    ...(protocolTimeout ? { protocolTimeout } : {}),
    headless: true,
    userDataDir: profile,
    args: [
      '--no-sandbox',
      '--use-angle=swiftshader',
      '--enable-unsafe-swiftshader',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--no-first-run',
      '--disable-quic',
    ],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// An X server without a screen, on the first free display, which it
// chooses and names itself (-displayfd), so that two runs never race for a
// number; resolves to { display, close }. It ends with this process at the
// latest.
function startXvfb(size = '1280x1024') {
  const server = spawn(xvfbPath, ['-displayfd', '3', '-nolisten', 'tcp', '-screen', '0', `${size}x24`],
    { stdio: ['ignore', 'ignore', 'pipe', 'pipe'] });
  let told = '';
  server.stderr.on('data', (text) => { told += text; });
  const stop = () => server.kill();
  process.on('exit', stop);
  return new Promise((started, failed) => {
    let number = '';
    server.stdio[3].on('data', (text) => {
      number += text;
      if (!number.includes('\n')) return;
      started({
        display: `:${number.trim()}`,
        close: () => new Promise((ended) => {
          process.off('exit', stop);
          if (server.exitCode !== null || server.signalCode !== null) return ended();
          server.once('exit', ended);
          server.kill();
        }),
      });
    });
    server.once('exit', (code) => failed(new Error(`${xvfbPath} ended (${code}) before it named a display: ${told}`)));
  });
}

// Firefox over WebDriver BiDi, a second engine beside Chromium: its WebGL 2
// runs on Mesa, as the native show does. Headless Firefox offers no WebGL 2
// here, so it runs with a window, on an X server of its own: never on the
// user's screen, and the same without any display, as in CI.
export async function launchFirefox() {
  requireFile(firefoxPath, 'install firefox-esr (scripts/deps does)');
  requireFile(xvfbPath, 'install xvfb (scripts/deps does)');
  const screen = await startXvfb();
  let browser;
  try {
    browser = await puppeteer.launch({
      browser: 'firefox',
      protocol: 'webDriverBiDi',
      executablePath: firefoxPath,
      headless: false,
      env: { ...process.env, DISPLAY: screen.display },
      // No sound device is opened: the tests never sound on the machine,
      // and the page meets the same silence on every machine.
      extraPrefsFirefox: { 'media.cubeb.force_null_context': true },
    });
  } catch (e) {
    await screen.close();
    throw e;
  }
  const close = browser.close.bind(browser);
  browser.close = async () => {
    try {
      await close();
    } finally {
      await screen.close();
    }
  };
  return browser;
}

// A port that nothing listens on now.
function freePort() {
  return new Promise((found, failed) => {
    const probe = createServer();
    probe.once('error', failed);
    probe.listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => found(port));
    });
  });
}

// WebKit, the engine of Safari and of every browser on an iPhone: WebKitGTK's
// MiniBrowser, driven by WebKitWebDriver on 127.0.0.1 over plain WebDriver,
// with a window on an X server of its own (large enough for a 1920x1080
// viewport). Its WebGL 2 runs on Mesa.
export async function launchWebKit() {
  requireFile(webKitDriverPath, 'install webkit2gtk-driver (scripts/deps does)');
  requireFile(miniBrowserPath, 'install webkit2gtk-driver, which brings MiniBrowser (scripts/deps does)');
  requireFile(xvfbPath, 'install xvfb (scripts/deps does)');
  const screen = await startXvfb('2048x1536');
  let driver;
  const close = async () => {
    if (driver && driver.exitCode === null && driver.signalCode === null) {
      const ended = new Promise((r) => driver.once('exit', r));
      driver.kill();
      await ended;
    }
    await screen.close();
  };
  try {
    const port = await freePort();
    driver = spawn(webKitDriverPath, [`--port=${port}`, '--host=127.0.0.1'],
      { env: { ...process.env, DISPLAY: screen.display }, stdio: ['ignore', 'ignore', 'pipe'] });
    let told = '';
    driver.stderr.on('data', (text) => { told += text; });
    const base = `http://127.0.0.1:${port}`;
    for (let tries = 0; ; ++tries) {
      if (driver.exitCode !== null) throw new Error(`${webKitDriverPath} ended (${driver.exitCode}): ${told}`);
      try {
        if ((await (await fetch(`${base}/status`)).json()).value.ready) break;
      } catch (e) {
        if (tries >= 100) throw new Error(`${webKitDriverPath} did not answer on ${base} within 10 s: ${told}`);
      }
      await new Promise((r) => setTimeout(r, 100));
    }
    return await connectWebDriver(base,
      { 'webkitgtk:browserOptions': { binary: miniBrowserPath, args: ['--automation'] } }, { close });
  } catch (e) {
    await close();
    throw e;
  }
}

// The engines that the page's tests run in, each with its launcher and the
// page's dataset.audio while the show plays and after it: headless
// Chromium plays the music into an output of its own; Firefox is given no
// output, so the page runs the show silent.
export const engines = [
  { name: 'Chromium', launch: launchBrowser, music: { playing: 'playing', ended: 'stopped' } },
  { name: 'Firefox', launch: launchFirefox, music: { playing: 'silent', ended: 'silent' } },
  { name: 'WebKit', launch: launchWebKit, music: { playing: 'playing', ended: 'stopped' } },
];

// A new tab at url with everything it says kept: console messages (type,
// text), uncaught exceptions and failed requests. prepare(page), where
// given, runs before the page loads (a script for every document, a slow
// network).
export async function openPage(browser, url, viewport = { width: 800, height: 600 }, prepare = null) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  const record = { console: [], exceptions: [], failedRequests: [] };
  page.on('console', (message) => record.console.push({ type: message.type(), text: message.text(),
    url: message.location?.()?.url ?? '' }));
  page.on('pageerror', (error) => record.exceptions.push(String(error)));
  if (page.watchesRequests !== false) {
    page.on('requestfailed', (request) => record.failedRequests.push(request.url()));
    page.on('response', (response) => {
      if (response.status() >= 400) record.failedRequests.push(`${response.status()} ${response.url()}`);
    });
  }
  if (prepare) await prepare(page);
  await page.goto(url);
  return { page, record };
}

// Author mode (index.html?edit) opened and started with the click that
// sound needs: it plays from the show's start.
export async function openAuthorMode(browser, siteUrl, viewport = { width: 1000, height: 700 }) {
  const opened = await openPage(browser, `${siteUrl}index.html?edit`, viewport);
  await waitForState(opened.page, 'waiting', 60000);
  await opened.page.mouse.click(300, 200);
  await waitForState(opened.page, 'playing', 10000);
  return opened;
}

// What a page said that it should not have: console errors, WebGL's
// messages, exceptions, failed requests. Not a fault: the driver's note that
// a test's own read of the canvas (toDataURL) waited for the GPU.
const readbackNote = /GL Driver Message \(OpenGL, Performance, [^)]*\): GPU stall due to ReadPixels/;
export function faults(record) {
  return [
    ...record.console
      .filter((m) => m.type === 'error' || /WebGL|GL Driver|GL_INVALID/.test(m.text))
      .filter((m) => !readbackNote.test(m.text))
      .map((m) => `console.${m.type}: ${m.text}`),
    ...record.exceptions.map((e) => `exception: ${e}`),
    ...record.failedRequests.map((r) => `request failed: ${r}`),
  ];
}

// Resolves once check() holds, asked every 50 ms; throws naming what was
// awaited where it does not within timeout ms.
export async function until(check, timeout, what) {
  for (const end = Date.now() + timeout; !check();) {
    if (Date.now() > end) throw new Error(`waited ${timeout / 1000} s for ${what}`);
    await new Promise((r) => setTimeout(r, 50));
  }
}

export function state(page) {
  return page.evaluate(() => ({ ...document.documentElement.dataset }));
}

export async function waitForState(page, wanted, timeout) {
  const states = Array.isArray(wanted) ? wanted : [wanted];
  try {
    await page.waitForFunction((s) => s.includes(document.documentElement.dataset.orvel), { timeout, polling: 100 },
      states);
  } catch (e) {
    const now = await state(page);
    throw new Error(`the page did not reach "${states.join('" or "')}" within ${timeout / 1000} s: ` +
      `dataset.orvel is "${now.orvel}"`);
  }
}

// The marks' times of a sync.txt that the page wrote, in the order written,
// for the tests to check what the program did: its lines end in LF, and
// its last line is the frame rate. The format itself is the native tests'
// (tests/show/sync_file_test.cpp).
export function syncFileMarks(text) {
  if (!text.endsWith('\n') || text.includes('\r')) throw new Error(`not a sync.txt of LF lines: ${JSON.stringify(text)}`);
  const lines = text.slice(0, -1).split('\n');
  return lines.slice(0, -1).map((line) => Number(line.slice(line.lastIndexOf(' ') + 1)));
}

// The frame rate a sync.txt that the page wrote ends with.
export function syncFileRate(text) {
  const lines = text.trimEnd().split('\n');
  return Number(lines[lines.length - 1].trim().split(' ')[0]);
}
