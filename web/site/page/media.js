// The browser's media controls (a phone's lock screen shows them): the
// show's title and the music's artist, from its file's name "ARTIST -
// TITLE.mp3". Their play and pause act as SPACE where the mode has a
// pause (author mode); play mode has none.
import { mode } from './mode.js';
import { root } from './status.js';

export function describeMedia(musicName) {
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
