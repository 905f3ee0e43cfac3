// A file of the site, fetched: the response, or an error that says in
// words which file could not be loaded and why (the page's status line
// shows it). init as fetch takes it (a Range header, a signal).
export async function openSiteFile(name, init) {
  let response;
  try {
    response = await fetch(name.split('/').map(encodeURIComponent).join('/'), init);
  } catch (e) {
    throw new Error(`${name} could not be loaded: ${e.message}`);
  }
  if (!response.ok) {
    // Read to its end, the answer ends as a request that failed no further.
    await response.arrayBuffer().catch(() => {});
    const error = new Error(`${name} could not be loaded: ${response.status} ${response.statusText}`.trim());
    error.status = response.status;
    throw error;
  }
  return response;
}

// The file's bytes as they arrive: each chunk to got(chunk), which returns
// false to read no more; resolves when the file is whole, or left.
export async function readChunks(name, response, got) {
  const reader = response.body.getReader();
  for (;;) {
    let read;
    try {
      read = await reader.read();
    } catch (e) {
      throw new Error(`${name} could not be loaded: ${e.message}`);
    }
    if (read.done) return;
    if (got(read.value) === false) {
      reader.cancel().catch(() => {});
      return;
    }
  }
}
