// Holds the moment of the show that a picture of its screen shows against
// the moment it was taken, by the show's own account of what it showed when
// (ORVEL_FRAME_LOG: a line for each frame shown, its time by the system's
// clock, the demo time it was drawn for and the show's clock then).
//
//   node screen_moment.mjs FRAME_LOG LAUNCHED FULL_SCREEN BEFORE AFTER PICTURE_TIME
//
// LAUNCHED is when the test started the program, FULL_SCREEN when it saw
// its window cover the screen, BEFORE and AFTER the grab's start and end,
// all by `date +%s.%N`; PICTURE_TIME is the demo time of the captured frame
// that the picture matched. Two checks, each failing a show a second out of
// step:
// - the show's clock (its demo time 0, by the system's clock) started after
//   the program did and before its window went full screen: the clock
//   starts with the music, once the scenes are loaded, just before the
//   window is asked to cover the screen;
// - the picture is a frame the show says was on the screen during the grab
//   (the last one shown before it began, or one shown while it ran), within
//   MATCH_SLACK of its demo time.
import { readFileSync } from 'node:fs';

// The screen match finds the closest frame at 600 frames a second; a frame
// spins by the angles the frame before it stored, so a live frame drawn at
// one rate matches a captured one up to a 20th of a second earlier, or,
// where nothing spins, a 60th either side (tests/e2e.sh). One frame of the
// fine search (a 600th) more on either side.
const MATCH_SLACK = { before: 1 / 20 + 1 / 600, after: 1 / 60 + 1 / 600 };
// date's clock and the show's are read a few instructions apart.
const CLOCK_SLACK = 0.005;

const [logPath, launched, fullScreen, before, after, pictureTime] = process.argv.slice(2);
const frames = readFileSync(logPath, 'utf8').trim().split('\n').filter(Boolean).map((line) => {
  const [wall, drawnAt, clockAt] = line.split(' ').map(Number);
  return { wall, drawnAt, clockAt };
});
if (frames.length === 0) throw new Error(`${logPath} holds no frame`);
const fail = (message) => { console.log(message); process.exit(1); };

// Demo time 0 by the system's clock, from every frame shown once the clock
// ran (it stays at 0 until the music is heard); they agree within the time
// between the two clocks' readings.
const running = frames.filter((f) => f.clockAt > 0);
if (running.length === 0) fail('the show\'s clock never ran');
const starts = running.map((f) => f.wall - f.clockAt).sort((a, b) => a - b);
const clockStart = starts[Math.floor(starts.length / 2)];
if (starts[starts.length - 1] - starts[0] > 0.05) {
  fail(`the show's clock is not one clock: its start moves by ${(starts[starts.length - 1] - starts[0]).toFixed(3)} s`);
}
if (clockStart < Number(launched) - CLOCK_SLACK || clockStart > Number(fullScreen) + CLOCK_SLACK) {
  fail(`the show's clock started ${(clockStart - Number(launched)).toFixed(3)} s after the program, ` +
    `not between its start and its window covering the screen ${(Number(fullScreen) - Number(launched)).toFixed(3)} s ` +
    'after it');
}

// The frames on the screen while it was grabbed.
const shownBefore = frames.filter((f) => f.wall <= Number(before));
const onScreen = frames.filter((f) => f.wall > Number(before) && f.wall < Number(after));
if (shownBefore.length > 0) onScreen.unshift(shownBefore[shownBefore.length - 1]);
if (onScreen.length === 0) fail('no frame was shown before the grab ended');
const picture = Number(pictureTime);
const closest = onScreen.reduce((a, b) => (Math.abs(a.drawnAt - picture) <= Math.abs(b.drawnAt - picture) ? a : b));
const taken = ((Number(before) + Number(after)) / 2 - clockStart).toFixed(3);
console.log(`taken at ${taken} s of the show (a ${(Number(after) - Number(before)).toFixed(3)} s grab), ` +
  `the picture of ${picture.toFixed(4)} s; ${onScreen.length} frames on the screen meanwhile, the closest drawn ` +
  `for ${closest.drawnAt.toFixed(4)} s`);
const offset = picture - closest.drawnAt;
if (offset < -MATCH_SLACK.before || offset > MATCH_SLACK.after) {
  fail(`the picture is ${offset.toFixed(4)} s from every frame the show had on the screen ` +
    `(from ${onScreen[0].drawnAt.toFixed(4)} s to ${onScreen[onScreen.length - 1].drawnAt.toFixed(4)} s)`);
}
