// The music's analysis in the page beside decoding it, in headless
// Chromium: a 3-minute MP3 made from the show's music played one and a
// half times over (as bench/beat_bench makes its track), decoded by the
// browser, then its beats found and the show fitted to them by the program
// (page/music_beats.js), in the same page, three times each; the median of
// each and their ratio. A benchmark, not a test: it asserts nothing.
//
//   node tests/web/beat_bench.mjs        (after scripts/web)
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launchBrowser, musicFile, openPage, requireFile, serveSite, siteDir, waitForState } from './browser.mjs';

const TRACK_SECONDS = 180;
const ROUNDS = 3;
const ffmpeg = '/usr/bin/ffmpeg';
requireFile(ffmpeg, 'install ffmpeg (scripts/deps does)');
const work = mkdtempSync(join(tmpdir(), 'orvel-beat-bench-'));
const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];
let browser;
let site;
try {
  const track = join(work, 'track.mp3');
  execFileSync(ffmpeg, ['-hide_banner', '-loglevel', 'error', '-stream_loop', '1', '-i', join(siteDir, musicFile()),
    '-t', String(TRACK_SECONDS), '-c:a', 'libmp3lame', '-b:a', '192k', track]);
  site = await serveSite({ files: { 'track.mp3': readFileSync(track) } });
  browser = await launchBrowser({ protocolTimeout: 600000 });
  const { page } = await openPage(browser, site.url);
  await waitForState(page, 'waiting', 60000);
  const rounds = await page.evaluate(async (rounds) => {
    const { fitMusic } = await import('./page/music_beats.js');
    const bytes = await (await fetch('track.mp3')).arrayBuffer();
    const times = [];
    for (let i = 0; i < rounds; ++i) {
      const begin = performance.now();
      const buffer = await new OfflineAudioContext(2, 1, 44100).decodeAudioData(bytes.slice(0));
      const decoded = performance.now();
      const fitted = fitMusic(buffer, 'track.mp3');
      times.push({ decode: decoded - begin, analysis: performance.now() - decoded, seconds: buffer.duration,
        beats: fitted.beats.length, ok: fitted.ok });
    }
    return times;
  }, ROUNDS);
  for (const r of rounds) {
    console.log(`${r.seconds.toFixed(1)} s of music: decoded in ${(r.decode / 1000).toFixed(2)} s, ` +
      `analysed and fitted in ${(r.analysis / 1000).toFixed(2)} s (${r.beats} beats, ${r.ok ? 'fitted' : 'refused'})`);
  }
  const decode = median(rounds.map((r) => r.decode)) / 1000;
  const analysis = median(rounds.map((r) => r.analysis)) / 1000;
  console.log(`median: decode ${decode.toFixed(2)} s, analysis ${analysis.toFixed(2)} s, ` +
    `analysis / decode ${(analysis / decode).toFixed(2)}`);
} finally {
  if (browser) await browser.close();
  if (site) await site.close();
  rmSync(work, { recursive: true, force: true });
}
