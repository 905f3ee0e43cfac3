// The page's screens under axe-core's WCAG 2.2 A and AA rules, in headless
// Chromium: the first screen, the show playing (its right-button menu
// open too), the end screen after ESC, and author mode (?edit) with its
// keys' help shown. Any violation fails, each said with its rule,
// its impact and the elements it found.
// Run by scripts/test after scripts/web: node --test tests/web/a11y.test.mjs
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { readFileSync } from 'node:fs';
import { after, before, test } from 'node:test';
import { faults, launchBrowser, openAuthorMode, openPage, serveSite, waitForState } from './browser.mjs';

const axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
const TAGS = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa'];

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

// axe-core's violations on the page as it stands, a line each. axe cannot
// tell the contrast of words over the canvas (a picture), so the canvas
// gives way, while axe runs, to white, the brightest picture it could show.
async function violations(page) {
  if (!(await page.evaluate(() => typeof window.axe === 'object'))) await page.evaluate(axeSource);
  const found = await page.evaluate(async (tags) => {
    const stage = document.getElementById('stage');
    const was = [canvas.style.visibility, stage.style.background];
    canvas.style.visibility = 'hidden';
    stage.style.background = '#fff';
    try {
      const result = await window.axe.run(document, { runOnly: { type: 'tag', values: tags } });
      return result.violations.map((v) => ({ id: v.id, impact: v.impact,
        targets: v.nodes.map((n) => n.target.join(' ')) }));
    } finally {
      [canvas.style.visibility, stage.style.background] = was;
    }
  }, TAGS);
  return found.map((v) => `${v.id} (${v.impact}): ${v.targets.join(', ')}`);
}

test('the first screen, the show playing and the end screen break no rule', async () => {
  const { page, record } = await openPage(browser, `${site.url}index.html`);
  try {
    await waitForState(page, 'waiting', 60000);
    assert.deepEqual(await violations(page), [], 'the first screen');
    await page.keyboard.press('Enter');
    await waitForState(page, 'playing', 10000);
    assert.deepEqual(await violations(page), [], 'the show playing');
    await page.mouse.click(400, 300, { button: 'right' });
    await page.waitForSelector('#menu:not([hidden])', { timeout: 5000 });
    assert.deepEqual(await violations(page), [], 'the menu');
    await page.keyboard.press('Escape');
    await waitForState(page, 'ended', 10000);
    assert.deepEqual(await violations(page), [], 'the end screen');
    assert.deepEqual(faults(record), []);
  } finally {
    await page.close();
  }
});

test('author mode breaks no rule', async () => {
  const { page, record } = await openAuthorMode(browser, site.url);
  try {
    assert.deepEqual(await violations(page), [], 'author mode');
    await page.click('#show-keys');
    await page.waitForSelector('#key-help:not([hidden])', { timeout: 5000 });
    assert.deepEqual(await violations(page), [], 'author mode\'s keys');
    assert.deepEqual(faults(record), []);
  } finally {
    await page.close();
  }
});
