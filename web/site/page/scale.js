// The scale of play mode's drawing buffer, decided from the times of
// animation frames alone, so that a test can feed it the frames of any
// display and any machine: fit.js imports it, and so do node's tests.

// The show is made for 60 frames a second: a faster display (120, 144 Hz)
// asks no more of it, a slower one sets its own pace.
const AIM_MS = 1000 / 60;
// Frames are judged a second at a time, by the median gap.
const WINDOW_MS = 1000;
// Late: the median gap above this share of the aim (at 60 Hz a frame that
// misses one display refresh takes twice the aim).
const LATE = 1.25;
// A lowered scale rises again after frames on time for this long.
const RISE_AFTER_MS = 4000;
// The drawing buffer is resized at most this often.
const HOLD_MS = 3000;
// A step down draws this share of the width and height.
const STEP = 0.8;
// Steps down that leave frames less than this much faster than before the
// first of them are taken back, and no step down is tried for NO_HELP_MS:
// the frames are slow for another reason than the pixels, and a smaller
// picture only blurs them. Two steps are tried before that is decided, as
// a display's refreshes can hide what one step gained.
const HELPS = 0.9;
const NO_HELP_MS = 60000;
// A scale found late is risen to again only after this long (the show
// may have moved to a lighter part by then).
const RETRY_MS = 15000;

// A rule for one play, starting at scale 1. frame(now, playing, lowest)
// takes each animation frame's time stamp (ms), whether the show is
// playing (frames before it measure the display), and the lowest scale
// allowed; it returns the scale to draw at.
export function createScaleRule() {
  // The scale is STEP to the power of level, never below the lowest.
  let level = 0;
  let lowest = 0;
  let displayMs = Infinity;   // the shortest gap seen while nothing is drawn
  let last = 0;
  let gaps = [];
  let windowStart = 0;
  let changedAt = -Infinity;
  let onTimeSince = null;
  // The median gap last measured at each level, and when: level -> { gap, at }.
  const measured = new Map();
  let noHelpUntil = -Infinity;
  // The level the steps down since frames were last on time began from.
  let descentFrom = null;

  const scale = () => Math.max(lowest, STEP ** level);
  const aim = () => Math.max(AIM_MS, Math.min(displayMs, 1000 / 30));
  const recent = (at, now) => {
    const m = measured.get(at);
    return m !== undefined && now - m.at < RETRY_MS ? m : null;
  };

  function change(to, now) {
    level = to;
    changedAt = now;
    onTimeSince = null;
  }

  function judge(gap, now) {
    measured.set(level, { gap, at: now });
    const late = gap > aim() * LATE;
    if (late) {
      onTimeSince = null;
    } else {
      if (onTimeSince === null) onTimeSince = now - WINDOW_MS;
      descentFrom = null;
    }
    if (now - changedAt < HOLD_MS) return;
    const canLower = STEP ** level > lowest && now >= noHelpUntil;
    const before = descentFrom === null ? null : recent(descentFrom, now);
    if (late && before && (level - descentFrom >= 2 || !canLower) && gap > before.gap * HELPS) {
      noHelpUntil = now + NO_HELP_MS;
      change(descentFrom, now);
      descentFrom = null;
    } else if (late) {
      if (!canLower) return;
      if (descentFrom === null) descentFrom = level;
      change(level + 1, now);
    } else if (level > 0 && now - onTimeSince >= RISE_AFTER_MS) {
      const above = recent(level - 1, now);
      if (!above || above.gap <= aim() * LATE) change(level - 1, now);
    }
  }

  return {
    frame(now, playing, lowestScale) {
      lowest = lowestScale;
      const gap = last ? now - last : 0;
      // A play again starts playing at the new rule's first frame: its
      // first second is judged whole too.
      if (!last) windowStart = now;
      last = now;
      if (!playing) {
        if (gap > 2) displayMs = Math.min(displayMs, gap);
        windowStart = now;
        gaps = [];
      } else if (gap > 0) {
        gaps.push(gap);
        if (now - windowStart >= WINDOW_MS) {
          const sorted = gaps.sort((a, b) => a - b);
          gaps = [];
          windowStart = now;
          judge(sorted[sorted.length >> 1], now);
        }
      }
      return scale();
    },
  };
}
