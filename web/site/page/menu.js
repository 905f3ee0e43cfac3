// The right-button menu of play and author modes: the entries the program
// adds (the render modes, the calm show), shown where the button was
// pressed, within the window. A click elsewhere closes it.
import { mode } from './mode.js';
import { byId, root } from './status.js';

export function hideMenu() { byId('menu').hidden = true; }

const entries = new Map();

export function addMenuEntry(label, value) {
  const item = document.createElement('li');
  entries.set(value, item);
  item.textContent = label;
  item.addEventListener('click', (e) => {
    e.stopPropagation();
    hideMenu();
    Module._orvel_menu_choose(value);
  });
  byId('menu').appendChild(item);
}

export function changeMenuEntry(label, value) {
  const item = entries.get(value);
  if (item) item.textContent = label;
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

document.addEventListener('contextmenu', (e) => {
  if (mode !== 'play' && mode !== 'edit') return;
  e.preventDefault();
  if (root.dataset.orvel === 'playing' || root.dataset.orvel === 'paused') showMenu(e.clientX, e.clientY);
});

document.addEventListener('click', (e) => {
  if (e.button === 0) hideMenu();
});
