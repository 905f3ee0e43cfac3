// Byte arrays copied into the program's memory for the length of a call,
// which takes each as a pointer and a length.
export function withBytes(arrays, call) {
  const pointers = arrays.map((bytes) => {
    const pointer = Module._malloc(Math.max(1, bytes.length));
    Module.HEAPU8.set(bytes, pointer);
    return pointer;
  });
  try {
    call(...pointers.flatMap((pointer, i) => [pointer, arrays[i].length]));
  } finally {
    for (const pointer of pointers) Module._free(pointer);
  }
}
