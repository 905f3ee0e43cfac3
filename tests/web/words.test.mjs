// A timing's own words and scene files in the page: a title segment with
// words draws in frame mode what orvel-capture --timing draws with the same
// file, which is not the built-in title; a segment's own scene file, which
// the page cannot fetch yet, is refused on the status line.
// Run by scripts/test after scripts/web: node --test tests/web/words.test.mjs
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { engines, faults, openPage, serveSite, waitForState } from './browser.mjs';
import { nativeFrame } from './capture.mjs';
import { decodePng, differingShare, MATCH_LEVELS, MATCH_SHARE } from './png.mjs';
import { builtInTimingText } from './schedule.mjs';

const BUILT_IN = builtInTimingText();
const WORDED = `${BUILT_IN}words 2: OUR GROUP 2026!\n`;
const SCENED = `${BUILT_IN}scene 9: junk.3ds\n`;

// Halfway through segment 2, where its title flies past.
function segmentStart(n) {
  const line = BUILT_IN.match(new RegExp(`^segment ${n}: ([0-9.]+)`, 'm'));
  assert.ok(line, `the built-in timing has a "segment ${n}:" line`);
  return Number(line[1]);
}
const MOMENT = ((segmentStart(2) + segmentStart(3)) / 2).toFixed(1);

let worded;
let scened;
let work;
let wordedFile;

before(async () => {
  work = mkdtempSync(join(tmpdir(), 'orvel-words-test-'));
  wordedFile = join(work, 'timing.txt');
  writeFileSync(wordedFile, WORDED);
  worded = await serveSite({ files: { 'timing.txt': WORDED } });
  scened = await serveSite({ files: { 'timing.txt': SCENED } });
});

after(async () => {
  if (worded) await worded.close();
  if (scened) await scened.close();
  if (work) rmSync(work, { recursive: true, force: true });
});

// The page's state and status line, and its canvas where it drew a frame.
async function look(browser, url) {
  const { page, record } = await openPage(browser, url);
  try {
    await waitForState(page, ['frame', 'error'], 60000);
    const shown = await page.evaluate(() => ({
      state: document.documentElement.dataset.orvel,
      message: document.getElementById('message').hidden ? '' : document.getElementById('message').textContent,
      png: document.querySelector('canvas').toDataURL('image/png'),
    }));
    return { ...shown, faults: faults(record),
      picture: decodePng(Buffer.from(shown.png.slice(shown.png.indexOf(',') + 1), 'base64')) };
  } finally {
    await page.close();
  }
}

for (const engine of engines) {
  describe(`${engine.name}: a timing's words and scene files`, () => {
    test(`?at=${MOMENT} with words for segment 2 draws what orvel-capture --timing draws`, async () => {
      const browser = await engine.launch();
      try {
        const web = await look(browser, `${worded.url}index.html?at=${MOMENT}`);
        assert.equal(web.state, 'frame', web.message);
        assert.deepEqual(web.faults, []);
        const share = differingShare(await nativeFrame(MOMENT, work, wordedFile), web.picture, MATCH_LEVELS);
        assert.ok(share <= MATCH_SHARE, `${(100 * share).toFixed(3)} % of pixels differ at ${MOMENT} s`);
        const builtIn = differingShare(await nativeFrame(MOMENT, work), web.picture, MATCH_LEVELS);
        assert.ok(builtIn > MATCH_SHARE, `only ${(100 * builtIn).toFixed(3)} % differ from the built-in title`);
      } finally {
        await browser.close();
      }
    });

    test('a scene line is refused on the status line', async () => {
      const browser = await engine.launch();
      try {
        const web = await look(browser, `${scened.url}index.html?at=${MOMENT}`);
        assert.equal(web.state, 'error');
        assert.equal(web.message, 'timing.txt: scene 9: junk.3ds: the page does not play a segment\'s own scene '
          + 'file yet; the window, orvel.exe and orvel-capture do');
      } finally {
        await browser.close();
      }
    });
  });
}
