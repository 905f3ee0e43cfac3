// The page against orvel-capture at every half second of the show, in
// Chromium (SwiftShader), Firefox and WebKit (both on Mesa): each frame within the 2 %
// measure. The native frames come from one capture of the whole show; each
// engine loads the page once, and the three run at once.
// Run by scripts/test after scripts/web: node --test tests/web/sweep.test.mjs
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { promisify } from 'node:util';
import { engines, repo, requireFile, serveSite, waitForState } from './browser.mjs';
import { decodePng, differingShare, MATCH_LEVELS as LEVELS, MATCH_SHARE as MAX_SHARE } from './png.mjs';
import { showSchedule } from './schedule.mjs';

const run = promisify(execFile);

const schedule = showSchedule();
const FPS = schedule.frameFps;
const SIZE = `${schedule.pictureWidth}x${schedule.pictureHeight}`;
// 0.5, 1.0, ... up to the last half second before the show's end.
const TIMES = [];
for (let i = 1; i / 2 < Number(schedule.showEnd); ++i) TIMES.push((i / 2).toFixed(1));

const capture = join(repo, 'build', 'orvel-capture');
const showDir = join(repo, 'build', 'show');

let site;
let work;
let framesDir;

before(async () => {
  requireFile(capture, 'build the native build/ (scripts/test does)');
  requireFile(join(showDir, 'demodata'), 'build the show content in build/ (scripts/web does)');
  work = mkdtempSync(join(tmpdir(), 'orvel-sweep-'));
  framesDir = join(work, 'native');
  // Every frame from 0 at 30 a second: frame k is frame-k.png, at k / 30 s.
  await run(capture, ['--fps', String(FPS), '--size', SIZE, '--png', framesDir],
    { cwd: showDir, maxBuffer: 64 << 20 });
  site = await serveSite();
});

after(async () => {
  if (site) await site.close();
  if (work) rmSync(work, { recursive: true, force: true });
});

function capturedFrame(time) {
  const file = join(framesDir, `frame-${String(Math.round(FPS * Number(time))).padStart(5, '0')}.png`);
  requireFile(file, `orvel-capture wrote no frame for ${time} s`);
  return decodePng(readFileSync(file));
}

// The page in frame mode at the last time, so that every scene has come;
// then each earlier frame drawn in that page in turn (orvel_frame_draw),
// as ?at= draws it, and the canvas read at once.
async function openLastFrame(page) {
  await page.goto(`${site.url}index.html?at=${TIMES.at(-1)}`);
  await waitForState(page, ['frame', 'error'], 60000);
  const state = await page.evaluate(() => document.documentElement.dataset.orvel);
  assert.equal(state, 'frame', `?at=${TIMES.at(-1)} gave "${state}"`);
}

async function webFrame(page, time) {
  const look = await page.evaluate((k) => ({
    drawn: Module._orvel_frame_draw(k),
    png: document.querySelector('canvas').toDataURL('image/png'),
  }), Math.round(FPS * Number(time)));
  assert.equal(look.drawn, 1, `the page drew no frame for ${time} s`);
  return decodePng(Buffer.from(look.png.slice(look.png.indexOf(',') + 1), 'base64'));
}

const percent = (share) => `${(100 * share).toFixed(3)} %`;

describe('every half second draws what orvel-capture draws', { concurrency: engines.length }, () => {
  for (const engine of engines) {
    describe(engine.name, () => {
      let browser;
      before(async () => {
        browser = await engine.launch();
      });
      after(async () => {
        if (browser) await browser.close();
      });

      test(`${TIMES[0]} to ${TIMES.at(-1)} s, ${TIMES.length} frames`, async () => {
        const started = Date.now();
        const page = await browser.newPage();
        await page.setViewport({ width: 800, height: 600 });
        const shares = [];
        try {
          await openLastFrame(page);
          for (const time of TIMES) {
            const web = await webFrame(page, time);
            shares.push({ time, share: differingShare(capturedFrame(time), web, LEVELS) });
          }
        } finally {
          await page.close();
        }
        const worst = [...shares].sort((a, b) => b.share - a.share).slice(0, 5);
        console.log(`${engine.name}: ${shares.length} frames in ${((Date.now() - started) / 1000).toFixed(0)} s; ` +
          `worst ${worst.map((s) => `${s.time} s ${percent(s.share)}`).join(', ')}`);
        const over = shares.filter((s) => s.share > MAX_SHARE).map((s) => `${s.time} s: ${percent(s.share)}`);
        assert.deepEqual(over, [],
          `frames where more than ${100 * MAX_SHARE} % of pixels differ by more than ${LEVELS} levels`);
      });
    });
  }
});
