// Where two pieces of the music meet. A piece's warm-up frames end with the
// samples that end the piece before; a decoder that drops or adds a frame
// makes them end a little earlier or later, and the piece is shifted to match.

// The samples compared, and how alike (mean squared difference) they must be.
export const COMPARED = 1024;
export const ALIKE = 1e-6;

// The shift, in samples, by which `now` (a piece's channel data, whose
// nominal join with the piece before is at sample `nominal`) meets `before`
// (the piece before's channel data, ending at `beforeEnd`): `shift` itself
// where it matches, else the best within `reach` samples either side where
// that matches: { shift, matched } and, where none matches, `unlike`, how
// unlike the best is (the shift then stays).
export function seamShift({ before, beforeEnd, now, nominal, shift, reach }) {
  const beforeAt = beforeEnd - COMPARED;
  const unlike = (s) => {
    const at = nominal + s - COMPARED;
    if (at < 0 || at + COMPARED > now.length || beforeAt < 0) return Infinity;
    let sum = 0;
    for (let i = 0; i < COMPARED; ++i) sum += (now[at + i] - before[beforeAt + i]) ** 2;
    return sum / COMPARED;
  };
  if (unlike(shift) <= ALIKE) return { shift, matched: true };
  let best = shift;
  for (let s = -reach; s <= reach; ++s) if (unlike(s) < unlike(best)) best = s;
  const matched = unlike(best) <= ALIKE;
  return { shift: matched ? best : shift, matched, unlike: unlike(best) };
}
