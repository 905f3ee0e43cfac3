// How the music file is fetched: a first range, what the show's start
// waits for, then the rest once the show has that, so that the rest does
// not share the link with it; the whole file where the server ignores ranges.
//
// A source hands a file's bytes, as they arrive, to receive(chunk), which
// returns false when it wants no more (as receive.haveAll() says from then
// on); the source resolves when they end.
import { openSiteFile, readChunks } from './site_file.js';

// The bytes fetched first from a file's start: its first piece at up to
// 224 kbit/s, with the frames around it. The rest waits for the show's start.
export const FIRST_RANGE = 65536;

// A server that answers a range with the whole file after it answered one with a part.
export const partIgnored = (name) => new Error(
  `${name} could not be loaded: the server sent all of it where a part was asked for`);

// The bytes of a response, as a server that ignores ranges sends the file.
export const wholeResponse = (name, response) => (receive) => readChunks(name, response, receive);

// The file from byte `from`: `firstAnswer` (the answer to a range of
// `asked` bytes, read already), then, once `showStarted` resolves, the rest.
export function rangesFrom(name, from, firstAnswer, asked, showStarted) {
  return async (receive) => {
    if (receive(firstAnswer) === false || firstAnswer.length < asked) return;
    await showStarted;
    if (receive.haveAll()) return;
    let response;
    try {
      response = await openSiteFile(name, { headers: { Range: `bytes=${from + firstAnswer.length}-` } });
    } catch (e) {
      // The file ended where the first range did.
      if (e.status === 416) return;
      throw e;
    }
    if (response.status !== 206) {
      response.body.cancel().catch(() => {});
      throw partIgnored(name);
    }
    await readChunks(name, response, receive);
  };
}

// `bytes` bytes of the file from byte `begin`: { bytes, size (the file's) },
// none where the file ends before `begin` (416), or { whole } where the
// server ignores ranges and sends the whole file.
export async function fetchRange(name, begin, bytes) {
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
