// A picture of a show's screen against orvel-capture's frames around the
// moment it was taken: the closest frame must match it, pixels compared as
// png.mjs compares them. Prints the closest frame, its time and its share.
//
//   node screen_match.mjs SCREEN.png FRAMES_DIR FIRST_TIME FPS
import { readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { decodePng, differingShare, MATCH_LEVELS } from './web/png.mjs';

// A screen may differ in more pixels than two pictures of one moment
// (png.mjs's MATCH_SHARE): its moment falls between two captured frames,
// and what the frames before it left behind came at the live rate, not the
// capture's. Measured at 800x600 on Mesa: the right moment differs by 0.3 to
// 2.1 % of pixels, the same picture moved by a pixel by about 10 %, a frame
// a 60th of a second away by about 50 %.
const SCREEN_SHARE = 0.04;

const [screenPath, framesDir, firstTime, fps] = process.argv.slice(2);
const screen = decodePng(readFileSync(screenPath));
const frames = readdirSync(framesDir).filter((name) => /^frame-\d+\.png$/.test(name)).sort();
if (frames.length === 0) throw new Error(`no frames in ${framesDir}`);

let closest = { index: -1, share: Infinity };
frames.forEach((name, index) => {
  const share = differingShare(screen, decodePng(readFileSync(join(framesDir, name))), MATCH_LEVELS);
  if (share < closest.share) closest = { index, share };
});
// orvel-capture's first frame is the first on the fps grid at or after
// FIRST_TIME (shell/frame_schedule.cpp), within a millionth of a frame.
const time = (Math.ceil(Number(firstTime) * Number(fps) - 1e-6) + closest.index) / Number(fps);
console.log(`closest of ${frames.length} frames: ${time.toFixed(4)} s, ${(100 * closest.share).toFixed(3)} % of pixels ` +
  `differ by more than ${MATCH_LEVELS} levels (at most ${100 * SCREEN_SHARE} %)`);
process.exit(closest.share <= SCREEN_SHARE ? 0 : 1);
