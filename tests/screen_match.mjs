// A picture of a show's screen against orvel-capture's frames around the
// moment it was taken: the closest frame must match it by the measure of
// png.mjs. Prints the closest frame, its time and its share.
//
//   node screen_match.mjs SCREEN.png FRAMES_DIR FIRST_TIME FPS
import { readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { decodePng, differingShare, MATCH_LEVELS, MATCH_SHARE } from './web/png.mjs';

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
  `differ by more than ${MATCH_LEVELS} levels (at most ${100 * MATCH_SHARE} %)`);
process.exit(closest.share <= MATCH_SHARE ? 0 : 1);
