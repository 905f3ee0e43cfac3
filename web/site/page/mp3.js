// The frames of an MP3 file (MPEG-1, 2 and 2.5 layer III), read from its
// bytes so that the music can be cut into pieces that the browser decodes
// while the rest downloads: where a frame starts, how long it is, how many
// samples it holds, and what the file's first frame says of the whole (the
// "Info" or "Xing" tag that encoders write there). Pure functions of bytes:
// node's tests import this module too.

const MPEG1_RATES = [44100, 48000, 32000];
const MPEG1_KBPS = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320];
const MPEG2_KBPS = [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160];
// The frame header at bytes[at], or null where none starts:
// { length, samples, rate, channels, kbps, mpeg1 }.
export function frameHeader(bytes, at) {
  if (at + 4 > bytes.length || bytes[at] !== 0xff || (bytes[at + 1] & 0xe0) !== 0xe0) return null;
  const version = (bytes[at + 1] >> 3) & 3;   // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
  const layer = (bytes[at + 1] >> 1) & 3;     // 1 layer III
  const bitrate = bytes[at + 2] >> 4;
  const rateIndex = (bytes[at + 2] >> 2) & 3;
  if (version === 1 || layer !== 1 || bitrate === 0 || bitrate === 15 || rateIndex === 3) return null;
  const mpeg1 = version === 3;
  const rate = MPEG1_RATES[rateIndex] / (mpeg1 ? 1 : version === 2 ? 2 : 4);
  const kbps = (mpeg1 ? MPEG1_KBPS : MPEG2_KBPS)[bitrate];
  const samples = mpeg1 ? 1152 : 576;
  const padding = (bytes[at + 2] >> 1) & 1;
  const length = Math.floor((samples / 8) * kbps * 1000 / rate) + padding;
  const channels = (bytes[at + 3] >> 6) === 3 ? 1 : 2;
  return { length, samples, rate, channels, kbps, mpeg1 };
}

// The size of an ID3v2 tag at the file's start (0 for none).
export function id3Size(bytes) {
  if (bytes.length < 10 || bytes[0] !== 0x49 || bytes[1] !== 0x44 || bytes[2] !== 0x33) return 0;
  const size = (bytes[6] << 21) | (bytes[7] << 14) | (bytes[8] << 7) | bytes[9];
  return 10 + size + ((bytes[5] & 0x10) ? 10 : 0);
}

// The first frame from byte `from` up to byte `to` (at most) that the
// next frame's header confirms (a stray 0xFF in the data is no frame), or -1.
export function findFrame(bytes, from, to = bytes.length) {
  for (let at = from; at <= to && at + 4 <= bytes.length; ++at) {
    const header = frameHeader(bytes, at);
    if (!header) continue;
    const next = frameHeader(bytes, at + header.length);
    if (next && next.rate === header.rate) return at;
  }
  return -1;
}

const readBig32 = (bytes, at) =>
  ((bytes[at] << 24) | (bytes[at + 1] << 16) | (bytes[at + 2] << 8) | bytes[at + 3]) >>> 0;

// What the first frame's tag says, or null where it holds none:
// { constant (an "Info" tag: a constant bit rate), frames (the audio frames
// after this one, 0 if not told), delay and padding (the samples that the
// encoder added before and after the music, which a decoder leaves out; 0
// if not told) }.
export function fileTag(bytes, at) {
  const header = frameHeader(bytes, at);
  if (!header) return null;
  const sideInfo = header.mpeg1 ? (header.channels === 1 ? 17 : 32) : (header.channels === 1 ? 9 : 17);
  let p = at + 4 + sideInfo;
  const id = String.fromCharCode(...bytes.subarray(p, p + 4));
  if (id !== 'Info' && id !== 'Xing') return null;
  const flags = readBig32(bytes, p + 4);
  p += 8;
  const frames = flags & 1 ? readBig32(bytes, p) : 0;
  p += (flags & 1 ? 4 : 0) + (flags & 2 ? 4 : 0) + (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
  // The LAME extension: 21 bytes on, the encoder's delay and padding, 12 bits each.
  let delay = 0;
  let padding = 0;
  if (String.fromCharCode(...bytes.subarray(p, p + 4)) === 'LAME' && p + 24 <= at + header.length) {
    delay = (bytes[p + 21] << 4) | (bytes[p + 22] >> 4);
    padding = ((bytes[p + 22] & 0x0f) << 8) | bytes[p + 23];
  }
  return { constant: id === 'Info', frames, delay, padding };
}

// The samples that a whole decode of the file holds, where its tag tells.
export function decodedLength(tag, samplesPerFrame) {
  if (!tag || !tag.frames || !(tag.delay || tag.padding)) return null;
  return tag.frames * samplesPerFrame - tag.delay - tag.padding;
}

// Where frame k of a file of constant bit rate starts: frames grow by one
// byte of padding now and then so that their average length is exact, so
// that the start of frame k lies a few bytes at most from first + k times
// it (the file's first frame, its tag, has no padding), far less than half
// a frame: constantFrameNumber tells a frame found near there exactly.
export function constantFrameStart(first, header, k) {
  return first + Math.round((k * header.samples * header.kbps * 1000) / (8 * header.rate));
}

// The number of a frame found at byte `at` of a file of constant bit rate
// whose frame 0 starts at `first`.
export function constantFrameNumber(first, header, at) {
  return Math.round(((at - first) * 8 * header.rate) / (header.samples * header.kbps * 1000));
}
