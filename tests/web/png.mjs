// PNG pictures as RGBA pixels, and how far two pictures differ. Reads the
// 8-bit, non-interlaced RGB and RGBA files that orvel-capture and Chromium
// write; anything else is refused with an error.
import { crc32, deflateSync, inflateSync } from 'node:zlib';

const SIGNATURE = Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);

function paeth(a, b, c) {
  const p = a + b - c;
  const pa = Math.abs(p - a);
  const pb = Math.abs(p - b);
  const pc = Math.abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

export function decodePng(bytes) {
  const data = Buffer.from(bytes);
  if (data.length < 8 || !data.subarray(0, 8).equals(SIGNATURE)) throw new Error('not a PNG file');
  let width = 0, height = 0, channels = 0;
  const idat = [];
  for (let at = 8; at + 8 <= data.length;) {
    const length = data.readUInt32BE(at);
    const type = data.toString('latin1', at + 4, at + 8);
    if (length > data.length - at - 12) throw new Error('PNG chunk ' + type + ' runs past the end');
    const body = data.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      const depth = body[8], colour = body[9], interlace = body[12];
      if (depth !== 8 || (colour !== 2 && colour !== 6) || interlace !== 0)
        throw new Error(`PNG of depth ${depth}, colour type ${colour}, interlace ${interlace}: not read here`);
      channels = colour === 2 ? 3 : 4;
    } else if (type === 'IDAT') {
      idat.push(body);
    } else if (type === 'IEND') {
      break;
    }
    at += 12 + length;
  }
  if (!channels) throw new Error('PNG without a header');
  const raw = inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  if (raw.length < height * (stride + 1)) throw new Error('PNG image data is short');
  const rows = Buffer.alloc(height * stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const out = rows.subarray(y * stride, (y + 1) * stride);
    const prior = y > 0 ? rows.subarray((y - 1) * stride, y * stride) : Buffer.alloc(stride);
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? out[x - channels] : 0;
      const b = prior[x];
      const c = x >= channels ? prior[x - channels] : 0;
      const predictor = [0, a, b, (a + b) >> 1, paeth(a, b, c)][filter];
      if (predictor === undefined) throw new Error('PNG filter ' + filter + ' unknown');
      out[x] = (line[x] + predictor) & 0xff;
    }
  }
  const rgba = Buffer.alloc(width * height * 4);
  for (let i = 0; i < width * height; ++i) {
    for (let c = 0; c < 3; ++c) rgba[4 * i + c] = rows[channels * i + c];
    rgba[4 * i + 3] = channels === 4 ? rows[channels * i + 3] : 255;
  }
  return { width, height, rgba };
}

// The rectangle of a picture from (x, y), width by height pixels.
export function cropPicture(picture, x, y, width, height) {
  if (x < 0 || y < 0 || x + width > picture.width || y + height > picture.height)
    throw new Error(`${width}x${height} at ${x},${y} lies outside a ${picture.width}x${picture.height} picture`);
  const rgba = Buffer.alloc(width * height * 4);
  for (let row = 0; row < height; ++row)
    picture.rgba.copy(rgba, row * width * 4, 4 * ((y + row) * picture.width + x), 4 * ((y + row) * picture.width + x + width));
  return { width, height, rgba };
}

// An 8-bit RGBA PNG file of a picture, unfiltered.
export function encodePng({ width, height, rgba }) {
  const chunk = (type, body) => {
    const head = Buffer.alloc(8);
    head.writeUInt32BE(body.length, 0);
    head.write(type, 4, 'latin1');
    const crc = Buffer.alloc(4);
    crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), body])), 0);
    return Buffer.concat([head, body, crc]);
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 6, 0, 0, 0], 8);
  const rows = Buffer.alloc(height * (4 * width + 1));
  for (let y = 0; y < height; ++y) rgba.copy(rows, y * (4 * width + 1) + 1, 4 * width * y, 4 * width * (y + 1));
  return Buffer.concat([SIGNATURE, chunk('IHDR', header), chunk('IDAT', deflateSync(rows)), chunk('IEND', Buffer.alloc(0))]);
}

// Two pictures of the same frame match when at most MATCH_SHARE of their
// pixels differ by more than MATCH_LEVELS levels in red, green or blue:
// renderers round and sample differently at edges, but a wrong frame or a
// wrong texture differs in far more pixels.
export const MATCH_LEVELS = 24;
export const MATCH_SHARE = 0.02;

// The share of pixels (0 to 1) whose red, green or blue differ by more than
// tolerance levels.
export function differingShare(a, b, tolerance) {
  if (a.width !== b.width || a.height !== b.height)
    throw new Error(`pictures of ${a.width}x${a.height} and ${b.width}x${b.height} cannot be compared`);
  let differing = 0;
  const n = a.width * a.height;
  for (let i = 0; i < n; ++i) {
    for (let c = 0; c < 3; ++c) {
      if (Math.abs(a.rgba[4 * i + c] - b.rgba[4 * i + c]) > tolerance) {
        ++differing;
        break;
      }
    }
  }
  return differing / n;
}
