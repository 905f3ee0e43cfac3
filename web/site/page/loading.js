// The program's files, fetched here rather than by its loader, so that the
// progress shows and a missing or damaged file is said in words; then the
// program's script, which runs the show.
import { showLoading, showProgress } from './first_screen.js';
import { fail } from './status.js';

// Resolves to the file's bytes; progress counts them as they arrive.
async function fetchFile(name, progress) {
  let response;
  try {
    response = await fetch(name);
  } catch (e) {
    throw new Error(`${name} could not be loaded: ${e.message}`);
  }
  if (!response.ok) throw new Error(`${name} could not be loaded: ${response.status} ${response.statusText}`.trim());
  progress.total += Number(response.headers.get('Content-Length')) || 0;
  const reader = response.body.getReader();
  const chunks = [];
  let size = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    chunks.push(value);
    size += value.length;
    progress.add(value.length);
  }
  const bytes = new Uint8Array(size);
  let at = 0;
  for (const chunk of chunks) {
    bytes.set(chunk, at);
    at += chunk.length;
  }
  return bytes.buffer;
}

// The program's files handed to Module (main.js made it), then its script.
export async function load() {
  showLoading();
  const progress = {
    total: 0,
    received: 0,
    add(n) {
      this.received += n;
      showProgress(this.total ? Math.min(100, Math.floor(100 * this.received / this.total)) : 0);
    },
  };
  let wasm;
  let data;
  try {
    [wasm, data] = await Promise.all([fetchFile('orvel.wasm', progress), fetchFile('orvel.data', progress)]);
  } catch (e) {
    fail(e.message);
    return;
  }
  Module.wasmBinary = wasm;
  Module.getPreloadedPackage = (name, size) => {
    if (data.byteLength !== size) fail(`orvel.data is damaged: ${data.byteLength} bytes where ${size} belong`);
    return data;
  };
  const script = document.createElement('script');
  script.src = 'orvel.js';
  script.onerror = () => fail('orvel.js could not be loaded');
  document.body.appendChild(script);
}
