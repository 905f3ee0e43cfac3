// Play mode's scale rule (web/site/page/scale.js) fed the animation frames of
// emulated displays and machines: a frame that costs c ms is shown at the
// display's next refresh after it, so its gap is a whole number of
// refreshes. No browser, no clock.
// Run by scripts/test: node --test tests/web/scale.test.mjs
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { createScaleRule } from '../../web/site/page/scale.js';

// The show's 640x480 in 1440x1080 pixels (1920x1080 screen).
const LOWEST = 640 / 1440;

// A second of refreshes before the start, then seconds of play; cost(scale,
// t) is a frame's cost in ms at time t (s) of the play. Returns the scale
// at the end and each change as [t, scale].
function play({ hz, seconds, cost }) {
  const refresh = 1000 / hz;
  const rule = createScaleRule();
  let now = 0;
  for (let i = 0; i < hz; ++i) rule.frame((now += refresh), false, LOWEST);
  const begin = now;
  let scale = 1;
  const changes = [];
  while (now - begin < seconds * 1000) {
    now += refresh * Math.max(1, Math.ceil(cost(scale, (now - begin) / 1000) / refresh - 1e-9));
    const next = rule.frame(now, true, LOWEST);
    if (next !== scale) changes.push([Number(((now - begin) / 1000).toFixed(2)), Number(next.toFixed(4))]);
    scale = next;
  }
  return { scale: Number(scale.toFixed(4)), changes };
}

// The drawing buffer is resized at most once every 3 s.
function assertSpaced(changes) {
  for (let i = 1; i < changes.length; ++i)
    assert.ok(changes[i][0] - changes[i - 1][0] >= 3, `resizes at ${changes[i - 1][0]} s and ${changes[i][0]} s`);
}

// A frame that costs 2 ms and a ms for every 60 000 pixels of the
// 1440x1080 buffer at the scale: at 60 Hz two refreshes at 1 and 0.8, one
// at 0.64.
const pixelBound = (scale) => 2 + (1440 * 1080 * scale * scale) / 60000;

describe('the scale aims at 60 frames a second', () => {
  for (const hz of [60, 120, 144]) {
    test(`frames drawn in 12 ms keep scale 1 on a ${hz} Hz display`, () => {
      assert.deepEqual(play({ hz, seconds: 60, cost: () => 12 }), { scale: 1, changes: [] });
    });
  }

  test('on a 30 Hz display, frames at its rate keep scale 1', () => {
    assert.deepEqual(play({ hz: 30, seconds: 60, cost: () => 25 }), { scale: 1, changes: [] });
  });
});

describe('late frames lower the scale where fewer pixels help', () => {
  test('pixel-bound frames step down until they come on time, and a step up is retried only after 15 s', () => {
    const { scale, changes } = play({ hz: 60, seconds: 30, cost: pixelBound });
    assert.equal(scale, 0.64);
    assert.deepEqual(changes.map(([, s]) => s), [0.8, 0.64, 0.8, 0.64]);
    assert.ok(changes[2][0] - changes[1][0] >= 15, JSON.stringify(changes));
    assertSpaced(changes);
  });

  test('each step helping but none enough: down to the lowest scale, and no further', () => {
    const heavy = (scale) => 2 + (1440 * 1080 * scale * scale) / 10000;
    const { scale, changes } = play({ hz: 60, seconds: 30, cost: heavy });
    const lowest = Number(LOWEST.toFixed(4));
    assert.equal(scale, lowest);
    assert.deepEqual(changes.map(([, s]) => s), [0.8, 0.64, 0.512, lowest]);
    assertSpaced(changes);
  });

  test('frames slow for another reason keep scale 1: two steps down that did not help are taken back', () => {
    const { scale, changes } = play({ hz: 60, seconds: 60, cost: () => 29 });
    assert.equal(scale, 1);
    assert.deepEqual(changes.map(([, s]) => s), [0.8, 0.64, 1]);
    assertSpaced(changes);
  });

  test('after a heavy stretch, light frames bring the scale back to 1', () => {
    const { scale, changes } = play({ hz: 60, seconds: 80, cost: (s, t) => (t < 20 ? pixelBound(s) : 8) });
    assert.equal(scale, 1);
    assert.ok(changes.some(([t, s]) => t < 20 && s < 1), 'lowered in the heavy stretch');
    assert.ok(changes.filter(([t]) => t > 20).every(([, s], i, all) => i === 0 || s > all[i - 1][1]),
      `only rises after it: ${JSON.stringify(changes)}`);
    assertSpaced(changes);
  });
});

test('each play starts at scale 1: a new rule, which judges a whole second first', () => {
  const rule = createScaleRule();
  assert.equal(rule.frame(16, false, 0.5), 1);
  assert.equal(rule.frame(32, true, 0.5), 1);
  // "Play again": playing from the new rule's first frame, late frames
  // lower nothing before a second of them.
  const again = createScaleRule();
  for (const now of [60000, 60100, 60200, 60900]) assert.equal(again.frame(now, true, 0.5), 1, `at ${now} ms`);
  assert.equal(again.frame(61000, true, 0.5), 0.8, 'after a second of late frames');
  assert.equal(createScaleRule().frame(0, true, 1.2), 1.2, 'never below the lowest');
});
