// The music fetched from its first byte: an MP3 decoded in pieces as it
// arrives, any other music (Ogg, WAV) decoded whole once it has.
import { decodeWhole } from './music_decoder.js';
import { FrameIndex, frameAt, readMusicStart } from './mp3_frames.js';
import { MusicPieces, firstPieceBytes } from './music_pieces.js';
import { readPieces } from './music_reading.js';

// The file from its first byte (`source`), decoded in pieces from second
// `from` to second `until`. The music's beginning, before `from`, follows
// where loop(its length) says that it plays again (the show outlasts it).
export async function fromStart(source, from, until, loop, sink) {
  let start = { kind: 'more' };
  const { pieces, bytes } = await readPieces(source, sink, (view, failed) => {
    if (start.kind === 'other') return null;
    start = readMusicStart(view);
    if (start.kind !== 'mp3') return null;
    if (start.length !== null) sink.length(start.length / start.header.rate);
    sink.needs(start.at + firstPieceBytes(start.header));
    const frames = new FrameIndex(0, start.at);
    frames.append(view);
    return new MusicPieces({ ...start, frames, from: frameAt(from, start.header),
      until: frameAt(until, start.header), sink, failed });
  });
  if (!pieces) {
    await decodeWhole(bytes, sink);
    return;
  }
  await pieces.finish();
  const fromFrameNumber = frameAt(from, start.header);
  const end = pieces.lastPiece ? pieces.lastPiece.end / start.header.rate : 0;
  if (fromFrameNumber > 1 && until === Infinity && loop(end)) {
    await new MusicPieces({ ...start, frames: pieces.frames, from: 1, until: fromFrameNumber, sink }).finish();
  }
}
