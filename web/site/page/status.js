// The page's state, data-orvel on the root element (the style and the tests
// read it), and its status line: a message for a few seconds, or the one
// line that says why the show cannot play.
export const root = document.documentElement;
export const byId = (id) => document.getElementById(id);

// How long a message stays on the status line.
const MESSAGE_SECONDS = 6;

let failed = false;
let hintTimer = 0;
const failureListeners = [];

export const hasFailed = () => failed;
// listener() once the page fails: what plays stops.
export function onFailure(listener) { failureListeners.push(listener); }

export function setState(state) {
  if (!failed) root.dataset.orvel = state;
}

// The text on the status line; it goes after seconds, or stays.
function show(text, seconds) {
  const message = byId('message');
  message.textContent = text;
  message.hidden = false;
  clearTimeout(hintTimer);
  if (seconds) hintTimer = setTimeout(() => { message.hidden = true; }, seconds * 1000);
}

export function say(text) { show(text, MESSAGE_SECONDS); }

export function fail(reason) {
  if (failed) return;
  console.warn('orvel: ' + reason);
  for (const id of ['loading', 'choice', 'end-screen', 'fullscreen', 'menu']) byId(id).hidden = true;
  show(reason);
  setState('error');
  failed = true;
  for (const listener of failureListeners) listener();
}
