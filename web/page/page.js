// The page around the show: its states, the click that starts the music and
// the show, the right-button menu, full screen, the end screen and the text
// of sync.txt. The show itself (web/main.cpp) calls the methods of `page`.
'use strict';

(function () {
  const root = document.documentElement;
  const byId = (id) => document.getElementById(id);
  const params = new URLSearchParams(location.search);
  const mode = params.has('at') ? 'frame' : params.has('bench') ? 'bench' : 'play';
  root.dataset.mode = mode;

  let music = null;      // the decoded music, or null: the show runs silent
  let audio = null;      // the AudioContext while the music plays
  let source = null;
  let hintTimer = 0;

  function setState(state) { root.dataset.orvel = state; }

  function say(text, seconds) {
    const message = byId('message');
    message.textContent = text;
    message.hidden = false;
    clearTimeout(hintTimer);
    if (seconds) hintTimer = setTimeout(() => { message.hidden = true; }, seconds * 1000);
  }

  function silent(why) {
    if (why) console.warn('orvel: ' + why + ': the show runs silent');
    root.dataset.audio = 'silent';
  }

  function stopMusic() {
    if (source) source.stop();
    if (audio) audio.close();
    source = null;
    audio = null;
    if (root.dataset.audio === 'playing') root.dataset.audio = 'stopped';
  }

  function hideMenu() { byId('menu').hidden = true; }

  // Music starts first, then the demo clock: demo time 0 is just after it.
  function start() {
    if (root.dataset.orvel !== 'waiting') return;
    setState('starting');
    byId('start').hidden = true;
    if (!music) {
      Module._orvel_start(0);
      return;
    }
    let begun = false;
    const begin = () => {
      if (begun) return;
      begun = true;
      // What the output adds before a sample is heard: the browser's own
      // estimate where it gives one, else the context's processing latency.
      const latency = audio ? (audio.outputLatency || audio.baseLatency || 0) : 0;
      console.log('orvel: audio output latency ' + (latency * 1000).toFixed(1) + ' ms');
      Module._orvel_start(latency);
    };
    try {
      audio = new AudioContext();
      source = audio.createBufferSource();
      source.buffer = music;
      source.loop = true;
      source.connect(audio.destination);
      audio.onstatechange = () => {
        if (audio && audio.state === 'running') root.dataset.audio = 'playing';
      };
      source.start();
      if (audio.state === 'running') root.dataset.audio = 'playing';
      audio.resume().then(begin, (e) => { silent('the music cannot be played (' + e + ')'); stopMusic(); begin(); });
      // An output that never starts leaves the show silent rather than waiting.
      setTimeout(() => {
        if (begun) return;
        silent('no audio output started');
        stopMusic();
        begin();
      }, 2000);
    } catch (e) {
      silent('the music cannot be played (' + e + ')');
      stopMusic();
      begin();
    }
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

    loaded(bytes) {
      const ready = () => {
        setState('waiting');
        byId('start').hidden = false;
        byId('fullscreen').hidden = false;
      };
      if (!bytes) {
        silent('no music');
        ready();
        return;
      }
      // An offline context decodes without the click that a playing one needs.
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

    ended(syncText) {
      stopMusic();
      hideMenu();
      if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
      byId('fullscreen').hidden = true;
      byId('message').hidden = true;
      if (syncText) {
        byId('sync').textContent = syncText;
        const save = byId('save');
        save.href = URL.createObjectURL(new Blob([syncText], { type: 'text/plain' }));
        save.hidden = false;
        byId('result').hidden = false;
      } else {
        byId('end').hidden = false;
      }
      setState('ended');
    },

    frameDone() { setState('frame'); },

    benchDone(report) {
      byId('bench').textContent = report;
      byId('result').hidden = false;
      root.dataset.bench = 'done';
    },

    fail(reason) {
      console.warn('orvel: ' + reason);
      byId('start').hidden = true;
      say(reason);
      setState('error');
    },
  };

  document.addEventListener('click', (e) => {
    if (e.button !== 0) return;
    if (!byId('menu').hidden) {
      hideMenu();
      return;
    }
    if (e.target === byId('fullscreen')) return;
    start();
  });

  document.addEventListener('contextmenu', (e) => {
    if (mode !== 'play') return;
    e.preventDefault();
    if (root.dataset.orvel === 'playing') showMenu(e.clientX, e.clientY);
  });

  byId('fullscreen').addEventListener('click', () => {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else {
      root.requestFullscreen().catch((e) => console.warn('orvel: no full screen: ' + e));
    }
  });

  document.addEventListener('fullscreenchange', () => {
    byId('fullscreen').textContent = document.fullscreenElement ? 'Leave full screen' : 'Full screen';
    if (!document.fullscreenElement && root.dataset.orvel === 'playing') say('Full screen left: ESC now ends the show', 4);
  });

  window.Module = {
    canvas: byId('canvas'),
    arguments: mode === 'frame' ? ['--at', params.get('at')] : mode === 'bench' ? ['--bench', params.get('bench'), params.get('size') || ''] : [],
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    setStatus: (text) => { if (text) console.log('orvel: ' + text); },
    onAbort: (what) => page.fail('the show stopped: ' + what),
    orvelPage: page,
  };
  setState('loading');
})();
