#pragma once

#include <cstdio>
#include <string>

// A line for each frame the window shows, for the end-to-end tests that hold
// a picture of the screen against the moment of the show it was taken at:
// when the frame was shown, in seconds since 1970 by the system's clock
// (which a test's `date +%s.%N` reads too), the demo time it was drawn for,
// and the demo time by the show's clock as it was shown. The environment's
// ORVEL_FRAME_LOG names the file; without it nothing is written.
class FrameLog {
public:
    FrameLog() = default;
    FrameLog(const FrameLog&) = delete;
    FrameLog& operator=(const FrameLog&) = delete;
    ~FrameLog();

    // Opens the file that ORVEL_FRAME_LOG names, if it names one; false,
    // with error saying why, when it cannot be written.
    bool openFromEnvironment(std::string* error);
    // A frame shown now. Each line is flushed: the show ends by exit().
    void shown(float drawnAt, float clockAt);

private:
    std::FILE* file_ = nullptr;
};
