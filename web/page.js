// The page around the show: loading its files with a progress bar, its
// states, the click, tap or key that starts the music and the show, the
// right-button menu, full screen, the drawing buffer sized to the screen's
// pixels, the end screen with "Play again", the text of sync.txt, and
// failures said in words. The show itself (web/main.cpp) calls the
// methods of `page`.
'use strict';

(function () {
  const root = document.documentElement;
  const byId = (id) => document.getElementById(id);
  const params = new URLSearchParams(location.search);
  const mode = params.has('at') ? 'frame' : params.has('bench') ? 'bench' : params.has('edit') ? 'edit' : 'play';
  root.dataset.mode = mode;
  const canvas = byId('canvas');

  // How long the audio output may take to start before the show goes on silent.
  const OUTPUT_WAIT_MS = 2000;
  // How long a message stays on the status line.
  const MESSAGE_SECONDS = 6;
  // ?scale=1 keeps the full size even when frames come late.
  const pinned = params.get('scale') === '1';
  const touch = matchMedia('(hover: none) and (pointer: coarse)').matches;

  let failed = false;
  let music = null;      // the decoded music, or null: the show runs silent
  let audio = null;      // the AudioContext, made inside the gesture that starts the show
  let source = null;
  let startWanted = false;
  let hintTimer = 0;
  // Once the program runs: the show's picture size, { width, height }, and
  // maxSide, the widest drawing buffer, however large the screen.
  let picture = null;
  let maxSyncFileBytes = 0;
  let scale = 1;

  function setState(state) {
    if (!failed) root.dataset.orvel = state;
  }

  function say(text, seconds) {
    const message = byId('message');
    message.textContent = text;
    message.hidden = false;
    clearTimeout(hintTimer);
    if (seconds) hintTimer = setTimeout(() => { message.hidden = true; }, seconds * 1000);
  }

  function fail(reason) {
    if (failed) return;
    console.warn('orvel: ' + reason);
    for (const id of ['loading', 'start', 'end-screen', 'fullscreen', 'menu']) byId(id).hidden = true;
    say(reason);
    setState('error');
    failed = true;
  }

  function silent(why) {
    if (why) console.warn('orvel: ' + why + ': the show runs silent');
    root.dataset.audio = 'silent';
  }

  // The context time being heard now: from the output's own timestamp
  // where the browser gives one, else the context's time less the output's
  // latency as the browser estimates it (or the context's processing latency).
  function heardNow(context) {
    const stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : null;
    if (stamp && stamp.performanceTime > 0) {
      return stamp.contextTime + (performance.now() - stamp.performanceTime) / 1000;
    }
    return context.currentTime - (context.outputLatency || context.baseLatency || 0);
  }

  // When the first sample is heard: the seconds from now until the sample
  // that the context plays at its time `when` reaches the ears.
  const heardIn = (context, when) => Math.max(0, when - heardNow(context));

  // The music from `from` seconds into it, played at context time `when`.
  function playMusic(from, when, loop) {
    stopMusic();
    source = audio.createBufferSource();
    source.buffer = music;
    source.loop = loop;
    source.connect(audio.destination);
    source.start(when, from);
  }

  function stopMusic() {
    if (source) source.stop();
    source = null;
    if (root.dataset.audio === 'playing') root.dataset.audio = 'stopped';
  }

  function closeAudio() {
    stopMusic();
    if (audio) audio.close();
    audio = null;
  }

  // Resolves to nothing once the output runs (and settle() has resolved),
  // or to why it does not, within OUTPUT_WAIT_MS at the latest.
  function awaitOutput(settle) {
    return new Promise((done) => {
      const timer = setTimeout(() => done('no audio output started'), OUTPUT_WAIT_MS);
      audio.resume().then(settle).then(() => {
        clearTimeout(timer);
        done(null);
      }, (e) => {
        clearTimeout(timer);
        done('the music cannot be played (' + e + ')');
      });
    });
  }

  function hideMenu() { byId('menu').hidden = true; }

  // Browsers let sound start only inside a person's gesture: the context is
  // made and resumed there, even while the files are still loading.
  function prepareAudio() {
    if (audio) return;
    try {
      audio = new AudioContext();
      audio.resume().catch(() => {});
    } catch (e) {
      audio = null;
    }
  }

  // Music starts first, then the demo clock: demo time 0 is just after it.
  function start() {
    if (root.dataset.orvel !== 'waiting') return;
    setState('starting');
    byId('start').hidden = true;
    if (author) {
      if (music) prepareAudio();
      author.start();
      return;
    }
    if (!music) {
      closeAudio();
      Module._orvel_start(0);
      return;
    }
    const begin = () => {
      const latency = audio ? heardIn(audio, audio.currentTime) : 0;
      console.debug('orvel: audio output latency ' + (latency * 1000).toFixed(1) + ' ms');
      Module._orvel_start(latency);
    };
    try {
      if (!audio) audio = new AudioContext();
      audio.onstatechange = () => {
        if (audio && audio.state === 'running') root.dataset.audio = 'playing';
      };
      // From the demo time that play mode starts from (?t=).
      playMusic(Module._orvel_play_from(), 0, true);
      if (audio.state === 'running') root.dataset.audio = 'playing';
    } catch (e) {
      silent('the music cannot be played (' + e + ')');
      closeAudio();
      begin();
      return;
    }
    // An output that never starts leaves the show silent rather than waiting.
    awaitOutput(() => {}).then((why) => {
      if (why) {
        silent(why);
        closeAudio();
      }
      begin();
    });
  }

  // A click, a tap, Enter or Space: starts the show now, or as soon as it
  // has loaded.
  function wantStart() {
    const now = root.dataset.orvel;
    if (now === 'loading') {
      startWanted = true;
      prepareAudio();
      byId('loading-text').textContent = 'Loading: the show starts when it has loaded';
    } else if (now === 'waiting') {
      start();
    }
  }

  function playAgain() {
    for (const id of ['end-screen', 'result', 'sync-again', 'moment']) byId(id).hidden = true;
    byId('fullscreen').hidden = false;
    Module._orvel_play_again();
    if (!pinned) {
      rule = window.orvelScale.createScaleRule();
      scale = 1;
      fit();
    }
    setState('waiting');
    start();
  }

  // After ESC: a link that plays the show from the picture on screen then.
  function offerMoment() {
    const link = byId('moment');
    const url = new URL(location.href);
    url.searchParams.set('t', root.dataset.time || '0');
    link.href = url.href;
    link.textContent = 'Link to this moment (' + (root.dataset.time || '0') + ' s)';
    link.hidden = false;
  }

  // The browser's media controls (a phone's lock screen show them): the
  // show's title and the music's artist, from its file's name "ARTIST -
  // TITLE.mp3". Their play and pause act as SPACE where the mode has a
  // pause (author mode); play mode has none.
  function describeMedia(musicName) {
    if (!('mediaSession' in navigator) || typeof MediaMetadata !== 'function') return;
    const [artist, track = ''] = musicName.replace(/\.[^.]*$/, '').split(' - ');
    navigator.mediaSession.metadata = new MediaMetadata({ title: document.title, artist, album: track });
    if (mode !== 'edit') return;
    const spaceWhen = (state) => () => {
      if (root.dataset.orvel === state) document.body.dispatchEvent(new KeyboardEvent('keydown', { key: ' ', bubbles: true }));
    };
    navigator.mediaSession.setActionHandler('play', spaceWhen('paused'));
    navigator.mediaSession.setActionHandler('pause', spaceWhen('playing'));
  }

  function showMenu(x, y) {
    const menu = byId('menu');
    menu.style.left = x + 'px';
    menu.style.top = y + 'px';
    menu.hidden = false;
    const box = menu.getBoundingClientRect();
    if (box.right > innerWidth) menu.style.left = Math.max(0, x - box.width) + 'px';
    if (box.bottom > innerHeight) menu.style.top = Math.max(0, y - box.height) + 'px';
  }

  // Play mode draws into as many pixels as the picture covers on the
  // screen (its CSS size times the device pixel ratio, at most
  // picture.maxSide wide), times the scale in use.
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

  function fit() {
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

  // The scale follows the frames' times (web/scale.js); every play starts
  // at scale 1.
  let rule = window.orvelScale.createScaleRule();
  function watchFrames(now) {
    const next = rule.frame(now, root.dataset.orvel === 'playing', picture ? lowestScale(fullSize()) : 1);
    if (next !== scale) {
      scale = next;
      fit();
    }
    if (!failed) requestAnimationFrame(watchFrames);
  }

  const page = {
    addMenuEntry(label, value) {
      const item = document.createElement('li');
      item.textContent = label;
      item.addEventListener('click', (e) => {
        e.stopPropagation();
        hideMenu();
        Module._orvel_menu_choose(value);
      });
      byId('menu').appendChild(item);
    },

    loaded(bytes, width, height, maxSide, maxFileBytes, musicName, version) {
      picture = { width, height, maxSide };
      maxSyncFileBytes = maxFileBytes;
      root.dataset.version = version;
      describeMedia(musicName);
      fit();
      const ready = () => {
        setState('waiting');
        byId('loading').hidden = true;
        byId('fullscreen').hidden = Boolean(author);
        if (author) author.ready();
        if (startWanted) {
          start();
          return;
        }
        byId('start').hidden = false;
        byId('start').focus();
      };
      if (!bytes) {
        silent('no music');
        ready();
        return;
      }
      // An offline context decodes without the gesture that a playing one needs.
      new OfflineAudioContext(2, 1, 44100).decodeAudioData(bytes.buffer).then((buffer) => {
        music = buffer;
        ready();
      }, (e) => {
        silent('the music cannot be decoded (' + e + ')');
        ready();
      });
    },

    playing() {
      setState('playing');
      if (!music) root.dataset.audio = 'silent';
    },

    playedFrame(t) { root.dataset.time = t.toFixed(3); },

    ended(syncText) {
      closeAudio();
      hideMenu();
      if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
      byId('fullscreen').hidden = true;
      byId('message').hidden = true;
      setState('ended');
      if (syncText) {
        byId('sync').textContent = syncText;
        const save = byId('save');
        save.href = URL.createObjectURL(new Blob([syncText], { type: 'text/plain' }));
        save.hidden = false;
        byId('sync-again').hidden = false;
        offerMoment();
        byId('result').hidden = false;
        byId('sync-again').focus();
      } else {
        byId('end-screen').hidden = false;
        byId('end-screen').querySelector('.again').focus();
      }
    },

    frameDone() { setState('frame'); },

    // Author mode.
    authorFrame(t, playing) { author.frame(t, playing); },
    marks(list, kept) { author.marks(list, kept); },
    say(text) { say(text, MESSAGE_SECONDS); },
    schedule(bounds, moments) { author.schedule(bounds, moments); },
    syncText(text) {
      const save = byId('save');
      save.href = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
      save.click();
    },

    benchDone(report) {
      byId('bench').textContent = report;
      byId('result').hidden = false;
      root.dataset.bench = 'done';
    },

    fail,
  };

  // The program's files, fetched here rather than by its loader, so that
  // the progress shows and a missing or damaged file is said in words.
  async function fetchFile(name, progress) {
    let response;
    try {
      response = await fetch(name);
    } catch (e) {
      throw new Error(`${name} could not be loaded: ${e.message}`);
    }
    if (!response.ok) throw new Error(`${name} could not be loaded: ${response.status} ${response.statusText}`.trim());
    progress.total += Number(response.headers.get('Content-Length')) || 0;
    const reader = response.body.getReader();
    const chunks = [];
    let size = 0;
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      chunks.push(value);
      size += value.length;
      progress.add(value.length);
    }
    const bytes = new Uint8Array(size);
    let at = 0;
    for (const chunk of chunks) {
      bytes.set(chunk, at);
      at += chunk.length;
    }
    return bytes.buffer;
  }

  async function load() {
    if (location.protocol === 'file:') {
      fail('This page must be served over HTTP, not opened from a file: run scripts/web --serve ' +
        'and open the address it prints.');
      return;
    }
    if (mode === 'play') byId('loading').hidden = false;
    const progress = {
      total: 0,
      received: 0,
      add(n) {
        this.received += n;
        const percent = this.total ? Math.min(100, Math.floor(100 * this.received / this.total)) : 0;
        root.dataset.progress = String(percent);
        byId('fill').style.width = percent + '%';
        if (!startWanted) byId('loading-text').textContent = `Loading ${percent} %`;
      },
    };
    let wasm;
    let data;
    try {
      [wasm, data] = await Promise.all([fetchFile('orvel.wasm', progress), fetchFile('orvel.data', progress)]);
    } catch (e) {
      fail(e.message);
      return;
    }
    Module.wasmBinary = wasm;
    Module.getPreloadedPackage = (name, size) => {
      if (data.byteLength !== size) fail(`orvel.data is damaged: ${data.byteLength} bytes where ${size} belong`);
      return data;
    };
    const script = document.createElement('script');
    script.src = 'orvel.js';
    script.onerror = () => fail('orvel.js could not be loaded');
    document.body.appendChild(script);
  }

  document.addEventListener('click', (e) => {
    if (e.button !== 0) return;
    if (!byId('menu').hidden) {
      hideMenu();
      return;
    }
    if (e.target.closest('#fullscreen, #result, #end-screen, #editor')) return;
    wantStart();
  });

  document.addEventListener('keydown', (e) => {
    // A focused button takes Enter and Space as its own click.
    if ((e.key !== 'Enter' && e.key !== ' ') || e.target.closest('button')) return;
    if (root.dataset.orvel !== 'loading' && root.dataset.orvel !== 'waiting') return;
    e.preventDefault();
    wantStart();
  });

  for (const again of document.querySelectorAll('.again')) again.addEventListener('click', playAgain);

  document.addEventListener('contextmenu', (e) => {
    if (mode !== 'play' && mode !== 'edit') return;
    e.preventDefault();
    if (root.dataset.orvel === 'playing' || root.dataset.orvel === 'paused') showMenu(e.clientX, e.clientY);
  });

  byId('fullscreen').addEventListener('click', () => {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else {
      root.requestFullscreen().then(lockLandscape, (e) => say('No full screen here: ' + e.message, MESSAGE_SECONDS));
    }
  });

  // A phone in full screen turns the picture sideways, where the browser
  // lets a page lock the orientation (most refuse outside full screen, some
  // always: the picture then follows the phone).
  function lockLandscape() {
    if (screen.orientation && screen.orientation.lock) screen.orientation.lock('landscape').catch(() => {});
  }

  document.addEventListener('fullscreenchange', () => {
    byId('fullscreen').textContent = document.fullscreenElement ? 'Leave full screen' : 'Full screen';
    // A touch screen has no ESC to end the show with.
    if (!document.fullscreenElement && root.dataset.orvel === 'playing' && !touch) {
      say('Full screen left: ESC now ends the show', MESSAGE_SECONDS);
    }
    fit();
  });

  // A phone held upright shows the 4:3 picture in a third of its height:
  // the page suggests turning it.
  const upright = matchMedia('(orientation: portrait)');
  function showUpright() { root.dataset.upright = String(touch && upright.matches); }
  upright.addEventListener('change', showUpright);
  showUpright();
  addEventListener('resize', fit);

  byId('start').textContent = touch ? 'Tap to start' : 'Click to start';
  const author = mode === 'edit'
    ? window.createAuthorMode({
      root,
      byId,
      audio: () => audio,
      music: () => music,
      setState,
      sound: { heardNow, heardIn, playMusic, stopMusic, awaitOutput, silent },
      say: (text) => say(text, MESSAGE_SECONDS),
      limits: () => ({ maxSyncFileBytes }),
    }) : null;

  window.Module = {
    canvas,
    arguments: mode === 'frame' ? ['--at', params.get('at')]
      : mode === 'play' && params.has('t') ? ['--from', params.get('t')]
      : mode === 'bench' ? ['--bench', params.get('bench'), params.get('size') || '']
        : mode === 'edit' ? ['--edit'] : [],
    // The program's notices (the scene reader's lines, timings) are for
    // whoever looks for them; its complaints are warnings.
    print: (text) => console.debug(text),
    printErr: (text) => console.warn(text),
    setStatus: () => {},
    onAbort: (what) => fail('The show stopped: ' + what),
    orvelPage: page,
  };
  setState('loading');
  if (mode === 'play' && !pinned) requestAnimationFrame(watchFrames);
  if (pinned) root.dataset.scale = '1';
  load();
})();
