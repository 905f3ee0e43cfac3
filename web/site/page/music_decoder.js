// The browser's decoder, as the music's pieces use it, and the one error
// that says the music cannot be decoded (the show then runs silent).
export class DecodeError extends Error {}

const cannotDecode = (e) => { throw new DecodeError(`the music cannot be decoded (${e})`); };

// A decoder of small files of `channels` channels at `rate`: bytes to an AudioBuffer.
export function decoder(channels, rate) {
  const context = new OfflineAudioContext(channels, 1, rate);
  return (bytes) => context.decodeAudioData(bytes.buffer).catch(cannotDecode);
}

// A file that is no MP3, decoded whole once it has arrived.
export async function decodeWhole(bytes, sink) {
  const decoded = await new OfflineAudioContext(2, 1, 44100).decodeAudioData(bytes.slice().buffer)
    .catch(cannotDecode);
  sink.length(decoded.duration);
  sink.piece({ start: 0, end: decoded.duration, buffer: decoded, offset: 0 });
}
