// A headless Chromium with SwiftShader's WebGL and a static server for the
// site in dist/web/, both on this machine only, for the page's tests,
// benchmark and screenshot.
import { mkdtempSync, readFileSync, rmSync, statSync, existsSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { dirname, extname, join, normalize, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

export const repo = resolve(dirname(fileURLToPath(import.meta.url)), '..', '..');
export const siteDir = join(repo, 'dist', 'web');
export const chromiumPath = process.env.ORVEL_CHROMIUM || '/usr/bin/chromium';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
};

// Throws with what to do when a tool or file the tests need is missing.
export function requireFile(path, hint) {
  if (!existsSync(path)) throw new Error(`${path} is missing: ${hint}`);
}

// Serves siteDir on 127.0.0.1 at a free port; resolves to { url, close }.
// The files named in missing answer 404, as from a site copied in part.
export function serveSite({ missing = [] } = {}) {
  requireFile(join(siteDir, 'index.html'), 'build the site with scripts/web');
  const root = normalize(siteDir + sep);
  const server = createServer((request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    const file = normalize(join(siteDir, path === '/' ? 'index.html' : path));
    if (!file.startsWith(root) || !existsSync(file) || !statSync(file).isFile() ||
        missing.includes(path.slice(1))) {
      response.writeHead(404, 'Not Found').end();
      return;
    }
    const body = readFileSync(file);
    response.writeHead(200, { 'Content-Type': TYPES[extname(file)] || 'application/octet-stream',
      'Content-Length': body.length });
    response.end(body);
  });
  return new Promise((done) => {
    server.listen(0, '127.0.0.1', () => {
      done({
        url: `http://127.0.0.1:${server.address().port}/`,
        close: () => new Promise((closed) => server.close(closed)),
      });
    });
  });
}

export async function launchBrowser() {
  requireFile(chromiumPath, 'install chromium (scripts/deps does)');
  const profile = mkdtempSync(join(tmpdir(), 'orvel-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromiumPath,
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

// A new tab at url with everything it says kept: console messages (type,
// text), uncaught exceptions and failed requests.
export async function openPage(browser, url, viewport = { width: 800, height: 600 }) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  const record = { console: [], exceptions: [], failedRequests: [] };
  page.on('console', (message) => record.console.push({ type: message.type(), text: message.text() }));
  page.on('pageerror', (error) => record.exceptions.push(String(error)));
  page.on('requestfailed', (request) => record.failedRequests.push(request.url()));
  page.on('response', (response) => {
    if (response.status() >= 400) record.failedRequests.push(`${response.status()} ${response.url()}`);
  });
  await page.goto(url);
  return { page, record };
}

// What a page said that it should not have: console errors, WebGL's
// messages, exceptions, failed requests.
export function faults(record) {
  return [
    ...record.console
      .filter((m) => m.type === 'error' || /WebGL|GL Driver|GL_INVALID/.test(m.text))
      .map((m) => `console.${m.type}: ${m.text}`),
    ...record.exceptions.map((e) => `exception: ${e}`),
    ...record.failedRequests.map((r) => `request failed: ${r}`),
  ];
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
