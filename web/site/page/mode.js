// What the page knows before anything loads: its mode, from its address
// (?at=T one frame, ?bench the benchmark, ?edit author mode, else play
// mode), which the style reads as data-mode, and whether the screen is a
// touch screen.
export const params = new URLSearchParams(location.search);
export const mode = params.has('at') ? 'frame' : params.has('bench') ? 'bench' : params.has('edit') ? 'edit' : 'play';
document.documentElement.dataset.mode = mode;
export const touch = matchMedia('(hover: none) and (pointer: coarse)').matches;
