// A growing copy of the bytes received, doubled as it fills so that
// appending stays cheap while a file downloads.
export class ByteBuffer {
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
