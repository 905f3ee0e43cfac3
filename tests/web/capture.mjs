// orvel-capture's pictures, for the page's tests to hold the browser's
// against.
import { execFile } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { promisify } from 'node:util';
import { repo, requireFile } from './browser.mjs';
import { decodePng } from './png.mjs';
import { showSchedule } from './schedule.mjs';

const run = promisify(execFile);
const capture = join(repo, 'build', 'orvel-capture');
const showDir = join(repo, 'build', 'show');

// The picture of frame round(frameFps T) of a run at the show's frame
// grid, as ?at=T and author mode draw it, played to the timing file given
// (else the built-in timing), of the calm show with calm (as ?at=T&calm
// draws it); its PNG is left in a folder of work.
export async function nativeFrame(time, work, timing = null, calm = false) {
  requireFile(capture, 'build the native build/ (scripts/test does)');
  requireFile(join(showDir, 'demodata'), 'build the show content in build/ (scripts/web does)');
  const { frameFps, pictureWidth, pictureHeight } = showSchedule();
  const at = (Math.round(frameFps * Number(time)) / frameFps).toFixed(9);
  const dir = join(work, `native-${time}${timing ? '-retimed' : ''}${calm ? '-calm' : ''}`);
  await run(capture, [...(calm ? ['--calm'] : []), '--fps', String(frameFps), '--size',
    `${pictureWidth}x${pictureHeight}`, '--from', at, '--to', at, ...(timing ? ['--timing', timing] : []),
    '--png', dir], { cwd: showDir, maxBuffer: 64 << 20 });
  return decodePng(readFileSync(join(dir, 'frame-00000.png')));
}
