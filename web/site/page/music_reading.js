// A source's bytes read into the music's pieces: kept until there are
// enough to make the pieces from, then handed to those as they arrive.
import { ByteBuffer } from './byte_buffer.js';

// A promise that fail(error) rejects: a piece that cannot be decoded ends
// the reading at once, though its source waits for more.
function deferredFailure() {
  let fail;
  const promise = new Promise((resolve, reject) => { fail = reject; });
  promise.catch(() => {});
  return { promise, fail };
}

// Reads `source` (music_ranges.js says what one is): its bytes kept until
// open(bytes, failed) makes the pieces (a MusicPieces) from them (null: not
// yet), then handed to those; sink.bytes(count) hears of each chunk.
// Resolves to { pieces (null where open never made them), bytes (those
// kept) } once the source has ended or the pieces have all they decode.
export async function readPieces(source, sink, open) {
  const kept = new ByteBuffer();
  let pieces = null;
  const failure = deferredFailure();
  const receive = (chunk) => {
    sink.bytes(chunk.length);
    if (pieces) {
      pieces.frames.append(chunk);
      pieces.take(false);
      return !receive.haveAll();
    }
    kept.append(chunk);
    pieces = open(kept.view(), failure.fail);
    if (pieces) pieces.take(false);
    return true;
  };
  receive.haveAll = () => Boolean(pieces && pieces.haveAll());
  await Promise.race([source(receive), failure.promise]);
  return { pieces, bytes: kept.view() };
}
