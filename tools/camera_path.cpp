// camera-path INPUT.3ds MODE OUT.txt [FIRST LAST] [--svg PATH.svg]
//
// Loads one scene (texture names resolve relative to the working directory;
// the loader's progress messages go to standard output), then, for every
// frame from FIRST to LAST (by default the keyframer's frame range), runs one
// scene animation operation and writes a line: the frame, then the animated
// position and target of every camera. MODE is spline, linear or loop.
// With --svg, also draws the camera paths, seen from above and from the
// side, with the keys of the driving track marked.
//
// Exit 0 on success, 1 when the scene cannot be loaded or a file cannot be
// written, 2 on wrong usage.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "animation/camera_animation.h"
#include "offscreen/offscreen_context.h"
#include "scene/scene.h"
#include "tools/path_svg.h"

namespace {

const char kUsage[] = "usage: camera-path INPUT.3ds spline|linear|loop OUT.txt [FIRST LAST] [--svg PATH.svg]\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// A whole argument as an int: an optional sign and decimal digits, nothing else.
bool parseFrame(const char* text, int& value) {
    const char* digits = text + ((text[0] == '-' || text[0] == '+') ? 1 : 0);
    if (*digits == '\0') return false;
    for (const char* c = digits; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
    }
    errno = 0;
    char* end = nullptr;
    long long parsed = std::strtoll(text, &end, 10);
    if (errno == ERANGE || *end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX) return false;
    value = int(parsed);
    return true;
}

// The track the operation reads.
int evaluatedTrack(const std::string& mode) { return mode == "loop" ? 0 : kAnimatedTrackIndex; }

struct Options {
    const char* input = nullptr;
    std::string mode;
    const char* outName = nullptr;
    // Without a range, the keyframer's frame range.
    bool range = false;
    int first = 0;
    int last = 0;
    std::string svgPath;
};

// False on a wrong command line.
bool parseArguments(int argc, char** argv, Options& o) {
    int positional = argc - 1;
    if (positional >= 2 && std::strcmp(argv[argc - 2], "--svg") == 0) {
        o.svgPath = argv[argc - 1];
        positional -= 2;
        if (o.svgPath.empty()) return false;
    }
    if (positional != 3 && positional != 5) return false;
    o.input = argv[1];
    o.mode = argv[2];
    o.outName = argv[3];
    if (o.mode != "spline" && o.mode != "linear" && o.mode != "loop") return false;
    o.range = positional == 5;
    return !o.range || (parseFrame(argv[4], o.first) && parseFrame(argv[5], o.last));
}

// Runs the operation at every frame of the range and writes a line for each;
// with a plot, also collects the cameras' paths. False when writing fails.
bool writePaths(Scene& scene, const Options& o, std::FILE* out, PathPlot* plot) {
    void (Scene::*operation)(int) = o.mode == "spline"   ? &Scene::animateSpline
                                    : o.mode == "linear" ? &Scene::animateLinear
                                                         : &Scene::animateSplineLoop;
    bool written = true;
    // Counted wide so that a range ending at the largest int still ends.
    for (int64_t frame = o.first; frame <= o.last && written; ++frame) {
        const int f = int(frame);
        (scene.*operation)(f);

        written = std::fprintf(out, "%d", f) >= 0;
        for (int c = 0; c < scene.getCameraCount() && written; ++c) {
            const Camera& camera = *scene.getCamera(c);
            const Vec3 p = camera.getAnimatedPosition();
            const Vec3 t = camera.getAnimatedTarget();
            written = std::fprintf(out, " %.6f %.6f %.6f %.6f %.6f %.6f", double(p.x), double(p.y), double(p.z),
                                   double(t.x), double(t.y), double(t.z)) >= 0;
            if (plot) {
                plot->cameras[size_t(c)].positions.push_back(p);
                plot->cameras[size_t(c)].targets.push_back(t);
            }
        }
        written = written && std::fputc('\n', out) != EOF;
        if (plot) plot->frames.push_back(f);
    }
    return written;
}

// Marks the keys of the track that the operation reads, when it drives a camera.
void markKeys(PathPlot& plot, const Keyframer& keyframer, const std::string& mode) {
    const int index = evaluatedTrack(mode);
    const Track* track = keyframer.getTrack(index);
    if (!track || (track->getKind() != TRACK_CAMERA_POS && track->getKind() != TRACK_CAMERA_TARGET)) return;
    for (int i = 0; i < track->getKeyCount(); ++i) {
        const Key& key = *track->getKey(i);
        plot.keys.push_back(PathKey{key.frame, key.value});
    }
    char name[32] = {};
    track->getName(name, sizeof name);
    plot.keyCaption = "keys of track " + std::to_string(index) + " (" +
                      (name[0] ? std::string(name) + ", " : std::string()) +
                      (track->getKind() == TRACK_CAMERA_POS ? "position" : "target") + ")";
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parseArguments(argc, argv, o)) return usage();

    // Textures are decoded and uploaded as in the show, so a context must be current.
    OffscreenContext context(16, 16);
    if (!context.ok()) {
        std::fprintf(stderr, "camera-path: %s\n", context.error().c_str());
        return 1;
    }

    Scene scene;
    const bool loaded = scene.load(o.input);
    std::fflush(stdout);
    if (!loaded) {
        std::fprintf(stderr, "camera-path: %s: %s\n", o.input, scene.getLoadError().c_str());
        return 1;
    }
    const Keyframer keyframer = scene.getKeyframer();
    if (!o.range) {
        o.first = keyframer.getFramesStart();
        o.last = keyframer.getFramesEnd();
    }

    std::FILE* out = std::fopen(o.outName, "wb");
    if (!out) {
        std::fprintf(stderr, "camera-path: %s: cannot write: %s\n", o.outName, std::strerror(errno));
        return 1;
    }
    PathPlot plot;
    plot.caption = std::string(o.input) + ", " + o.mode;
    plot.cameras.resize(size_t(scene.getCameraCount()));
    bool written = writePaths(scene, o, out, o.svgPath.empty() ? nullptr : &plot);
    if (std::fclose(out) != 0) written = false;
    if (!written) {
        std::fprintf(stderr, "camera-path: %s: cannot write\n", o.outName);
        return 1;
    }

    if (!o.svgPath.empty()) {
        markKeys(plot, keyframer, o.mode);
        if (!writePathSvg(plot, o.svgPath)) {
            std::fprintf(stderr, "camera-path: %s: cannot write the drawing\n", o.svgPath.c_str());
            return 1;
        }
    }
    return 0;
}
