// Where the ordinary show breaks the flash rule, on the strip (a layer of
// it, over the waveform): a red band along its foot over the stretches that
// the calm show changes (shell/calm.h), which the program hands over with
// every timing, so that the band follows the segments as the author
// retimes them.
import { addLayer, pixelRatio } from './strip.js';
import { xOf } from './view.js';

let stretches = [];    // begin and end pairs, in seconds

const drawBreaks = addLayer(15, (g, height) => {
  const band = Math.round(4 * pixelRatio());
  g.fillStyle = '#e03c3c';
  for (let i = 0; i + 1 < stretches.length; i += 2) {
    const x = Math.round(xOf(stretches[i]));
    g.fillRect(x, height - band, Math.max(1, Math.round(xOf(stretches[i + 1])) - x), band);
  }
});

export function setRuleBreaks(pairs) {
  stretches = pairs;
  drawBreaks();
}
