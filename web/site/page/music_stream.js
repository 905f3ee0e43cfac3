// The music, fetched and decoded in pieces while it downloads, so that it
// plays from its first seconds (music_pieces.js says how an MP3 is cut).
// Played from a later second (?t=), the file is fetched from the frame that
// holds it (music_from_frame.js), where the server honours a range and the
// frames are of one length; else from its start (music_from_start.js).
import { HEAD_BYTES } from './mp3_frames.js';
import { fromFrame, withinMusic } from './music_from_frame.js';
import { fromStart } from './music_from_start.js';
import { FIRST_RANGE, fetchRange, rangesFrom, wholeResponse } from './music_ranges.js';

export { DecodeError } from './music_decoder.js';

// Fetches the site's music file `name` and decodes it in pieces from second
// `from` on: first what the first piece needs, the rest once `showStarted`
// resolves (the show's start has what it waits for), where the server
// honours ranges. sink.piece({ start, end, buffer, offset }) takes each
// piece as it is decoded: the music's seconds start to end, which buffer
// holds from offset seconds into it; sink.length(seconds) the music's whole
// length once known; sink.size(bytes) the file's size, sink.bytes(count)
// the bytes as they arrive, sink.needs(bytes) those that the first piece
// needs. loop(length) says whether the music's beginning plays again after
// its end (the show outlasts it). Rejects with a DecodeError where the music
// cannot be decoded, with an Error naming the file where it cannot be loaded.
export async function streamMusic(name, from, loop, showStarted, sink) {
  const asked = from > 0 ? HEAD_BYTES : FIRST_RANGE;
  const head = await fetchRange(name, 0, asked);
  if (head.whole) {
    sink.size(Number(head.whole.headers.get('Content-Length')) || 0);
    return fromStart(wholeResponse(name, head.whole), from, Infinity, loop, sink);
  }
  sink.size(head.size);
  from = withinMusic(head.bytes, from, loop);
  if (from > 0) {
    let length = null;
    const sinkKeepingLength = { ...sink, length(seconds) { length = seconds; sink.length(seconds); } };
    if (await fromFrame(name, head.bytes, from, showStarted, sinkKeepingLength)) {
      if (length !== null && loop(length)) {
        await fromStart(rangesFrom(name, 0, head.bytes, asked, showStarted), 0, from, () => false, sink);
      }
      return;
    }
  }
  return fromStart(rangesFrom(name, 0, head.bytes, asked, showStarted), from, Infinity, loop, sink);
}
