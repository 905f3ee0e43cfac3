// scene-report INPUT.3ds REPORT.txt
//
// Loads one scene in the current working directory (texture names resolve
// relative to it), with the loader's progress messages on standard output,
// and writes its debug report. Exit 0 when the load succeeded and the report
// was written, 1 otherwise, 2 on wrong usage.

#include <cstdio>

#include "scene/scene.h"
#include "offscreen/offscreen_context.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: scene-report INPUT.3ds REPORT.txt\n");
        return 2;
    }
    const char* input = argv[1];
    const char* report = argv[2];

    // Textures are decoded and uploaded as in the show, so a context must be current.
    OffscreenContext context(16, 16);
    if (!context.ok()) {
        std::fprintf(stderr, "scene-report: %s\n", context.error().c_str());
        return 1;
    }

    Scene scene;
    bool loaded = scene.load(input);
    std::fflush(stdout);
    if (!loaded) std::fprintf(stderr, "scene-report: %s: %s\n", input, scene.getLoadError().c_str());
    bool written = scene.writeDebugReport(report);
    if (!written) std::fprintf(stderr, "scene-report: %s: cannot write the report\n", report);
    return loaded && written ? 0 : 1;
}
