// The music, fetched and decoded in pieces while it downloads, so that it
// plays from its first seconds. An MP3 is cut between frames: each piece
// goes to the browser's decoder as a small file of its own, the file's
// first frame (which tells the decoder where the music starts) followed by
// the piece's frames with a few before them (the decoder needs them to
// warm up) and after them (it outputs each frame's samples late). Every
// piece then holds exactly the samples that a decode of the whole file holds
// there. Played from a later second (?t=), the file is fetched from the
// frame that holds it, where the server honours a range and the frames are
// of one length; else from its start. Any other music (Ogg, WAV) is decoded
// whole once it has arrived.
import {
  constantFrameNumber, constantFrameStart, decodedLength, fileTag, findFrame, frameHeader, id3Size,
} from './mp3.js';
import { openSiteFile, readChunks } from './site_file.js';

// Frames decoded before a piece's own, for the decoder to warm up (the bit
// reservoir of a low bit rate reaches back five frames), and after them.
const LEAD_FRAMES = 8;
const TAIL_FRAMES = 3;
// The first piece: the music's beginning, which the show waits for.
const FIRST_SECONDS = 2;
// Later pieces: whatever has arrived, at least this much.
const PIECE_SECONDS = 1;
// The bytes fetched first to read a file's first frame from, where the
// music is fetched from a later second.
const HEAD_BYTES = 16384;
// The bytes fetched first from a file's start: its first piece at up to
// 224 kbit/s, with the frames around it. The rest waits for the show's start.
const FIRST_RANGE = 65536;
// Where a piece's warm-up frames do not match the piece before (a decoder
// that counts differently), the samples compared, and how alike they must be.
const COMPARED = 1024;
const ALIKE = 1e-6;

export class DecodeError extends Error {}

function decoder(channels, rate) {
  const context = new OfflineAudioContext(channels, 1, rate);
  return (bytes) => context.decodeAudioData(bytes.buffer).catch((e) => {
    throw new DecodeError(`the music cannot be decoded (${e})`);
  });
}

// A growing copy of the bytes received.
class Bytes {
  constructor() {
    this.data = new Uint8Array(1 << 16);
    this.length = 0;
  }

  append(chunk) {
    if (this.length + chunk.length > this.data.length) {
      const grown = new Uint8Array(Math.max(this.data.length * 2, this.length + chunk.length));
      grown.set(this.data.subarray(0, this.length));
      this.data = grown;
    }
    this.data.set(chunk, this.length);
    this.length += chunk.length;
  }

  view() { return this.data.subarray(0, this.length); }
}

// The frames of one fetch: frame `first` starts at byte `at` of what has
// arrived; frames are counted as they become whole.
class Frames {
  constructor(first, at) {
    this.bytes = new Bytes();
    this.firstNumber = first;
    this.starts = [];
    this.scan = at;
  }

  append(chunk) {
    this.bytes.append(chunk);
    const bytes = this.bytes.view();
    for (;;) {
      let header = frameHeader(bytes, this.scan);
      if (!header) {
        // Between frames, something else (a tag at the end): the next frame on.
        const next = findFrame(bytes, this.scan + 1);
        if (next < 0) return;
        this.scan = next;
        header = frameHeader(bytes, next);
      }
      if (this.scan + header.length > bytes.length) return;
      this.starts.push(this.scan);
      this.scan += header.length;
    }
  }

  // One past the last whole frame's number.
  end() { return this.firstNumber + this.starts.length; }

  // The bytes of frames [from, to).
  slice(from, to) {
    const starts = this.starts;
    const begin = starts[from - this.firstNumber];
    const end = to - this.firstNumber < starts.length ? starts[to - this.firstNumber] : this.scan;
    return this.bytes.view().subarray(begin, end);
  }
}

// The pieces of the frames [from, until) of one fetch, decoded in order as
// they arrive and handed to sink.piece. Frame k's samples are the whole
// decode's from (k - 1) times the samples of a frame on (frame 0 being the
// file's first frame, its tag or its first audio frame); length, where the
// tag tells it, is the whole decode's number of samples.
class Pieces {
  constructor({ head, header, frames, from, until = Infinity, length = null, sink, failed = () => {} }) {
    Object.assign(this, { head, header, frames, next: from, until, length, sink, failed });
    this.decode = decoder(header.channels, header.rate);
    this.ended = false;
    this.running = null;
    this.wanted = false;
    this.last = null;
    this.shift = 0;
    this.error = null;
  }

  // Decodes what has arrived; ended: the file has no more frames. Resolves
  // once all that could be is decoded.
  take(ended) {
    if (ended) this.ended = true;
    if (this.running) {
      this.wanted = true;
    } else {
      this.running = this.run().catch((e) => {
        this.error = this.error || e;
        this.failed(e);
      }).finally(() => { this.running = null; });
    }
    return this.running;
  }

  // Resolves once every frame is decoded; rejects with what went wrong.
  async finish() {
    await this.take(true);
    if (this.error) throw this.error;
  }

  async run() {
    do {
      this.wanted = false;
      while (await this.decodeNext());
    } while (this.wanted);
  }

  // The next piece, where enough of it has arrived; false where not.
  async decodeNext() {
    const { frames, header } = this;
    const perFrame = header.samples;
    let upTo;
    let tail;
    if (frames.end() >= this.until + TAIL_FRAMES) {
      [upTo, tail] = [this.until, this.until + TAIL_FRAMES];
    } else if (this.ended) {
      [upTo, tail] = [Math.min(this.until, frames.end()), frames.end()];
    } else {
      [upTo, tail] = [frames.end() - TAIL_FRAMES, frames.end()];
    }
    const last = upTo === this.until || this.ended;
    const least = Math.ceil(((this.last ? PIECE_SECONDS : FIRST_SECONDS) * header.rate) / perFrame);
    if (upTo <= this.next || (!last && upTo - this.next < least)) return false;
    const from = this.next;
    const lead = Math.max(frames.firstNumber, 1, from - LEAD_FRAMES);
    const body = frames.slice(lead, tail);
    const bytes = new Uint8Array(this.head.length + body.length);
    bytes.set(this.head);
    bytes.set(body, this.head.length);
    const decoded = await this.decode(bytes);
    const base = (lead - 1) * perFrame;
    const start = (from - 1) * perFrame;
    // The file's last frame ends where the decoder ends it, or its tag.
    let end = tail === upTo ? base + decoded.length : (upTo - 1) * perFrame;
    if (this.length !== null) end = Math.min(end, this.length);
    if (this.last && this.last.end === start && from - lead === LEAD_FRAMES) this.align(decoded, start - base);
    const offset = start - base + this.shift;
    if (offset < 0 || offset + (end - start) > decoded.length) {
      throw new DecodeError('the music cannot be decoded (a piece of it came out shorter than its frames)');
    }
    this.next = upTo;
    if (end > start) {
      this.last = { end, buffer: decoded, bufferEnd: offset + (end - start) };
      this.sink.piece({ start: start / header.rate, end: end / header.rate, buffer: decoded,
        offset: offset / header.rate });
    }
    return !last;
  }

  // A piece's warm-up frames end with the samples that end the piece
  // before: where they do not (a decoder that drops or adds a frame), the
  // shift that makes them do, for this piece and those after it.
  align(decoded, nominal) {
    const before = this.last.buffer.getChannelData(0);
    const beforeAt = this.last.bufferEnd - COMPARED;
    const now = decoded.getChannelData(0);
    const unlike = (shift) => {
      const at = nominal + shift - COMPARED;
      if (at < 0 || at + COMPARED > now.length || beforeAt < 0) return Infinity;
      let sum = 0;
      for (let i = 0; i < COMPARED; ++i) sum += (now[at + i] - before[beforeAt + i]) ** 2;
      return sum / COMPARED;
    };
    if (unlike(this.shift) <= ALIKE) return;
    const reach = 2 * this.header.samples;
    let best = this.shift;
    for (let shift = -reach; shift <= reach; ++shift) if (unlike(shift) < unlike(best)) best = shift;
    if (unlike(best) <= ALIKE) this.shift = best;
    else console.warn(`orvel: a piece of the music does not join the one before it (${unlike(best)})`);
  }
}

// A promise that fail(error) rejects: a piece that cannot be decoded ends
// the reading at once, though its source waits for more.
function deferredFailure() {
  let fail;
  const promise = new Promise((resolve, reject) => { fail = reject; });
  promise.catch(() => {});
  return { promise, fail };
}

// The frame whose samples start at or just before second t.
const frameAt = (t, header) => Math.floor((t * header.rate) / header.samples) + 1;

// Files that say at once that they are no MP3.
const OTHER_FORMATS = ['OggS', 'RIFF', 'fLaC', 'FORM'];

// The file's first frame, from the start of its bytes: { at, header, tag,
// head (its bytes), length (the whole decode's samples, or null) }; null
// where the bytes do not hold it yet; false where the file is no MP3 (its
// first frame comes right after its ID3 tag, if any).
function firstFrame(bytes) {
  if (OTHER_FORMATS.includes(String.fromCharCode(...bytes.subarray(0, 4)))) return false;
  const tagEnd = id3Size(bytes);
  const at = findFrame(bytes, tagEnd, tagEnd + HEAD_BYTES);
  if (at < 0) return bytes.length >= tagEnd + HEAD_BYTES + 4096 ? false : null;
  const header = frameHeader(bytes, at);
  const tag = fileTag(bytes, at);
  return { at, header, tag, head: bytes.slice(at, at + header.length), length: decodedLength(tag, header.samples) };
}

// What the first piece needs fetched, in bytes from its first frame on.
const firstPieceBytes = (header) => Math.ceil((FIRST_SECONDS * header.kbps * 1000) / 8)
  + (LEAD_FRAMES + TAIL_FRAMES) * header.length;

// A file that is no MP3, decoded whole once it has arrived.
async function decodeWhole(bytes, sink) {
  const decoded = await new OfflineAudioContext(2, 1, 44100).decodeAudioData(bytes.slice().buffer).catch((e) => {
    throw new DecodeError(`the music cannot be decoded (${e})`);
  });
  sink.length(decoded.duration);
  sink.piece({ start: 0, end: decoded.duration, buffer: decoded, offset: 0 });
}

// A server that answers a range with the whole file after it answered one with a part.
const partIgnored = (name) => new Error(
  `${name} could not be loaded: the server sent all of it where a part was asked for`);

// A source hands a file's bytes, as they arrive, to got(chunk), which
// returns false when it wants no more (as got.done() says from then on); it
// resolves when they end.

// The bytes of a response, as a server that ignores ranges sends the file.
const wholeResponse = (name, response) => (got) => readChunks(name, response, got);

// The file from byte `from`: `first` (the answer to a range of `asked`
// bytes, read already), then, once `later` resolves, the rest, so that it
// does not share the link with what the show's start waits for.
function rangesFrom(name, from, first, asked, later) {
  return async (got) => {
    if (got(first) === false || first.length < asked) return;
    await later;
    if (got.done()) return;
    let response;
    try {
      response = await openSiteFile(name, { headers: { Range: `bytes=${from + first.length}-` } });
    } catch (e) {
      // The file ended where the first range did.
      if (e.status === 416) return;
      throw e;
    }
    if (response.status !== 206) {
      response.body.cancel().catch(() => {});
      throw partIgnored(name);
    }
    await readChunks(name, response, got);
  };
}

// `bytes` bytes of the file from byte `begin`: { bytes, size (the file's) },
// none where the file ends before `begin` (416), or { whole } where the
// server ignores ranges and sends the whole file.
async function range(name, begin, bytes) {
  let response;
  try {
    response = await openSiteFile(name, { headers: { Range: `bytes=${begin}-${begin + bytes - 1}` } });
  } catch (e) {
    if (e.status !== 416) throw e;
    return { bytes: new Uint8Array(0), size: begin };
  }
  if (response.status !== 206) return { whole: response };
  const size = Number((response.headers.get('Content-Range') || '').split('/')[1]) || 0;
  return { bytes: new Uint8Array(await response.arrayBuffer()), size };
}

// Reads a source into pieces: its bytes kept until open(bytes, failed)
// makes the pieces from them (null: not yet), then handed to those. Resolves
// to { pieces (null where open never made them), bytes (those kept) } once
// the source has ended or the pieces have all they decode.
async function readPieces(source, sink, open) {
  const start = new Bytes();
  let pieces = null;
  const failure = deferredFailure();
  const got = (chunk) => {
    sink.bytes(chunk.length);
    if (pieces) {
      pieces.frames.append(chunk);
      pieces.take(false);
      return !got.done();
    }
    start.append(chunk);
    pieces = open(start.view(), failure.fail);
    if (pieces) pieces.take(false);
    return true;
  };
  got.done = () => Boolean(pieces && (pieces.error || pieces.frames.end() >= pieces.until + TAIL_FRAMES));
  await Promise.race([source(got), failure.promise]);
  return { pieces, bytes: start.view() };
}

// The file from its first byte, decoded in pieces from second `from` to
// second `until`. The music's beginning, before `from`, follows where
// loop(its length) says that it plays again (the show outlasts it).
async function fromStart(source, from, until, loop, sink) {
  let first = null;
  const { pieces, bytes } = await readPieces(source, sink, (view, failed) => {
    if (first === false) return null;
    first = firstFrame(view);
    if (!first) return null;
    if (first.length !== null) sink.length(first.length / first.header.rate);
    sink.needs(first.at + firstPieceBytes(first.header));
    const frames = new Frames(0, first.at);
    frames.append(view);
    return new Pieces({ ...first, frames, from: frameAt(from, first.header), until: frameAt(until, first.header),
      sink, failed });
  });
  if (!pieces) {
    await decodeWhole(bytes, sink);
    return;
  }
  await pieces.finish();
  const fromFrameNumber = frameAt(from, first.header);
  const end = pieces.last ? pieces.last.end / first.header.rate : 0;
  if (fromFrameNumber > 1 && until === Infinity && loop(end)) {
    await new Pieces({ ...first, frames: pieces.frames, from: 1, until: fromFrameNumber, sink }).finish();
  }
}

// From the frame that holds second `from`, with the file's first bytes
// (head) at hand: true once all of it is decoded, false where the file's
// frames are not of one bit rate.
async function fromFrame(name, head, from, later, sink) {
  const first = firstFrame(head);
  if (!first || !first.tag || !first.tag.constant) return false;
  const { header } = first;
  if (first.length !== null) sink.length(first.length / header.rate);
  const wanted = frameAt(from, header);
  const begin = Math.max(first.at, constantFrameStart(first.at, header, wanted - LEAD_FRAMES) - 2 * header.length);
  const asked = firstPieceBytes(header) + 4 * header.length;
  const answer = await range(name, begin, asked);
  if (answer.whole) {
    // Its bytes are not read: the download ends here.
    await answer.whole.body.cancel().catch(() => {});
    throw partIgnored(name);
  }
  sink.needs(asked);
  const { pieces } = await readPieces(rangesFrom(name, begin, answer.bytes, asked, later), sink, (view, failed) => {
    const at = findFrame(view, 0, view.length);
    if (at < 0) return null;
    const frames = new Frames(constantFrameNumber(first.at, header, begin + at), at);
    frames.append(view);
    return new Pieces({ ...first, frames, from: Math.max(wanted, frames.firstNumber), sink, failed });
  });
  if (!pieces) throw new DecodeError('the music cannot be decoded (no frame where its tag says)');
  await pieces.finish();
  return true;
}

// Second `from` of a show that outlasts the music, past the music's end,
// as the second of the music it plays again (its length as the file's
// first bytes tell it).
function withinMusic(head, from, loop) {
  const first = firstFrame(head);
  if (!first || first.length === null) return from;
  const seconds = first.length / first.header.rate;
  return from >= seconds && loop(seconds) ? from % seconds : from;
}

// Fetches the site's music file `name` and decodes it in pieces from second
// `from` on: first what the first piece needs, the rest once `later`
// resolves (the show's start has what it waits for), where the server
// honours ranges. sink.piece({ start, end, buffer, offset }) takes each
// piece as it is decoded: the music's seconds start to end, which buffer
// holds from offset seconds into it; sink.length(seconds) the music's whole
// length once known; sink.size(bytes) the file's size, sink.bytes(count)
// the bytes as they arrive, sink.needs(bytes) those that the first piece
// needs. loop(length) says whether the music's beginning plays again after
// its end (the show outlasts it). Rejects with a DecodeError where the music
// cannot be decoded, with an Error naming the file where it cannot be loaded.
export async function streamMusic(name, from, loop, later, sink) {
  const asked = from > 0 ? HEAD_BYTES : FIRST_RANGE;
  const head = await range(name, 0, asked);
  if (head.whole) {
    sink.size(Number(head.whole.headers.get('Content-Length')) || 0);
    return fromStart(wholeResponse(name, head.whole), from, Infinity, loop, sink);
  }
  sink.size(head.size);
  from = withinMusic(head.bytes, from, loop);
  if (from > 0) {
    let length = null;
    const told = { ...sink, length(seconds) { length = seconds; sink.length(seconds); } };
    if (await fromFrame(name, head.bytes, from, later, told)) {
      if (length !== null && loop(length)) {
        await fromStart(rangesFrom(name, 0, head.bytes, asked, later), 0, from, () => false, sink);
      }
      return;
    }
  }
  return fromStart(rangesFrom(name, 0, head.bytes, asked, later), from, Infinity, loop, sink);
}
