// Full screen and the phone's orientation: the full-screen button, the
// picture fitted again as the screen changes, and a phone held upright (the
// 4:3 picture in a third of its height) told to turn.
import { fit } from './fit.js';
import { touch } from './mode.js';
import { byId, root, say } from './status.js';

// A phone in full screen turns the picture sideways, where the browser
// lets a page lock the orientation (most refuse outside full screen, some
// always: the picture then follows the phone).
function lockLandscape() {
  if (screen.orientation && screen.orientation.lock) screen.orientation.lock('landscape').catch(() => {});
}

byId('fullscreen').addEventListener('click', () => {
  if (document.fullscreenElement) {
    document.exitFullscreen().catch(() => {});
  } else {
    root.requestFullscreen().then(lockLandscape, (e) => say('No full screen here: ' + e.message));
  }
});

document.addEventListener('fullscreenchange', () => {
  byId('fullscreen').textContent = document.fullscreenElement ? 'Leave full screen' : 'Full screen';
  // A touch screen has no ESC to end the show with.
  if (!document.fullscreenElement && root.dataset.orvel === 'playing' && !touch) {
    say('Full screen left: ESC now ends the show');
  }
  fit();
});

const upright = matchMedia('(orientation: portrait)');
function showUpright() { root.dataset.upright = String(touch && upright.matches); }
upright.addEventListener('change', showUpright);
showUpright();
