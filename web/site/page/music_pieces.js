// The music's pieces: the frames of one fetch, decoded in order as they
// arrive, each piece a small file of its own for the browser's decoder: the
// file's first frame (which tells the decoder where the music starts), then
// the piece's frames with a few before them (the decoder needs them to warm
// up) and after them (it outputs each frame's samples late). Every piece
// then holds exactly the samples that a decode of the whole file holds there.
import { DecodeError, decoder } from './music_decoder.js';
import { seamShift } from './seam.js';

// Frames decoded before a piece's own, for the decoder to warm up (the bit
// reservoir of a low bit rate reaches back five frames), and after them.
export const LEAD_FRAMES = 8;
export const TAIL_FRAMES = 3;
// The first piece: the music's beginning, which the show waits for.
const FIRST_SECONDS = 2;
// Later pieces: whatever has arrived, at least this much.
const PIECE_SECONDS = 1;

// What the first piece needs fetched, in bytes from its first frame on.
export const firstPieceBytes = (header) => Math.ceil((FIRST_SECONDS * header.kbps * 1000) / 8)
  + (LEAD_FRAMES + TAIL_FRAMES) * header.length;

// The pieces of the frames [from, until) of `frames` (a FrameIndex), handed
// to sink.piece as they are decoded. Frame k's samples are the whole
// decode's from (k - 1) times the samples of a frame on (frame 0 being the
// file's first frame, its tag or its first audio frame); length, where the
// tag tells it, is the whole decode's number of samples. decode(bytes)
// resolves to the decoded piece (the browser's decoder unless given).
export class MusicPieces {
  constructor({ head, header, frames, from, until = Infinity, length = null, sink, failed = () => {}, decode }) {
    Object.assign(this, { head, header, frames, next: from, until, length, sink, failed });
    this.decode = decode || decoder(header.channels, header.rate);
    this.ended = false;
    this.running = null;
    this.moreArrived = false;
    this.lastPiece = null;   // { end, buffer, bufferEnd }: the piece decoded last, in samples
    this.shift = 0;
    this.error = null;
  }

  // Every frame that these pieces decode has arrived (or an error ended them).
  haveAll() { return Boolean(this.error || this.frames.end() >= this.until + TAIL_FRAMES); }

  // Decodes what has arrived; ended: the file has no more frames. Resolves
  // once all that could be is decoded.
  take(ended) {
    if (ended) this.ended = true;
    if (this.running) {
      this.moreArrived = true;
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
      this.moreArrived = false;
      while (await this.decodeNext());
    } while (this.moreArrived);
  }

  // The frames of the next piece, [from, upTo), and the frames decoded
  // after them up to `tail`, where enough of it has arrived; null where not.
  nextPiece() {
    const { frames, header } = this;
    let upTo;
    let tail;
    if (frames.end() >= this.until + TAIL_FRAMES) {
      [upTo, tail] = [this.until, this.until + TAIL_FRAMES];
    } else if (this.ended) {
      [upTo, tail] = [Math.min(this.until, frames.end()), frames.end()];
    } else {
      [upTo, tail] = [frames.end() - TAIL_FRAMES, frames.end()];
    }
    const isLast = upTo === this.until || this.ended;
    const least = Math.ceil(((this.lastPiece ? PIECE_SECONDS : FIRST_SECONDS) * header.rate) / header.samples);
    if (upTo <= this.next || (!isLast && upTo - this.next < least)) return null;
    return { from: this.next, upTo, tail, isLast };
  }

  // Decodes the next piece, where enough of it has arrived; resolves to
  // whether more may follow.
  async decodeNext() {
    const piece = this.nextPiece();
    if (!piece) return false;
    const { from, upTo, tail, isLast } = piece;
    const perFrame = this.header.samples;
    const lead = Math.max(this.frames.firstNumber, 1, from - LEAD_FRAMES);
    const body = this.frames.slice(lead, tail);
    const bytes = new Uint8Array(this.head.length + body.length);
    bytes.set(this.head);
    bytes.set(body, this.head.length);
    const decoded = await this.decode(bytes);
    const base = (lead - 1) * perFrame;
    const start = (from - 1) * perFrame;
    // The file's last frame ends where the decoder ends it, or its tag.
    let end = tail === upTo ? base + decoded.length : (upTo - 1) * perFrame;
    if (this.length !== null) end = Math.min(end, this.length);
    const joins = this.lastPiece && this.lastPiece.end === start && from - lead === LEAD_FRAMES;
    if (joins) this.align(decoded, start - base);
    const offset = start - base + this.shift;
    if (offset < 0 || offset + (end - start) > decoded.length) {
      throw new DecodeError('the music cannot be decoded (a piece of it came out shorter than its frames)');
    }
    this.next = upTo;
    if (end > start) {
      this.lastPiece = { end, buffer: decoded, bufferEnd: offset + (end - start) };
      const rate = this.header.rate;
      this.sink.piece({ start: start / rate, end: end / rate, buffer: decoded, offset: offset / rate });
    }
    return !isLast;
  }

  // The shift that joins this piece to the one before, for it and those after it.
  align(decoded, nominal) {
    const seam = seamShift({
      before: this.lastPiece.buffer.getChannelData(0), beforeEnd: this.lastPiece.bufferEnd,
      now: decoded.getChannelData(0), nominal, shift: this.shift, reach: 2 * this.header.samples,
    });
    this.shift = seam.shift;
    if (!seam.matched) console.warn(`orvel: a piece of the music does not join the one before it (${seam.unlike})`);
  }
}
