// Loads arbitrary bytes as a scene file. Run from a scratch directory: a
// texture name in the input is looked up relative to it.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "scene/scene.h"
#include "offscreen/offscreen_context.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The loader prints its progress on standard output; keep the fuzzer's own output readable.
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    static OffscreenContext context(16, 16);
    if (!context.ok()) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* stream = size ? ::fmemopen(const_cast<uint8_t*>(data), size, "rb") : std::tmpfile();
    if (!stream) return 0;
    Scene scene;
    scene.loadStream(stream);
    // Walk what was loaded the way the show and the report do.
    for (int i = 0; i < scene.getMeshCount(); ++i) {
        Mesh* mesh = scene.getMesh(i);
        for (int j = 0; j < mesh->getTriangleCount() && j < 64; ++j) mesh->getFaceRecord(j);
    }
    return 0;
}
