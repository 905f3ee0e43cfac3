#include "tools/capture/capture_options.h"

#include <cstdio>

#include "shell/plain_number.h"
#include "shell/timing.h"

const char* const kCaptureUsage =
    "usage: orvel-capture [--version] [--calm] [--fps N] [--size WxH] [--supersample N] [--from T0] "
    "[--to T1 | --at T] [--timing FILE] (--png DIR | --video OUT.mp4)";

namespace {

// Far beyond any buffer: the real bound is OSMesa's, asked at run time.
constexpr long kMaxSide = 1 << 20;
constexpr long kMaxFps = 1000;
constexpr long kMaxSupersample = 4;

}  // namespace

ParseResult parseCaptureOptions(int argc, const char* const* argv, CaptureOptions* options, std::string* error) {
    CaptureOptions o;
    bool toGiven = false;
    bool fromGiven = false;
    bool atGiven = false;
    for (int i = 0; i < argc; ++i) {
        std::string name = argv[i];
        std::string value;
        bool hasValue = false;
        const size_t equals = name.find('=');
        if (name.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            hasValue = true;
        }
        if (name == "--help" || name == "-h") return ParseResult::Help;
        if (name == "--calm" && !hasValue) {
            o.calm = true;
            continue;
        }
        const bool known = name == "--fps" || name == "--size" || name == "--supersample" || name == "--from" ||
                           name == "--to" || name == "--at" || name == "--timing" || name == "--png" ||
                           name == "--video";
        if (!known) {
            *error = "unknown option " + std::string(argv[i]);
            return ParseResult::Usage;
        }
        if (!hasValue) {
            if (i + 1 >= argc) {
                *error = name + " needs a value";
                return ParseResult::Usage;
            }
            value = argv[++i];
        }
        bool good = true;
        if (name == "--fps") {
            long fps = 0;
            good = parseWholeNumber(value, 1, kMaxFps, &fps);
            o.fps = int(fps);
        } else if (name == "--size") {
            good = parseFrameSize(value, kMaxSide, &o.width, &o.height);
        } else if (name == "--supersample") {
            long n = 0;
            if (!parseWholeNumber(value, 1, kMaxSupersample, &n)) {
                *error = "--supersample takes 1, 2, 3 or 4, not '" + value + "'";
                return ParseResult::Usage;
            }
            o.supersample = int(n);
        } else if (name == "--from") {
            good = parsePlainDecimal(value, &o.from);
            fromGiven = true;
        } else if (name == "--to") {
            good = parsePlainDecimal(value, &o.to);
            toGiven = true;
        } else if (name == "--at") {
            good = parsePlainDecimal(value, &o.at);
            atGiven = true;
        } else if (name == "--timing") {
            good = !value.empty();
            o.timingPath = value;
        } else if (name == "--png") {
            good = !value.empty();
            o.pngDir = value;
        } else {
            good = !value.empty();
            o.videoPath = value;
        }
        if (!good) {
            *error = "bad value for " + name + ": '" + value + "'";
            return ParseResult::Usage;
        }
    }
    if (o.pngDir.empty() == o.videoPath.empty()) {
        *error = o.pngDir.empty() ? "choose an output: --png DIR or --video OUT.mp4"
                                  : "choose one output: --png or --video, not both";
        return ParseResult::Usage;
    }
    if (atGiven && (fromGiven || toGiven)) {
        *error = "--at names one frame: not with --from or --to";
        return ParseResult::Usage;
    }
    if (toGiven && o.to < o.from) {
        *error = "--to comes before --from";
        return ParseResult::Usage;
    }
    // The H.264 encoder takes 4:2:0 pictures, whose sides must be even.
    if (!o.videoPath.empty() && (o.width % 2 != 0 || o.height % 2 != 0)) {
        *error =
            "a video needs an even width and height, not " + std::to_string(o.width) + "x" + std::to_string(o.height);
        return ParseResult::Usage;
    }
    *options = o;
    return ParseResult::Ok;
}

FrameSchedule captureSchedule(const CaptureOptions& options, const Timing& timing, std::string* error) {
    const bool at = options.at >= 0.0;
    // Before the time becomes a frame number, which 1e300 would overflow.
    *error = pastTheEnd(at ? "--at" : "--from", at ? options.at : options.from, timing);
    if (!error->empty()) return FrameSchedule(timing, options.fps, timing.end() + 1.0, -1.0);
    const double from = at ? double(FrameSchedule::nearestFrame(options.at, options.fps)) / options.fps : options.from;
    const FrameSchedule schedule(timing, options.fps, from, at ? from : options.to);
    if (schedule.writtenCount() > 0) return schedule;
    char text[160];
    if (at) {
        std::snprintf(text, sizeof text, "--at names a frame past the end of the show (%.2f s) at %d frames a second",
                      timing.end(), options.fps);
    } else {
        std::snprintf(text, sizeof text, "no frame of the show lies between --from and --to at %d frames a second",
                      options.fps);
    }
    *error = text;
    return schedule;
}

std::string checkDrawingSize(const CaptureOptions& options, int largestWidth, int largestHeight) {
    const long width = long(options.width) * options.supersample;
    const long height = long(options.height) * options.supersample;
    if (width <= largestWidth && height <= largestHeight) return "";
    std::string what = "--size " + std::to_string(options.width) + "x" + std::to_string(options.height);
    if (options.supersample > 1) what += " with --supersample " + std::to_string(options.supersample);
    return what + " draws " + std::to_string(width) + "x" + std::to_string(height) +
           " pixels, more than OSMesa's largest buffer of " + std::to_string(largestWidth) + "x" +
           std::to_string(largestHeight);
}
