// The page around the show: the program (orvel.js, from web/main.cpp) set
// up with the arguments of the page's mode, and the calls it makes to the
// page, the methods of `page`, handed to it as Module.orvelPage. Each of
// the page's jobs is a module of its own: the screen before the show
// (first_screen.js), the calm show's choice, loading, sound, play mode, the
// menu, full screen, the media controls, the drawing buffer's fit and
// scale; author mode is ../author/.
import { calmChosen, calmShown } from './calm.js';
import { offerStart, waitForStart } from './first_screen.js';
import { setPicture } from './fit.js';
import { load } from './loading.js';
import { describeMedia } from './media.js';
import { addMenuEntry, changeMenuEntry } from './menu.js';
import { mode, params } from './mode.js';
import { ended, startPlay } from './play.js';
import './screen.js';
import { decodeMusic, decodedMusic } from './sound.js';
import { byId, fail, root, say, setState } from './status.js';

// Author mode's modules load in author mode only.
const author = mode === 'edit' ? await import('../author/main.js') : null;
offerStart(author ? author.start : startPlay);

const page = {
  addMenuEntry,
  changeMenuEntry,
  calm: calmShown,

  loaded(bytes, width, height, maxSide, maxSyncFileBytes, musicName, version) {
    setPicture(width, height, maxSide);
    root.dataset.version = version;
    describeMedia(musicName);
    decodeMusic(bytes, () => {
      byId('fullscreen').hidden = Boolean(author);
      if (author) author.ready(maxSyncFileBytes, musicName);
      waitForStart();
    });
  },

  playing() {
    setState('playing');
    if (!decodedMusic()) root.dataset.audio = 'silent';
  },

  playedFrame(t, segment) {
    root.dataset.time = t.toFixed(3);
    root.dataset.segment = String(segment);
  },

  ended,

  frameDone() { setState('frame'); },

  // Author mode.
  authorFrame(t, playing, segment) { author.frame(t, playing, segment); },
  marks(list, kept) { author.marks(list, kept); },
  say,
  handles(names, kinds, fps) { author.handles(names, kinds, fps); },
  timing(bounds, handleTimes, kept) { author.timing(bounds, handleTimes, kept); },
  ruleBreaks(stretches) { author.ruleBreaks(stretches); },
  playMusic: (name) => author.playMusic(name),
  save(name, text) { author.save(name, text); },

  benchDone(report) {
    byId('bench').textContent = report;
    byId('result').hidden = false;
    root.dataset.bench = 'done';
  },

  fail,
};

// The calm show: in play and author modes the choice preselected (the first
// screen may change it), in frame and bench modes ?calm alone.
const calm = (mode === 'play' || mode === 'edit' ? calmChosen() : params.has('calm')) ? ['--calm'] : [];

window.Module = {
  canvas: byId('canvas'),
  arguments: (mode === 'frame' ? ['--at', params.get('at')]
    : mode === 'play' && params.has('t') ? ['--from', params.get('t')]
    : mode === 'bench' ? ['--bench', params.get('bench'), params.get('size') || '']
      : mode === 'edit' ? ['--edit'] : []).concat(calm),
  // The program's notices (the scene reader's lines, timings) are for
  // whoever looks for them; its complaints are warnings.
  print: (text) => console.debug(text),
  printErr: (text) => console.warn(text),
  setStatus: () => {},
  onAbort: (what) => fail('The show stopped: ' + what),
  orvelPage: page,
};
setState('loading');
load();
