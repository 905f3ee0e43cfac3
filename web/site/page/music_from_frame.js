// The music fetched from the frame that holds a later second (?t=), where
// the server honours a range and the file's frames are of one length, so
// that where each frame starts follows from its bit rate.
import { constantFrameNumber, constantFrameStart, findFrame } from './mp3.js';
import { DecodeError } from './music_decoder.js';
import { FrameIndex, frameAt, readMusicStart } from './mp3_frames.js';
import { LEAD_FRAMES, MusicPieces, firstPieceBytes } from './music_pieces.js';
import { fetchRange, partIgnored, rangesFrom } from './music_ranges.js';
import { readPieces } from './music_reading.js';

// From the frame that holds second `from`, with the file's first bytes
// (head) at hand, the rest once `showStarted` resolves: true once all of it
// is decoded, false where the file's frames are not of one bit rate.
export async function fromFrame(name, head, from, showStarted, sink) {
  const start = readMusicStart(head);
  if (start.kind !== 'mp3' || !start.tag || !start.tag.constant) return false;
  const { header } = start;
  if (start.length !== null) sink.length(start.length / header.rate);
  const wanted = frameAt(from, header);
  const begin = Math.max(start.at, constantFrameStart(start.at, header, wanted - LEAD_FRAMES) - 2 * header.length);
  const asked = firstPieceBytes(header) + 4 * header.length;
  const answer = await fetchRange(name, begin, asked);
  if (answer.whole) {
    // Its bytes are not read: the download ends here.
    await answer.whole.body.cancel().catch(() => {});
    throw partIgnored(name);
  }
  sink.needs(asked);
  const source = rangesFrom(name, begin, answer.bytes, asked, showStarted);
  const { pieces } = await readPieces(source, sink, (view, failed) => {
    const at = findFrame(view, 0, view.length);
    if (at < 0) return null;
    const frames = new FrameIndex(constantFrameNumber(start.at, header, begin + at), at);
    frames.append(view);
    return new MusicPieces({ ...start, frames, from: Math.max(wanted, frames.firstNumber), sink, failed });
  });
  if (!pieces) throw new DecodeError('the music cannot be decoded (no frame where its tag says)');
  await pieces.finish();
  return true;
}

// Second `from` of a show that outlasts the music, past the music's end,
// as the second of the music it plays again (its length as the file's
// first bytes tell it).
export function withinMusic(head, from, loop) {
  const start = readMusicStart(head);
  if (start.kind !== 'mp3' || start.length === null) return from;
  const seconds = start.length / start.header.rate;
  return from >= seconds && loop(seconds) ? from % seconds : from;
}
