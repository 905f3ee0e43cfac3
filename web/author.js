// The page's author mode (?edit): the show paused, sought and stepped with
// the music in step, and a strip under the picture with the music's
// waveform, the segments, the schedule's moments, the sync marks and the
// playhead. page.js makes it with createAuthorMode once the program runs;
// the program (web/author_mode.cpp) keeps the frames and the marks, reads
// the files opened, keeps the steps to undo and says what it refused.
'use strict';

window.createAuthorMode = function ({ root, byId, audio, music, setState, sound, say, limits }) {
  const strip = byId('strip');
  const context = strip.getContext('2d');
  // The browser keeps the marks here, as the program hands them over.
  const STORE = 'orvel.syncMarks';
  let bounds = [];
  let moments = [];
  let marks = [];        // [{ time, index }] by time; index is the program's
  let selected = -1;     // the program's index of the selected mark
  let playing = false;
  let shown = 0;
  let silentStart = false;
  let wave = null;       // the waveform, segments and moments: drawn once
  let layer = null;      // wave with the marks: drawn again when marks change
  let source = null;
  let heardFrom = null;  // { offset, contextTime }: where the music was started from
  let storeFailed = false;
  const stripMs = [];

  const end = () => bounds[bounds.length - 1] || 1;
  const xOf = (t) => (t / end()) * strip.width;
  const timeOf = (x) => Math.max(0, Math.min(end(), (x / strip.width) * end()));

  function stripSizedCanvas() {
    const c = document.createElement('canvas');
    c.width = strip.width;
    c.height = strip.height;
    return c;
  }

  function drawWave() {
    const { width, height } = strip;
    wave = stripSizedCanvas();
    const g = wave.getContext('2d');
    g.fillStyle = '#101014';
    g.fillRect(0, 0, width, height);
    // The waveform: the loudest sample under each column of the strip.
    const buffer = music();
    if (buffer) {
      const samples = buffer.getChannelData(0);
      const perColumn = (end() * buffer.sampleRate) / width;
      g.fillStyle = '#4a6a8a';
      for (let x = 0; x < width; ++x) {
        let peak = 0;
        const last = Math.min(samples.length, Math.floor((x + 1) * perColumn));
        for (let i = Math.floor(x * perColumn); i < last; ++i) peak = Math.max(peak, Math.abs(samples[i]));
        const h = peak * (height - 18);
        g.fillRect(x, 18 + (height - 18 - h) / 2, 1, Math.max(1, h));
      }
    }
    // Segments: a line at each bound and the segment's number after it.
    g.fillStyle = '#888';
    g.font = '10px sans-serif';
    for (let s = 1; s < bounds.length; ++s) {
      const x = Math.round(xOf(bounds[s - 1]));
      g.fillRect(x, 0, 1, height);
      if (xOf(bounds[s]) - x > 9) g.fillText(String(s), x + 2, 10);
    }
    g.fillStyle = '#d0a040';
    for (const t of moments) g.fillRect(Math.round(xOf(t)), 12, 1, 6);
  }

  function drawLayer() {
    if (!wave) drawWave();
    layer = stripSizedCanvas();
    const g = layer.getContext('2d');
    g.drawImage(wave, 0, 0);
    for (const mark of marks) {
      g.fillStyle = mark.index === selected ? '#ffffff' : '#ff5050';
      g.fillRect(Math.round(xOf(mark.time)) - 1, 18, 2, strip.height - 18);
    }
  }

  function drawStrip() {
    const begin = performance.now();
    if (!layer) drawLayer();
    context.drawImage(layer, 0, 0);
    context.fillStyle = '#40ff80';
    context.fillRect(Math.round(xOf(shown)), 0, 1, strip.height);
    stripMs.push(performance.now() - begin);
    if (stripMs.length > 1000) stripMs.shift();
  }

  function listMarks() {
    byId('marks').replaceChildren(...marks.map((mark) => {
      const item = document.createElement('li');
      item.textContent = mark.time.toFixed(3) + ' s';
      item.dataset.time = mark.time.toFixed(3);
      item.dataset.index = String(mark.index);
      if (mark.index === selected) item.className = 'selected';
      return item;
    }));
    byId('delete-mark').disabled = selected < 0;
    byId('clear-marks').disabled = marks.length === 0;
    layer = null;
    drawStrip();
  }

  function select(index, seekToIt) {
    selected = index;
    listMarks();
    const mark = marks.find((m) => m.index === index);
    if (seekToIt && mark) seek(mark.time);
  }

  // The music from demo time t, started a moment ahead so that the moment
  // it is heard is known; returns the seconds until then, for the
  // program's clock.
  function playMusicFrom(t) {
    sound.stopMusic();
    heardFrom = null;
    const context = audio();
    if (!context || !music() || silentStart) return 0;
    const LEAD = 0.05;
    const when = context.currentTime + LEAD;
    sound.playMusic(t, when, false);
    heardFrom = { offset: t, contextTime: when };
    return sound.heardIn(context, when);
  }

  function stopMusic() {
    sound.stopMusic();
    heardFrom = null;
  }

  function resume() {
    if (playing) return;
    const latency = playMusicFrom(Module._orvel_edit_time());
    Module._orvel_edit_resume(latency);
  }

  function pause() {
    stopMusic();
    Module._orvel_edit_pause();
  }

  // Sought while playing, the show plays on from there.
  function seek(t) {
    const wasPlaying = playing;
    stopMusic();
    Module._orvel_edit_seek(t);
    if (wasPlaying) resume();
  }

  function step(frames) {
    stopMusic();
    Module._orvel_edit_step(frames);
  }

  // The mark before (-1) or after (+1) the picture on screen, selected and shown.
  function jumpToMark(direction) {
    const now = Module._orvel_edit_clock();
    const EPSILON = 1e-4;
    const found = direction < 0 ? marks.filter((m) => m.time < now - EPSILON).pop()
      : marks.find((m) => m.time > now + EPSILON);
    if (found) select(found.index, true);
    else say(direction < 0 ? 'No mark before this one' : 'No mark after this one');
  }

  function deleteSelected() {
    if (selected < 0) return;
    const index = selected;
    selected = -1;
    Module._orvel_edit_delete_mark(index);
  }

  // Byte arrays copied into the program's memory for the length of call.
  function withBytes(arrays, call) {
    const pointers = arrays.map((bytes) => {
      const pointer = Module._malloc(Math.max(1, bytes.length));
      Module.HEAPU8.set(bytes, pointer);
      return pointer;
    });
    try {
      call(...pointers.flatMap((pointer, i) => [pointer, arrays[i].length]));
    } finally {
      for (const pointer of pointers) Module._free(pointer);
    }
  }

  // The file's bytes as they are go to the program's own sync.txt reader;
  // a file larger than any sync.txt is refused before it is read.
  function openFile(file) {
    if (!file) return;
    const unchanged = 'the marks are as they were';
    const { maxSyncFileBytes } = limits();
    if (file.size > maxSyncFileBytes) {
      say(`${file.name}: ${file.size} bytes, larger than a sync.txt can be (${maxSyncFileBytes}); ${unchanged}`);
      return;
    }
    file.arrayBuffer().then((bytes) => {
      withBytes([new TextEncoder().encode(file.name), new Uint8Array(bytes)], Module._orvel_edit_open);
    }, (e) => say(`${file.name} cannot be read (${e.message}); ${unchanged}`));
  }

  function keep(text, count) {
    try {
      if (count > 0) localStorage.setItem(STORE, text); else localStorage.removeItem(STORE);
    } catch (e) {
      if (!storeFailed) say(`This browser does not keep the marks (${e.message}): save them before you leave`);
      storeFailed = true;
    }
  }

  function restore() {
    let text = null;
    try {
      text = localStorage.getItem(STORE);
    } catch (e) {
      say(`This browser does not keep the marks (${e.message}): save them before you leave`);
      storeFailed = true;
    }
    if (text) withBytes([new TextEncoder().encode(text)], Module._orvel_edit_restore);
  }

  function toggleKeyHelp() {
    byId('key-help').hidden = !byId('key-help').hidden;
  }

  addEventListener('keydown', (e) => {
    const now = root.dataset.orvel;
    if (now !== 'playing' && now !== 'paused') return;
    // A control reached with Tab takes Space and Enter as its own click.
    if ((e.key === ' ' || e.key === 'Enter') && e.target.closest('button')) return;
    const command = e.ctrlKey || e.metaKey;
    const key = e.key.length === 1 ? e.key.toLowerCase() : e.key;
    if (command && key === 'z') {
      if (e.shiftKey) Module._orvel_edit_redo(); else Module._orvel_edit_undo();
    } else if (command && key === 'y') {
      Module._orvel_edit_redo();
    } else if (command || e.altKey) {
      return;
    } else if (e.key === ' ') {
      if (playing) pause(); else resume();
    } else if (e.key === 'ArrowLeft' || e.key === 'ArrowRight') {
      const sign = e.key === 'ArrowLeft' ? -1 : 1;
      if (e.shiftKey) step(sign); else seek(Module._orvel_edit_clock() + sign);
    } else if (e.key === 'ArrowUp' || e.key === 'ArrowDown') {
      jumpToMark(e.key === 'ArrowUp' ? -1 : 1);
    } else if (e.key === 'Escape') {
      if (playing) pause();
    } else if (e.key === 'Delete') {
      deleteSelected();
    } else if (e.key === '?') {
      toggleKeyHelp();
    } else {
      return;
    }
    e.preventDefault();
  });

  // A click on the strip seeks there, or to a mark within a few pixels; a
  // drag follows the pointer, paused, and plays on where it lets go.
  let dragging = null;
  strip.addEventListener('pointerdown', (e) => {
    if (root.dataset.orvel !== 'playing' && root.dataset.orvel !== 'paused') return;
    const x = (e.offsetX / strip.clientWidth) * strip.width;
    const near = marks.find((m) => Math.abs(xOf(m.time) - x) <= 3);
    if (near) {
      select(near.index, true);
      return;
    }
    dragging = { wasPlaying: playing };
    strip.setPointerCapture(e.pointerId);
    stopMusic();
    Module._orvel_edit_seek(timeOf(x));
  });
  strip.addEventListener('pointermove', (e) => {
    if (dragging) Module._orvel_edit_seek(timeOf((e.offsetX / strip.clientWidth) * strip.width));
  });
  strip.addEventListener('pointerup', () => {
    if (dragging && dragging.wasPlaying) resume();
    dragging = null;
  });

  byId('marks').addEventListener('click', (e) => {
    const item = e.target.closest('li');
    if (item) select(Number(item.dataset.index), true);
  });

  // A click leaves no control with the keyboard: the keys reach the
  // timeline after it, and act once (a focused button would take Space
  // and Enter as its own click too).
  byId('controls').addEventListener('mousedown', (e) => {
    if (e.target.closest('button, label')) e.preventDefault();
  });
  byId('play-pause').addEventListener('click', () => (playing ? pause() : resume()));
  byId('delete-mark').addEventListener('click', deleteSelected);
  byId('clear-marks').addEventListener('click', () => Module._orvel_edit_clear_marks());
  byId('save-sync').addEventListener('click', () => Module._orvel_edit_save());
  byId('show-keys').addEventListener('click', toggleKeyHelp);
  byId('open-sync').addEventListener('change', (e) => {
    openFile(e.target.files[0]);
    // The same file can be opened again.
    e.target.value = '';
    e.target.blur();
  });
  // A file dropped anywhere is kept from the browser (which would leave
  // the page for it); only the picture and the strip take it, once author
  // mode runs (before, the marks kept in the browser would replace it).
  addEventListener('dragover', (e) => e.preventDefault());
  addEventListener('drop', (e) => {
    e.preventDefault();
    const file = e.dataTransfer.files[0];
    if (!file) return;
    if (root.dataset.orvel !== 'playing' && root.dataset.orvel !== 'paused') {
      say(`${file.name} was not opened: start author mode first`);
    } else if (e.target === strip || e.target === byId('canvas')) {
      openFile(file);
    } else {
      say(`${file.name} was not opened: drop a sync.txt on the picture or on the strip`);
    }
  });

  // For the tests and the authors' tools: the demo clock and the position
  // of the music being heard, read together, and the strip's drawing times.
  window.orvelAuthor = {
    demoTime: () => Module._orvel_edit_clock(),
    musicTime() {
      const context = audio();
      if (!heardFrom || !context) return null;
      return heardFrom.offset + Math.max(0, sound.heardNow(context) - heardFrom.contextTime);
    },
    stripMs: () => stripMs.slice(),
  };

  return {
    // The first click: the show plays from its start, the music with it,
    // and the marks this browser kept come back.
    start() {
      byId('editor').hidden = false;
      restore();
      // The context made in the click runs a moment later, and says where
      // its output is later still; its first word on that is off by a few
      // hundredths. The music and the clock start together once it has
      // played a tenth of a second (or half a second on, without it).
      const context = audio();
      const told = () => new Promise((done) => {
        const since = performance.now();
        const look = () => {
          const stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : null;
          if ((stamp && stamp.contextTime >= 0.1) || performance.now() - since > 500) done(); else setTimeout(look, 10);
        };
        look();
      });
      if (!context) {
        if (music()) say('No sound: this browser cannot play the music; author mode plays silent');
        resume();
        return;
      }
      sound.awaitOutput(told).then((why) => {
        if (why) {
          silentStart = true;
          sound.silent(why);
          say(`No sound: ${why}; author mode plays silent`);
        }
        resume();
      });
    },
    frame(t, isPlaying) {
      shown = t;
      if (playing && !isPlaying) stopMusic();
      playing = isPlaying;
      root.dataset.time = t.toFixed(3);
      byId('play-pause').textContent = isPlaying ? 'Pause' : 'Play';
      setState(isPlaying ? 'playing' : 'paused');
      drawStrip();
    },
    marks(list, kept) {
      marks = list.map((time, index) => ({ time, index })).sort((a, b) => a.time - b.time);
      if (!marks.some((m) => m.index === selected)) selected = -1;
      listMarks();
      keep(kept, list.length);
    },
    schedule(segmentBounds, scheduleMoments) {
      bounds = segmentBounds;
      moments = scheduleMoments;
      wave = null;
      layer = null;
    },
    // The music decoded (or not): the strip drawn with it.
    ready() {
      wave = null;
      layer = null;
      drawStrip();
    },
  };
};
