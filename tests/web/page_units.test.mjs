// The page's pure parts, in node without a browser: the packs of the data
// files, the MP3 frames as they arrive, the music's pieces and their
// bookkeeping, the seams between pieces and the arrival rate. Every input
// is built here, byte by byte.
// Run by scripts/test: node --test tests/web/page_units.test.mjs
import assert from 'node:assert/strict';
import { join } from 'node:path';
import { describe, test } from 'node:test';
import { pathToFileURL } from 'node:url';
import { gzipSync } from 'node:zlib';
import { repo } from './browser.mjs';

const pageModule = (name) => import(pathToFileURL(join(repo, 'web', 'site', 'page', name)).href);
const { packFiles, readDataFile } = await pageModule('data_file.js');
const { FrameIndex, HEAD_BYTES, frameAt, readMusicStart } = await pageModule('mp3_frames.js');
const { LEAD_FRAMES, MusicPieces, TAIL_FRAMES } = await pageModule('music_pieces.js');
const { DecodeError } = await pageModule('music_stream.js');
const { COMPARED, seamShift } = await pageModule('seam.js');
const { insertPiece, pieceAt, readyUntil } = await pageModule('piece_list.js');
const { arrivalRate, arrived } = await pageModule('arrival.js');

const u32 = (n) => [n & 0xff, (n >> 8) & 0xff, (n >> 16) & 0xff, (n >>> 24) & 0xff];
const ascii = (text) => [...text].map((c) => c.charCodeAt(0));
const concat = (...parts) => Uint8Array.from(parts.flatMap((p) => [...p]));

// A pack as tools/pack_site.cpp writes it: each file's name length, name, size and bytes.
const pack = (files) => concat(...files.flatMap(({ name, bytes }) =>
  [u32(name.length), ascii(name), u32(bytes.length), bytes]));

describe('the packs of a data file', () => {
  const files = [{ name: 'scenes/a.3ds', bytes: [1, 2, 3] }, { name: 'b', bytes: [] }];

  test('a pack gives its files back by name, in order', () => {
    const read = packFiles(pack(files));
    assert.deepEqual(read.map((f) => [f.name, [...f.bytes]]), [['scenes/a.3ds', [1, 2, 3]], ['b', []]]);
  });

  test('a pack whose sizes run past its end is refused, not read short', () => {
    const whole = pack(files);
    assert.equal(packFiles(whole.subarray(0, whole.length - 1)), null);
    assert.equal(packFiles(whole.subarray(0, 2)), null);
    assert.equal(packFiles(pack([{ name: 'a', bytes: [1, 2] }]).subarray(0, -1)), null);
    assert.equal(packFiles(concat(u32(99), ascii('abc'))), null);
  });

  // A data file: its header (magic, version, packs, the file's bytes), then
  // each pack gzipped after its size; served to the page's fetch in 7-byte chunks.
  const dataFile = (packs, { magic = 'ORVELDAT', cut = 0, told = 0 } = {}) => {
    const body = packs.flatMap((p) => { const z = gzipSync(pack(p)); return [...u32(z.length), ...z]; });
    const bytes = concat(ascii(magic), u32(1), u32(packs.length), u32(20 + body.length + told), body);
    return bytes.subarray(0, bytes.length - cut);
  };
  const serve = (bytes) => {
    globalThis.fetch = async () => new Response(new ReadableStream({
      pull(controller) {
        const chunk = bytes.subarray(0, 7);
        bytes = bytes.subarray(7);
        if (chunk.length) controller.enqueue(chunk); else controller.close();
      },
    }));
  };

  test('a data file read in small chunks hands over each pack in order and counts every byte', async () => {
    const bytes = dataFile([files, [{ name: 'c', bytes: [9] }]]);
    serve(bytes);
    const packs = [];
    let counted = 0;
    await readDataFile('orvel-1.data', { bytes(count, total) { counted += count; assert.equal(total, bytes.length); },
      pack(got) { packs.push(got.map((f) => f.name)); } });
    assert.deepEqual(packs, [['scenes/a.3ds', 'b'], ['c']]);
    assert.equal(counted, bytes.length);
  });

  test('a data file of another kind, or cut short, is said by name', async () => {
    serve(dataFile([files], { magic: 'NOTDATA!' }));
    await assert.rejects(readDataFile('x.data', { bytes() {}, pack() {} }),
      { message: 'x.data is not the show\'s data: it starts with "NOTDATA!"' });
    const cut = dataFile([files], { cut: 3 });
    serve(cut);
    await assert.rejects(readDataFile('x.data', { bytes() {}, pack() {} }),
      { message: `x.data is damaged: ${cut.length} bytes where ${cut.length + 3} belong` });
    // Every pack whole, but the header tells of more bytes than came.
    const whole = dataFile([files]);
    serve(dataFile([files], { told: 5 }));
    await assert.rejects(readDataFile('x.data', { bytes() {}, pack() {} }),
      { message: `x.data is damaged: ${whole.length} bytes where ${whole.length + 5} belong` });
  });
});

// MPEG-1 layer III frames at 128 kbit/s and 44100 Hz, stereo: 0xFF, then
// 0xFB (MPEG-1, layer III, no CRC), the bit rate's index 9 and the rate's 0
// with the padding bit, then the channel mode. 417 bytes, one more padded;
// each carries its number in bytes 4 and 5, for the decoder below.
const FRAME_BYTES = 417;
const SAMPLES = 1152;
const RATE = 44100;
const frame = (number, padding = 0) => {
  const bytes = new Uint8Array(FRAME_BYTES + padding);
  bytes.set([0xff, 0xfb, 0x90 | (padding << 1), 0x00, number >> 8, number & 0xff]);
  return bytes;
};
// Frame 0: the "Info" tag after the side information (32 bytes), telling
// `count` frames, and the LAME extension with the encoder's delay and padding.
const infoFrame = (count, delay, padding) => {
  const bytes = frame(0);
  const at = 4 + 32;
  // Big-endian: the flags (1: the count is there), then the count.
  bytes.set([...ascii('Info'), 0, 0, 0, 1, 0, 0, count >> 8, count & 0xff], at);
  bytes.set(ascii('LAME'), at + 12);
  bytes.set([delay >> 4, ((delay & 0xf) << 4) | (padding >> 8), padding & 0xff], at + 12 + 21);
  return bytes;
};
const frames = (from, to) => concat(...Array.from({ length: to - from }, (_, k) => frame(from + k)));

describe('the MP3 frames as they arrive', () => {
  test("a file's first bytes tell an MP3 after its ID3 tag, another format, or that more must come", () => {
    const id3 = concat(ascii('ID3'), [4, 0, 0, 0, 0, 0, 5], [0, 0, 0, 0, 0]);
    const start = readMusicStart(concat(id3, infoFrame(40, 576, 1000), frames(1, 3)));
    assert.equal(start.kind, 'mp3');
    assert.equal(start.at, 15);
    assert.deepEqual(start.header, { length: FRAME_BYTES, samples: SAMPLES, rate: RATE, channels: 2, kbps: 128,
      mpeg1: true });
    assert.equal(start.length, 40 * SAMPLES - 576 - 1000);
    assert.equal(start.head.length, FRAME_BYTES);
    assert.equal(readMusicStart(concat(ascii('OggS'), frames(1, 3))).kind, 'other');
    assert.equal(readMusicStart(concat(id3, frame(0))).kind, 'more');
    assert.equal(readMusicStart(new Uint8Array(HEAD_BYTES + 4096)).kind, 'other');
    assert.equal(readMusicStart(new Uint8Array(HEAD_BYTES + 4095)).kind, 'more');
  });

  test('the frame that holds a second', () => {
    const header = { rate: RATE, samples: SAMPLES };
    assert.equal(frameAt(0, header), 1);
    assert.equal(frameAt(1, header), 39);
    assert.equal(frameAt((38 * SAMPLES) / RATE, header), 39);
    assert.equal(frameAt((38.7 * SAMPLES) / RATE, header), 39);
  });

  test('frames are counted once whole, across chunks, a padded one and a tag between them', () => {
    const file = concat([7, 7, 7], frame(0), frame(1, 1), ascii('TAGxx'), frame(2), frame(3));
    const index = new FrameIndex(5, 3);
    index.append(file.subarray(0, 500));
    assert.deepEqual(index.starts, [3]);
    index.append(file.subarray(500, 1000));
    assert.deepEqual(index.starts, [3, 420]);
    assert.equal(index.end(), 7);
    index.append(file.subarray(1000));
    // The last frame has no next to confirm it, but its header ends it.
    assert.deepEqual(index.starts, [3, 420, 843, 1260]);
    assert.equal(index.end(), 9);
    // A frame's bytes run to the next frame's start, with what lies between.
    assert.deepEqual([...index.slice(6, 7)], [...frame(1, 1), ...ascii('TAGxx')]);
    assert.equal(index.slice(7, 9).length, 2 * FRAME_BYTES);
    assert.equal(index.slice(8, 9)[5], 3);
  });
});

// A decoder that gives back, for frames k on after the file's first frame,
// the samples of the whole decode from (k - 1) * SAMPLES on: a curve of the
// sample's number, so that pieces that overlap hold the same samples.
const curve = (n) => Math.sin(n * 0.01);
const decodeFrames = (short = 0) => async (bytes) => {
  const lead = (bytes[FRAME_BYTES + 4] << 8) | bytes[FRAME_BYTES + 5];
  const length = (bytes.length / FRAME_BYTES - 1) * SAMPLES - short;
  const data = Float32Array.from({ length }, (_, i) => curve((lead - 1) * SAMPLES + i));
  return { length, lead, getChannelData: () => data };
};

describe("the music's pieces", () => {
  const header = { length: FRAME_BYTES, samples: SAMPLES, rate: RATE, channels: 2, kbps: 128, mpeg1: true };
  const made = (decode, length = null) => {
    const got = [];
    const index = new FrameIndex(0, 0);
    const pieces = new MusicPieces({ head: frame(0), header, frames: index, from: 1, length, decode,
      sink: { piece: (p) => got.push({ ...p, buffer: p.buffer.lead }) } });
    return { got, index, pieces };
  };
  const seconds = (frameNumber) => ((frameNumber - 1) * SAMPLES) / RATE;

  test('pieces come as the frames arrive: two seconds first, then a second or more, warm-up before each', async () => {
    const { got, index, pieces } = made(decodeFrames(), 149 * SAMPLES - 500);
    index.append(frames(0, 80));
    await pieces.take(false);
    assert.deepEqual(got, [], 'fewer frames than two seconds hold');
    index.append(frames(80, 101));
    await pieces.take(false);
    assert.deepEqual(got, [{ start: 0, end: seconds(98), offset: 0, buffer: 1 }]);
    index.append(frames(101, 125));
    await pieces.take(false);
    assert.equal(got.length, 1, 'less than a second more');
    index.append(frames(125, 151));
    await pieces.take(false);
    assert.equal(pieces.haveAll(), false);
    await pieces.finish();
    assert.deepEqual(got.slice(1), [
      { start: seconds(98), end: seconds(148), offset: seconds(LEAD_FRAMES + 1), buffer: 98 - LEAD_FRAMES },
      { start: seconds(148), end: (149 * SAMPLES - 500) / RATE, offset: seconds(LEAD_FRAMES + 1), buffer: 140 },
    ]);
    assert.equal(pieces.shift, 0);
  });

  test('pieces up to a frame end there, and have all once the frames after it have come', async () => {
    const { got, index } = made(decodeFrames());
    const pieces = new MusicPieces({ head: frame(0), header, frames: index, from: 1, until: 90, decode: decodeFrames(),
      sink: { piece: (p) => got.push(p) } });
    index.append(frames(0, 90 + TAIL_FRAMES));
    assert.equal(pieces.haveAll(), true);
    await pieces.finish();
    assert.deepEqual(got.map((p) => [p.start, p.end]), [[0, seconds(90)]]);
  });

  test('a piece that decodes shorter than its frames is a DecodeError', async () => {
    const { index, pieces } = made(decodeFrames(SAMPLES * 4));
    index.append(frames(0, 101));
    await pieces.take(false);
    await assert.rejects(pieces.finish(), (e) => e instanceof DecodeError
      && e.message === 'the music cannot be decoded (a piece of it came out shorter than its frames)');
  });
});

describe('the seam between two pieces', () => {
  const before = Float32Array.from({ length: 3000 }, (_, i) => curve(i));
  // The piece after holds the same samples from sample 2000 - nominal on, `late` samples late.
  const after = (late) => Float32Array.from({ length: 4000 }, (_, i) => curve(i + 2000 - 1500 - late));

  test('a piece that matches keeps its shift; one a few samples off is shifted to match', () => {
    assert.deepEqual(seamShift({ before, beforeEnd: 2000, now: after(0), nominal: 1500, shift: 0, reach: 64 }),
      { shift: 0, matched: true });
    assert.deepEqual(seamShift({ before, beforeEnd: 2000, now: after(7), nominal: 1500, shift: 0, reach: 64 }),
      { shift: 7, matched: true, unlike: 0 });
    assert.deepEqual(seamShift({ before, beforeEnd: 2000, now: after(-3), nominal: 1500, shift: 0, reach: 64 }),
      { shift: -3, matched: true, unlike: 0 });
  });

  test('a piece that matches nowhere within reach keeps its shift', () => {
    const seam = seamShift({ before, beforeEnd: 2000, now: after(100), nominal: 1500, shift: 2, reach: 64 });
    assert.equal(seam.shift, 2);
    assert.equal(seam.matched, false);
    assert.ok(seam.unlike > 1e-6, `unlike ${seam.unlike}`);
    // Too few samples before the seam to compare: no match, nothing shifted.
    const early = seamShift({ before, beforeEnd: COMPARED - 1, now: after(0), nominal: 1500, shift: 0, reach: 4 });
    assert.deepEqual(early, { shift: 0, matched: false, unlike: Infinity });
  });
});

describe("the pieces' bookkeeping", () => {
  const piece = (start, end) => ({ start, end });

  test('pieces are kept in order of start, whatever order they come in', () => {
    const pieces = [];
    for (const p of [piece(4, 6), piece(0, 2), piece(2, 4), piece(2, 3)]) insertPiece(pieces, p);
    assert.deepEqual(pieces.map((p) => [p.start, p.end]), [[0, 2], [2, 4], [2, 3], [4, 6]]);
    assert.equal(pieceAt(pieces, 2), pieces[1]);
    assert.equal(pieceAt(pieces, 1.9999999999), pieces[1], 'a bound missed by less than a sample');
    assert.equal(pieceAt(pieces, 6), undefined);
  });

  test('the music is ready up to its first gap, on through its end where the show loops it', () => {
    const pieces = [piece(0, 2), piece(2, 4), piece(5, 10)];
    assert.equal(readyUntil(pieces, Infinity, 0), 4);
    assert.equal(readyUntil(pieces, Infinity, 4.5), 4.5);
    assert.equal(readyUntil(pieces, Infinity, 6), 10);
    // A music of 10 s looped: from 6 it runs to its end, then from its start to the gap at 4.
    assert.equal(readyUntil(pieces, 10, 6), 14);
    assert.equal(readyUntil(pieces, 10, 27), 30 + 4);
    assert.equal(readyUntil([piece(0, 10)], 10, 3), Infinity);
  });
});

test('the arrival rate is the bytes over the last eight seconds, or since the first byte where that is shorter', () => {
  assert.equal(arrivalRate(0), 0);
  arrived(1000, 0);
  // Half a second at the least, so that a first burst is no rate of its own.
  assert.equal(arrivalRate(100), 2000);
  arrived(3000, 4000);
  assert.equal(arrivalRate(4000), 1000);
  arrived(2000, 10000);
  assert.equal(arrivalRate(10000), 5000 / 8);
});
