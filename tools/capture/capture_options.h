#pragma once

#include <string>

#include "shell/frame_schedule.h"
#include "shell/framing.h"
#include "shell/timing.h"

// The command line of orvel-capture.
struct CaptureOptions {
    int fps = kFrameGridFps;
    int width = kPictureWidth;
    int height = kPictureHeight;
    // Each frame drawn at this many times the width and height, then averaged.
    int supersample = 1;
    // The calm show (shell/calm.h) instead of the ordinary one.
    bool calm = false;
    double from = 0.0;
    // Negative: until the show ends.
    double to = -1.0;
    // --at T: the one frame of the grid nearest to T, T itself kept for
    // what the command line said; negative when not given.
    double at = -1.0;
    // The timing file of --timing, as given; "" for the data folder's.
    std::string timingPath;
    // Exactly one of the two is set.
    std::string pngDir;
    std::string videoPath;
};

enum class ParseResult {
    Ok,
    // --help: print the usage on standard output and stop.
    Help,
    // A wrong command line: error says what is wrong.
    Usage,
};

extern const char* const kCaptureUsage;

// Reads the arguments after the program name. On Usage, error holds one
// line that names the argument at fault.
ParseResult parseCaptureOptions(int argc, const char* const* argv, CaptureOptions* options, std::string* error);

// The frames that options write of a show played to timing, or the
// reason, in one line, why it has none: --from or --at past its end, or no
// frame of the fps grid between --from and --to. A --to past the end
// writes to the end.
FrameSchedule captureSchedule(const CaptureOptions& options, const Timing& timing, std::string* error);

// Empty when the frame that options draw (the size times the supersample
// factor) fits a buffer of at most largestWidth x largestHeight; else one
// line saying why not.
std::string checkDrawingSize(const CaptureOptions& options, int largestWidth, int largestHeight);
