// The music's decoded pieces, { start, end, buffer, offset } (the music's
// seconds start to end, which buffer holds from offset seconds into it),
// kept in order of start: where a second is, and how far the music runs on
// from one without a gap. Pure functions of the list: node's tests import them.

// Seconds that sums of seconds may miss a piece's bound by: far less than a sample.
export const EPSILON = 1e-7;

// The piece that holds the music's second `second`, or undefined.
export const pieceAt = (pieces, second) =>
  pieces.find((p) => p.start <= second + EPSILON && second + EPSILON < p.end);

// `piece` put into `pieces` (changed) after those that start no later.
export function insertPiece(pieces, piece) {
  const at = pieces.findIndex((p) => p.start > piece.start);
  pieces.splice(at < 0 ? pieces.length : at, 0, piece);
}

// The show's second up to which `pieces` hold the music from the show's
// second t on without a gap, the music of `span` seconds looped where the
// show outlasts it: infinity where a whole lap is there.
export function readyUntil(pieces, span, t) {
  let lap = t - (t % span);
  let second = t % span;
  for (let piece = pieceAt(pieces, second); piece; piece = pieceAt(pieces, second)) {
    second = piece.end;
    if (second + EPSILON < span) continue;
    // At the music's end: on from its start, where the show loops it.
    lap += span;
    second = 0;
    if (lap > t + span) return Infinity;
  }
  return lap + second;
}
