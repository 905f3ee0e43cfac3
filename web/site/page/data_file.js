// The page's data files as tools/pack_site.cpp writes them, read as they
// arrive: each pack unpacked as soon as its bytes are there and handed over
// whole, in the file's order. Every size is checked against the bytes that
// remain; a file that is not the show's data, or is cut short or damaged,
// is said by name.
import { openSiteFile, readChunks } from './site_file.js';

const MAGIC = 'ORVELDAT';
const VERSION = 1;
const HEADER_BYTES = 20;

const u32 = (bytes, at) => (bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (bytes[at + 3] << 24)) >>> 0;

async function gunzip(bytes) {
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

// The files of an unpacked pack: [{ name, bytes }], or null where its sizes
// run past its end.
export function packFiles(bytes) {
  const files = [];
  const text = new TextDecoder();
  let at = 0;
  while (at < bytes.length) {
    if (bytes.length - at < 4) return null;
    const nameLength = u32(bytes, at);
    at += 4;
    if (nameLength > bytes.length - at || bytes.length - at - nameLength < 4) return null;
    const name = text.decode(bytes.subarray(at, at + nameLength));
    at += nameLength;
    const size = u32(bytes, at);
    at += 4;
    if (size > bytes.length - at) return null;
    files.push({ name, bytes: bytes.subarray(at, at + size) });
    at += size;
  }
  return files;
}

// Bytes that have arrived and are not read yet, kept as they came.
class Queue {
  constructor() {
    this.chunks = [];
    this.length = 0;
  }

  push(chunk) {
    this.chunks.push(chunk);
    this.length += chunk.length;
  }

  // The first n bytes, taken out of the queue.
  take(n) {
    const out = new Uint8Array(n);
    for (let at = 0; at < n;) {
      const chunk = this.chunks[0];
      const count = Math.min(chunk.length, n - at);
      out.set(chunk.subarray(0, count), at);
      at += count;
      if (count === chunk.length) this.chunks.shift(); else this.chunks[0] = chunk.subarray(count);
    }
    this.length -= n;
    return out;
  }

  // The first four bytes as a number, left in the queue.
  peek32() {
    const first = this.take(4);
    this.chunks.unshift(first);
    this.length += 4;
    return u32(first, 0);
  }
}

// Reads the data file `name`: bytes(count, total) as they arrive, and
// pack(files) for each pack, in order ([{ name, bytes }]); resolves once
// every pack is handed over, rejects with an Error that says what is wrong
// as soon as the bytes that are wrong have arrived (the rest is not read).
export async function readDataFile(name, { bytes, pack }) {
  if (typeof DecompressionStream !== 'function') {
    throw new Error(`This browser cannot unpack the show's data (${name}): it has no DecompressionStream`);
  }
  const damaged = (why) => new Error(`${name} is damaged: ${why}`);
  const abort = new AbortController();
  const response = await openSiteFile(name, { signal: abort.signal });
  const held = new Queue();
  let total = null;
  let packs = 0;
  let received = 0;
  let handed = Promise.resolve();
  let broken = null;
  let stop;
  const stopped = new Promise((resolve, reject) => { stop = reject; });
  stopped.catch(() => {});
  const unpackPack = (body) => {
    const unpacked = gunzip(body).catch((e) => { throw damaged(`a pack does not unpack (${e.message})`); });
    handed = handed.then(() => unpacked).then((plain) => {
      const files = packFiles(plain);
      if (!files) throw damaged('a pack\'s sizes run past its end');
      pack(files);
    });
    // A pack that cannot be handed over ends the reading at once.
    handed.catch((e) => {
      broken = broken || e;
      stop(broken);
      abort.abort();
    });
  };
  const reading = readChunks(name, response, (chunk) => {
    if (broken) return false;
    received += chunk.length;
    held.push(chunk);
    // Chunks that came before the header was whole are counted with the one that completes it.
    const fresh = total === null ? received : chunk.length;
    if (total === null) {
      if (held.length < HEADER_BYTES) return true;
      const header = held.take(HEADER_BYTES);
      const magic = String.fromCharCode(...header.subarray(0, 8));
      if (magic !== MAGIC) throw new Error(`${name} is not the show's data: it starts with "${magic}"`);
      if (u32(header, 8) !== VERSION) throw new Error(`${name} is data of version ${u32(header, 8)}, not ${VERSION}`);
      packs = u32(header, 12);
      total = u32(header, 16);
    }
    bytes(fresh, total);
    while (held.length >= 4 && held.peek32() <= held.length - 4) {
      const size = u32(held.take(4), 0);
      unpackPack(held.take(size));
      packs -= 1;
    }
    return true;
  });
  // Where the reading ends for a pack that could not be handed over, its error is that pack's.
  reading.catch(() => {});
  await Promise.race([reading, stopped]);
  if (broken) throw broken;
  if (total === null || received !== total || packs !== 0 || held.length !== 0) {
    throw damaged(`${received} bytes where ${total ?? 'more'} belong`);
  }
  await handed;
}
