// The show's schedule and picture size for the page's tests and benchmark,
// as build/show-schedule writes them from shell/schedule.h and
// shell/framing.h: a line each, a name and its values.
import { execFileSync } from 'node:child_process';
import { join } from 'node:path';
import { repo, requireFile } from './browser.mjs';

const tool = join(repo, 'build', 'show-schedule');

// The built-in timing as a timing file holds it (show-schedule --timing).
export function builtInTimingText() {
  requireFile(tool, 'build the native build/ (scripts/test does)');
  return execFileSync(tool, ['--timing'], { encoding: 'utf8' });
}

// The built-in timing with an opening that lasts until `opening` seconds
// and everything after it at `pace` times its speed: a test that must catch
// the opening on screen catches it on a machine that draws slowly too, and
// the whole show ends soon after the opening.
export function longOpeningTiming(opening, pace = 8) {
  const lines = builtInTimingText().split('\n');
  const start = Number(/^segment 2: (\S+)$/m.exec(lines.join('\n'))[1]);
  const moved = (t) => String(Number((opening + (Number(t) - start) / pace).toFixed(4)));
  return lines.map((line) => {
    const named = /^(segment \d+|end|flash \d+|stripes|waves|pulse): (.+)$/.exec(line);
    return named ? `${named[1]}: ${named[2].split(' ').map(moved).join(' ')}` : line;
  }).join('\n');
}

// Times stay text as the tool writes them ('7.0'), for the pages' addresses
// and the tests' names; sizes and bounds are numbers.
export function showSchedule() {
  requireFile(tool, 'build the native build/ (scripts/test does)');
  const lines = new Map();
  for (const line of execFileSync(tool, { encoding: 'utf8' }).split('\n')) {
    const [name, ...values] = line.split(' ');
    if (name) lines.set(name, values);
  }
  const values = (name, count) => {
    const found = lines.get(name) ?? [];
    if (found.length === 0 || (count && found.length !== count))
      throw new Error(`${tool} wrote no "${name}" line${count ? ` of ${count} values` : ''}`);
    return found;
  };
  const [pictureWidth, pictureHeight] = values('picture-size', 2).map(Number);
  return {
    pictureWidth,
    pictureHeight,
    // The widest drawing buffer the page makes, however large the screen.
    canvasMaxSide: Number(values('canvas-max-side', 1)[0]),
    showEnd: values('show-end', 1)[0],
    // The page's ?at=T draws frame round(frameFps T) of orvel-capture --fps
    // frameFps, and author mode steps on the same frames.
    frameFps: Number(values('frame-grid-fps', 1)[0]),
    // How far apart sound and picture may be, in seconds.
    syncTolerance: Number(values('sync-tolerance', 1)[0]),
    // The most marks a run keeps, and the largest sync.txt the page opens.
    syncMarksMax: Number(values('sync-marks-max', 1)[0]),
    syncFileMaxBytes: Number(values('sync-file-max-bytes', 1)[0]),
    // The largest timing file a program reads.
    timingFileMaxBytes: Number(values('timing-file-max-bytes', 1)[0]),
    // Segment s runs between segmentBounds[s - 1] and segmentBounds[s].
    segmentBounds: values('segment-bounds').map(Number),
    // One a segment, in order.
    segmentMoments: values('segment-moments'),
    // Segment 4's start, where its stripes begin, where its waves begin, its end.
    segment4Styles: values('segment-4-styles', 4).map(Number),
    outlineMoments: values('outline-moments'),
  };
}
