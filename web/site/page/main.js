// The page around the show: the program (web/main.cpp, loaded from the
// site's data) set up with the arguments of the page's mode, and the calls
// it makes to the page, the methods of `page`, handed to it as
// Module.orvelPage. Each of the page's jobs is a module of its own: the
// screen before the show (first_screen.js), the calm show's choice, the
// viewer's own music (own_music.js), loading (loading.js, with the data
// files, data_file.js, and the music in pieces, music_stream.js), sound,
// play mode, the menu, full screen, the media controls, the drawing
// buffer's fit and scale; author mode is ../author/. Each mode starts once what it needs has arrived: play mode
// the scenes up to its first frame and the music's beginning, the rest
// arriving while it plays; author mode and the benchmark everything; frame
// mode the scenes up to its frame.
import { calmChosen, calmShown } from './calm.js';
import { offerStart, waitForStart } from './first_screen.js';
import { setPicture } from './fit.js';
import { dataState, fetchMusic, fetchRest, load, onData, programRuns } from './loading.js';
import { describeMedia } from './media.js';
import { addMenuEntry, changeMenuEntry } from './menu.js';
import { mode, params } from './mode.js';
import { programReady } from './own_music.js';
import { ended, limitChanged, stalled, startPlay, watchLink } from './play.js';
import './screen.js';
import { closeAudio, decodedMusic, musicReadyUntil, onMusic, setShowEnd } from './sound.js';
import { byId, fail, hasFailed, onFailure, root, say, setState } from './status.js';

// Author mode's modules load in author mode only.
const author = mode === 'edit' ? await import('../author/main.js') : null;
offerStart(author ? author.start : startPlay);

let running = false;
let offered = false;
// The largest sync.txt and timing file the program reads: { sync, timing }.
let maxFileBytes = null;
let musicName = '';
// Play mode: all but the music's first seconds wait until the start is offered.
let offer;
const startOffered = new Promise((resolve) => { offer = resolve; });

// What the mode has, after each piece of data or music: the rest of the
// data fetched when the mode wants it, and the start offered once the
// mode has what it needs.
function arrived() {
  if (!running || hasFailed()) return;
  const { scenesUntil, complete } = dataState();
  const needed = Module._orvel_needed_until();
  const from = mode === 'play' ? Module._orvel_play_from() : 0;
  const scenesReady = scenesUntil > needed;
  if (mode === 'play') limitChanged(scenesUntil);
  if (!offered && mode === 'play' && scenesReady && musicReadyUntil(from) > from) {
    offered = true;
    offer();
    watchLink();
    byId('fullscreen').hidden = false;
    waitForStart();
  } else if (!offered && author && complete && scenesReady && musicReadyUntil(0) === Infinity) {
    offered = true;
    byId('fullscreen').hidden = true;
    author.ready(maxFileBytes, musicName);
    waitForStart();
  }
  // The other scenes where the start needs them; play mode's after the
  // start has what it needs, so as not to share the link with it.
  if (!scenesReady || (mode === 'play' && offered)) fetchRest();
}
onData(arrived);
onMusic(arrived);

onFailure(() => {
  closeAudio();
  if (running) Module._orvel_stop();
});

const page = {
  addMenuEntry,
  changeMenuEntry,
  calm: calmShown,

  ready(width, height, maxSide, fileLimits, music, version, showEnd) {
    running = true;
    maxFileBytes = fileLimits;
    musicName = music;
    setPicture(width, height, maxSide);
    root.dataset.version = version;
    describeMedia(musicName);
    setShowEnd(showEnd);
    if (mode === 'play' || author) {
      const from = mode === 'play' ? Module._orvel_play_from() : 0;
      if (author) author.musicArriving();
      fetchMusic(musicName, from, (length) => mode === 'play' && length < showEnd, author ? null : startOffered)
        .then(arrived);
    }
    programRuns();
    programReady();
  },

  playing() {
    setState('playing');
    if (!decodedMusic()) root.dataset.audio = 'silent';
  },

  playedFrame(t, segment) {
    root.dataset.time = t.toFixed(3);
    root.dataset.segment = String(segment);
  },

  stalled,

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
  // The program's notices (the scene reader's lines, timings) are for
  // whoever looks for them; its complaints are warnings.
  print: (text) => console.debug(text),
  printErr: (text) => console.warn(text),
  setStatus: () => {},
  onAbort: (what) => fail('The show stopped: ' + what),
  orvelPage: page,
};
setState('loading');
load((mode === 'frame' ? ['--at', params.get('at')]
  : mode === 'play' && params.has('t') ? ['--from', params.get('t')]
    : mode === 'bench' ? ['--bench', params.get('bench'), params.get('size') || '']
      : mode === 'edit' ? ['--edit'] : []).concat(calm));
