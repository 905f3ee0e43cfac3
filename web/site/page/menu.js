// The right-button menu of play and author modes: the entries the program
// adds (the render modes), shown where the button was pressed, within the
// window. A click elsewhere closes it.
import { mode } from './mode.js';
import { byId, root } from './status.js';

export function hideMenu() { byId('menu').hidden = true; }

export function addMenuEntry(label, value) {
  const item = document.createElement('li');
  item.textContent = label;
  item.addEventListener('click', (e) => {
    e.stopPropagation();
    hideMenu();
    Module._orvel_menu_choose(value);
  });
  byId('menu').appendChild(item);
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
