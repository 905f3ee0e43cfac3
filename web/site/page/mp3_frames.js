// The frames of an MP3 file as its bytes arrive: where the music starts
// (the file's first frame, which tells the decoder how to read the rest),
// which frame holds a second, and an index of the whole frames of one fetch.
// Pure functions of bytes, without the page: node's tests import this module.
import { decodedLength, fileTag, findFrame, frameHeader, id3Size } from './mp3.js';
import { ByteBuffer } from './byte_buffer.js';

// The bytes after an ID3 tag in which the first frame is looked for; the
// page fetches as many first where it plays the music from a later second.
export const HEAD_BYTES = 16384;

// Files that say at once that they are no MP3.
const OTHER_FORMATS = ['OggS', 'RIFF', 'fLaC', 'FORM'];

// What a file's first bytes tell of its music, by `kind`: 'mp3', with
// { at, header, tag, head (the first frame's bytes), length (the whole
// decode's samples, or null) }; 'more' where the bytes do not hold the
// first frame yet; 'other' where the file is no MP3 (an MP3's first frame
// comes right after its ID3 tag, if any).
export function readMusicStart(bytes) {
  if (OTHER_FORMATS.includes(String.fromCharCode(...bytes.subarray(0, 4)))) return { kind: 'other' };
  const tagEnd = id3Size(bytes);
  const at = findFrame(bytes, tagEnd, tagEnd + HEAD_BYTES);
  if (at < 0) return { kind: bytes.length >= tagEnd + HEAD_BYTES + 4096 ? 'other' : 'more' };
  const header = frameHeader(bytes, at);
  const tag = fileTag(bytes, at);
  return {
    kind: 'mp3', at, header, tag, head: bytes.slice(at, at + header.length),
    length: decodedLength(tag, header.samples),
  };
}

// The frame whose samples start at or just before second t (frame 0 being
// the file's first frame, its tag or its first audio frame).
export const frameAt = (t, header) => Math.floor((t * header.rate) / header.samples) + 1;

// The frames of one fetch: frame `firstNumber` starts at byte `firstAt` of
// what has arrived; frames are counted as they become whole.
export class FrameIndex {
  constructor(firstNumber, firstAt) {
    this.bytes = new ByteBuffer();
    this.firstNumber = firstNumber;
    this.starts = [];
    this.scan = firstAt;
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
