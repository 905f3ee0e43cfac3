// Play mode's drawing buffer: as many pixels as the picture covers on the
// screen (its CSS size times the device pixel ratio, at most the program's
// maxSide wide), times the scale in use, which follows the frames' times
// (scale.js); every play starts at scale 1, and ?scale=1 keeps it there.
import { mode, params } from './mode.js';
import { createScaleRule } from './scale.js';
import { hasFailed, root } from './status.js';

const canvas = document.getElementById('canvas');
const pinned = params.get('scale') === '1';
// Once the program runs: the show's picture size, { width, height }, and
// maxSide, the widest drawing buffer, however large the screen.
let picture = null;
let scale = 1;
let rule = createScaleRule();

function fullSize() {
  const box = canvas.getBoundingClientRect();
  const ratio = devicePixelRatio || 1;
  let width = box.width * ratio;
  let height = box.height * ratio;
  if (width > picture.maxSide) {
    height *= picture.maxSide / width;
    width = picture.maxSide;
  }
  return { width: Math.max(1, Math.round(width)), height: Math.max(1, Math.round(height)) };
}

// A lowered scale never draws fewer pixels than the show's own picture.
function lowestScale(full) {
  return Math.min(1, Math.max(picture.width / full.width, picture.height / full.height));
}

export function fit() {
  if (mode !== 'play' || !picture) return;
  const full = fullSize();
  scale = Math.max(scale, lowestScale(full));
  const width = Math.round(full.width * scale);
  const height = Math.round(full.height * scale);
  root.dataset.scale = String(Math.round(scale * 100) / 100);
  if (canvas.width === width && canvas.height === height) return;
  canvas.width = width;
  canvas.height = height;
  Module._orvel_resize(width, height);
}

export function setPicture(width, height, maxSide) {
  picture = { width, height, maxSide };
  fit();
}

// "Play again": scale 1 and a new rule.
export function restartScale() {
  if (pinned) return;
  rule = createScaleRule();
  scale = 1;
  fit();
}

function watchFrames(now) {
  const next = rule.frame(now, root.dataset.orvel === 'playing', picture ? lowestScale(fullSize()) : 1);
  if (next !== scale) {
    scale = next;
    fit();
  }
  if (!hasFailed()) requestAnimationFrame(watchFrames);
}

addEventListener('resize', fit);
if (mode === 'play' && !pinned) requestAnimationFrame(watchFrames);
if (pinned) root.dataset.scale = '1';
