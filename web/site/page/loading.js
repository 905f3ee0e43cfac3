// The site's files, fetched in the order the show needs them: the timing
// file and orvel-1.data (the program, and the scenes of the show's first
// segment) at once; once the program runs, the music from the second the
// show starts at; orvel-2.data (the other scenes, in the order the show
// needs them) when the mode asks for it (fetchRest). Each pack goes into
// the program's files as it arrives, and the program loads the scenes it
// brings. A file that is missing or damaged is said in words, whenever it
// is fetched.
import { arrived } from './arrival.js';
import { readDataFile } from './data_file.js';
import { showLoading, showProgress } from './first_screen.js';
import { params } from './mode.js';
import { DecodeError, streamMusic } from './music_stream.js';
import { openSiteFile } from './site_file.js';
import { addPiece, musicComplete, setMusicLength, silent } from './sound.js';
import { fail, hasFailed, root } from './status.js';

// The data files as pack-site names them, which the build writes into
// index.html's head: the one it preloads, and the rest.
const START_FILE = document.querySelector('link[rel=preload][as=fetch]').getAttribute('href');
const REST_META = document.querySelector('meta[name=orvel-rest-data]');
const REST_FILE = REST_META.content;
// Its size, counted as to come until its own header says it.
const REST_BYTES = Number(REST_META.dataset.bytes) || 0;
const TIMING_FILE = 'timing.txt';
// ?timing= names a file of the site: a path of plain names.
const SITE_PATH = /^(?!\.{1,2}(\/|$))(?!.*\/\.{1,2}(\/|$))[\w ()+,.-]+(\/[\w ()+,.-]+)*$/;

let running = false;    // the program runs: packs go to its files
const early = [];       // the packs that came before it ran
const listeners = [];
let scenesUntil = 0;
let complete = false;
let startDone = false;
let restAsked = false;
let restFetched = false;

// The bytes received and expected, by file: `start` what the start needs,
// `all` everything fetched.
const counts = { start: new Map(), all: new Map() };
let shownPercent = 0;
// The music's length in seconds, once known.
let musicSeconds = null;

function count(which, file, received, total) {
  if (which === 'all' && received > 0) arrived(received);
  const map = counts[which];
  const now = map.get(file) || { received: 0, total: 0 };
  map.set(file, { received: now.received + received, total: total ?? now.total });
}

const percentOf = (map) => {
  let received = 0;
  let total = 0;
  for (const c of map.values()) {
    received += Math.min(c.received, c.total);
    total += c.total;
  }
  return total ? Math.floor((100 * received) / total) : 0;
};

function showStartProgress() {
  if (root.dataset.orvel !== 'loading') return;
  shownPercent = Math.max(shownPercent, percentOf(counts.start));
  showProgress(shownPercent);
}

// The share of all the files fetched so far that has arrived, in percent.
export const percentArrived = () => percentOf(counts.all);

// The bytes still to come: the data files' and the music's, with the
// music's bytes a second where its length is known (else null).
export function bytesToCome() {
  const left = (c) => (c ? Math.max(0, c.total - c.received) : 0);
  let data = counts.all.has(REST_FILE) ? 0 : REST_BYTES;
  for (const [file, c] of counts.all) if (file !== 'music') data += left(c);
  const music = counts.all.get('music');
  return { data, music: left(music), musicRate: music && musicSeconds ? music.total / musicSeconds : null };
}

// listener({ scenesUntil, complete }) after each pack: the demo time before
// which every frame has its scenes, and whether all data has arrived.
export function onData(listener) { listeners.push(listener); }
export const dataState = () => ({ scenesUntil, complete });

function tell() {
  for (const listener of listeners) listener(dataState());
}

function writeFiles(files) {
  const { FS } = Module;
  for (const { name, bytes } of files) {
    const slash = name.lastIndexOf('/');
    if (slash > 0) FS.mkdirTree(name.slice(0, slash));
    FS.writeFile(name, bytes);
  }
}

function takePack(files) {
  if (!running) {
    early.push(files);
    return;
  }
  writeFiles(files);
  scenesUntil = Module._orvel_data_arrived(0);
  tell();
}

function allArrived() {
  complete = true;
  scenesUntil = Module._orvel_data_arrived(1);
  tell();
}

// The timing file: ?timing=NAME, else timing.txt where the site has one
// (null: the built-in timing); { name, bytes }.
async function fetchTiming() {
  const named = params.get('timing');
  if (named !== null && !SITE_PATH.test(named)) throw new Error(`timing=${named}: not the name of a file of this site`);
  try {
    const response = await openSiteFile(named ?? TIMING_FILE);
    return { name: named ?? TIMING_FILE, bytes: new Uint8Array(await response.arrayBuffer()) };
  } catch (e) {
    if (named === null && e.status === 404) return null;
    throw e;
  }
}

// The program's pack: its script, run with the timing file in its files
// and on its command line (before the mode's arguments).
async function runProgram(files, timingFetched, modeArguments) {
  const [js, wasm] = ['.js', '.wasm'].map((ending) => files.find((f) => f.name.endsWith(ending)));
  if (!js || !wasm) throw new Error(`${START_FILE} is damaged: no program in it`);
  const timing = await timingFetched;
  Module.arguments = [...(timing ? ['--timing', timing.name] : []), ...modeArguments];
  Module.preRun = [() => { if (timing) writeFiles([timing]); }];
  Module.wasmBinary = wasm.bytes;
  const script = document.createElement('script');
  script.src = URL.createObjectURL(new Blob([js.bytes], { type: 'text/javascript' }));
  script.onerror = () => fail(`${js.name} could not be run`);
  document.body.appendChild(script);
}

// Fetches the timing file and orvel-1.data, and runs the program with the
// mode's arguments.
export async function load(modeArguments) {
  showLoading();
  const timing = fetchTiming();
  timing.catch(() => {});
  let program = null;
  try {
    await readDataFile(START_FILE, {
      bytes(received, total) {
        count('start', START_FILE, received, total);
        count('all', START_FILE, received, total);
        showStartProgress();
      },
      pack(files) {
        if (program) {
          takePack(files);
        } else {
          program = runProgram(files, timing, modeArguments);
          program.catch(() => {});
        }
      },
    });
    await program;
    await timing;
  } catch (e) {
    fail(e.message);
    return;
  }
  startDone = true;
  if (restAsked) fetchRest();
}

// The program runs (its main has started the show): the packs that came
// before go to it.
export function programRuns() {
  running = true;
  for (const files of early.splice(0)) takePack(files);
  scenesUntil = Module._orvel_data_arrived(0);
  tell();
}

// orvel-2.data, once orvel-1.data is whole; all data has arrived after it.
export async function fetchRest() {
  restAsked = true;
  if (!startDone || restFetched || hasFailed()) return;
  restFetched = true;
  try {
    await readDataFile(REST_FILE, {
      bytes(received, total) {
        count('all', REST_FILE, received, total);
        // The start waits for it where its first frame needs later scenes.
        if (root.dataset.orvel === 'loading') count('start', REST_FILE, received, total);
      },
      pack: takePack,
    });
  } catch (e) {
    fail(e.message);
    return;
  }
  allArrived();
}

// The music `name` from second `from` on, its pieces to sound.js as they
// are decoded; loop(length) says whether its beginning plays again after
// its end; all but its first seconds wait for `showStarted`. A music that
// cannot be decoded leaves the show silent; one that cannot be loaded is said.
export async function fetchMusic(name, from, loop, showStarted) {
  try {
    await streamMusic(name, from, loop, showStarted, {
      piece: addPiece,
      length(seconds) {
        musicSeconds = seconds;
        setMusicLength(seconds);
      },
      size(bytes) { count('all', 'music', 0, bytes); },
      bytes(received) {
        count('start', 'music', received);
        count('all', 'music', received);
        showStartProgress();
      },
      needs(bytes) { count('start', 'music', 0, bytes); },
    });
  } catch (e) {
    if (e instanceof DecodeError) silent(e.message); else fail(e.message);
  }
  musicComplete();
}
