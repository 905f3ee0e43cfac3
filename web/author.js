// The page's author mode (?edit): the show paused, sought and stepped with
// the music in step, and a strip under the picture with the music's
// waveform, the segments, the schedule's moments, the sync marks and the
// playhead. page.js makes it with createAuthorMode once the program runs;
// the program (web/author_mode.cpp) keeps the frames and the marks.
'use strict';

window.createAuthorMode = function ({ root, byId, audio, music, setState }) {
  const FPS = 30;
  const strip = byId('strip');
  const context = strip.getContext('2d');
  let bounds = [];
  let moments = [];
  let marks = [];        // [{ time, index }] by time; index is the program's
  let selected = -1;     // the program's index of the selected mark
  let playing = false;
  let shown = 0;
  let layer = null;      // the strip without its playhead, drawn again when marks change
  let source = null;
  let heardFrom = null;  // { offset, contextTime }: where the music was started from
  const stripMs = [];

  const end = () => bounds[bounds.length - 1] || 1;
  const xOf = (t) => (t / end()) * strip.width;
  const timeOf = (x) => Math.max(0, Math.min(end(), (x / strip.width) * end()));

  function drawLayer() {
    const { width, height } = strip;
    layer = document.createElement('canvas');
    layer.width = width;
    layer.height = height;
    const g = layer.getContext('2d');
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
    for (const mark of marks) {
      g.fillStyle = mark.index === selected ? '#ffffff' : '#ff5050';
      g.fillRect(Math.round(xOf(mark.time)) - 1, 18, 2, height - 18);
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
    const list = byId('marks');
    list.replaceChildren(...marks.map((mark) => {
      const item = document.createElement('li');
      item.textContent = mark.time.toFixed(3) + ' s';
      item.dataset.index = String(mark.index);
      if (mark.index === selected) item.className = 'selected';
      item.addEventListener('click', () => select(mark.index, true));
      return item;
    }));
    byId('delete-mark').disabled = selected < 0;
    layer = null;
    drawStrip();
  }

  function select(index, seekToIt) {
    selected = index;
    listMarks();
    const mark = marks.find((m) => m.index === index);
    if (seekToIt && mark) seek(mark.time);
  }

  // Where the output is: the context time being heard at performance time
  // stamp.performanceTime, or nothing where the browser cannot say yet.
  function outputStamp(context) {
    const stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : null;
    return stamp && stamp.performanceTime > 0 ? stamp : null;
  }

  // The context time being heard now.
  function heardNow(context) {
    const stamp = outputStamp(context);
    if (stamp) return stamp.contextTime + (performance.now() - stamp.performanceTime) / 1000;
    return context.currentTime - (context.outputLatency || context.baseLatency || 0);
  }

  // The music from demo time t, started a moment ahead so that the moment
  // it is heard is known; returns the seconds until then, for the
  // program's clock.
  function playMusicFrom(t) {
    stopMusic();
    const context = audio();
    const buffer = music();
    if (!context || !buffer) return 0;
    const LEAD = 0.05;
    source = context.createBufferSource();
    source.buffer = buffer;
    source.connect(context.destination);
    const when = context.currentTime + LEAD;
    source.start(when, t);
    heardFrom = { offset: t, contextTime: when };
    return Math.max(0, when - heardNow(context));
  }

  function stopMusic() {
    if (source) source.stop();
    source = null;
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

  function deleteSelected() {
    if (selected < 0) return;
    const index = selected;
    selected = -1;
    Module._orvel_edit_delete_mark(index);
  }

  // A sync.txt from the show: its "time: " lines, LF or CRLF; other lines skipped.
  function openSyncText(text) {
    Module._orvel_edit_clear_marks();
    for (const line of text.split('\n')) {
      const found = /^time: (\d+(?:\.\d+)?)\r?$/.exec(line);
      if (found && !Module._orvel_edit_add_mark(Number(found[1]))) break;
    }
  }

  function openFile(file) {
    if (file) file.text().then(openSyncText, (e) => console.warn('orvel: cannot read ' + file.name + ': ' + e));
  }

  addEventListener('keydown', (e) => {
    const now = root.dataset.orvel;
    if ((now !== 'playing' && now !== 'paused') || e.target.closest('input, button')) return;
    if (e.key === ' ') {
      if (playing) pause(); else resume();
    } else if (e.key === 'ArrowLeft' || e.key === 'ArrowRight') {
      const sign = e.key === 'ArrowLeft' ? -1 : 1;
      if (e.shiftKey) step(sign); else seek(Module._orvel_edit_clock() + sign);
    } else if (e.key === 'Escape') {
      if (playing) pause();
    } else if (e.key === 'Delete') {
      deleteSelected();
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

  byId('play-pause').addEventListener('click', () => (playing ? pause() : resume()));
  byId('delete-mark').addEventListener('click', deleteSelected);
  byId('save-sync').addEventListener('click', () => Module._orvel_edit_save());
  byId('open-sync').addEventListener('change', (e) => {
    openFile(e.target.files[0]);
    // The keys go back to the show, and the same file can be opened again.
    e.target.value = '';
    e.target.blur();
  });
  addEventListener('dragover', (e) => e.preventDefault());
  addEventListener('drop', (e) => {
    e.preventDefault();
    openFile(e.dataTransfer.files[0]);
  });

  // For the tests and the authors' tools: the demo clock and the position
  // of the music being heard, read together, and the strip's drawing times.
  window.orvelAuthor = {
    demoTime: () => Module._orvel_edit_clock(),
    musicTime() {
      const context = audio();
      if (!heardFrom || !context) return null;
      return heardFrom.offset + Math.max(0, heardNow(context) - heardFrom.contextTime);
    },
    stripMs: () => stripMs.slice(),
    openSyncText,
  };

  return {
    // The first click: the show plays from its start, the music with it.
    start() {
      byId('editor').hidden = false;
      // The context made in the click runs a moment later, and says where
      // its output is later still; its first word on that is off by a few
      // hundredths. The music and the clock start together once it has
      // played a tenth of a second (or half a second on, without it).
      const context = audio();
      const told = () => new Promise((done) => {
        const since = performance.now();
        const look = () => {
          const stamp = outputStamp(context);
          if ((stamp && stamp.contextTime >= 0.1) || performance.now() - since > 500) done(); else setTimeout(look, 10);
        };
        look();
      });
      (context ? context.resume().then(told) : Promise.resolve()).then(resume, resume);
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
    marks(list) {
      marks = list.map((time, index) => ({ time, index })).sort((a, b) => a.time - b.time);
      if (!marks.some((m) => m.index === selected)) selected = -1;
      listMarks();
    },
    schedule(segmentBounds, scheduleMoments) {
      bounds = segmentBounds;
      moments = scheduleMoments;
      layer = null;
    },
    musicReady() {
      layer = null;
      drawStrip();
    },
  };
};
