// Takes docs/web.png, docs/web.md's picture of the page: the show playing
// in headless Chromium, a few seconds after the click.
//
//   node tests/web/screenshot.mjs        (after scripts/web)
import { join } from 'node:path';
import { launchBrowser, openPage, repo, serveSite, waitForState } from './browser.mjs';

const out = join(repo, 'docs', 'web.png');
const site = await serveSite();
const browser = await launchBrowser();
try {
  const { page } = await openPage(browser, `${site.url}index.html?scale=1`, { width: 960, height: 600 });
  await waitForState(page, 'waiting', 60000);
  await page.mouse.click(480, 300);
  await waitForState(page, 'playing', 10000);
  await new Promise((r) => setTimeout(r, 2500));
  await page.screenshot({ path: out });
  console.log(`screenshot: wrote ${out}`);
} finally {
  await browser.close();
  await site.close();
}
