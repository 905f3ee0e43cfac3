// The link as the page meets it: the rate at which the site's bytes arrive,
// measured over the last seconds of the downloads, and the wait that lets
// the show play on to its end at that rate, as a video player waits once
// before a file it plays while it downloads.

// The seconds over which the rate is measured: long enough to smooth the
// bursts in which a throttled link delivers, short enough to follow a change.
const WINDOW_SECONDS = 8;
// The link is taken as this much slower than measured, and the music's last
// byte as needed this many seconds before it is heard: a link that slows a
// little, or a piece decoded late, costs no second wait.
const SLOWER = 1.1;
const SPARE_SECONDS = 2;

const samples = [];   // [milliseconds, bytes], oldest first
let firstAt = null;

// count bytes arrived now (performance.now() unless told).
export function arrived(count, now = performance.now()) {
  if (firstAt === null) firstAt = now;
  samples.push([now, count]);
  while (samples.length && samples[0][0] < now - 1000 * WINDOW_SECONDS) samples.shift();
}

// Bytes a second over the window, or over the time since the first byte
// where that is shorter; 0 before any.
export function arrivalRate(now = performance.now()) {
  if (firstAt === null) return 0;
  const since = now - 1000 * WINDOW_SECONDS;
  const bytes = samples.reduce((sum, [at, count]) => (at >= since ? sum + count : sum), 0);
  const seconds = Math.max(0.5, Math.min(WINDOW_SECONDS, (now - firstAt) / 1000));
  return bytes / seconds;
}

// The seconds to wait at show second `at` before playing on, so that at
// `rate` bytes a second what is still to come arrives before the show needs
// it: the data's `data` bytes before the show passes `scenesUntil`, where
// its scenes end (at half the rate while the music shares the link), and
// the music's `music` bytes, of which each second of it takes `musicRate`
// (null: unknown, spread over the show), from second `musicUntil`, where
// what has come ends, to the show's `end`, its last byte after all the
// data's. 0 where nothing is to come or it comes in time; Infinity where
// nothing arrives.
export function playThroughWait({ at, end, rate, data, scenesUntil, music, musicRate, musicUntil }) {
  const heard = Math.max(0, end - musicUntil);
  const needed = musicRate ? Math.min(music, musicRate * heard) : music;
  if (data + needed <= 0) return 0;
  if (!(rate > 0)) return Infinity;
  const slow = rate / SLOWER;
  const dataRate = needed > 0 ? slow / 2 : slow;
  const scenes = data > 0 ? data / dataRate - (Math.min(scenesUntil, end) - at) : -Infinity;
  // Where the music's last byte is heard.
  const last = musicRate ? musicUntil + needed / musicRate : end;
  const lastMusic = needed > 0 ? (data + needed) / slow - (last - at) + SPARE_SECONDS : -Infinity;
  return Math.max(0, scenes, lastMusic);
}
