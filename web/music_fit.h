#pragma once

#include <cstddef>
#include <string>

#include "rhythm/beat_tracker.h"
#include "shell/timing_fit.h"

// A piece of music's beats and bars and the show's timing fitted to them,
// as show-schedule --fit finds them, for the page: the music decoded by the
// browser, mixed to mono.
struct MusicFit {
    BeatGrid grid;
    // The fitted timing, in the timing file's words; empty when refused.
    std::string timingText;
    // Why the music carries no show, in one line naming the music; empty when fitted.
    std::string error;

    bool ok() const { return error.empty(); }
};

// The fit of count mono samples at sampleRate, of the music file named
// name (no folder part), its downbeat moved on by downbeatShift beats.
MusicFit fitMusic(const float* samples, std::size_t count, double sampleRate, const std::string& name,
                  int downbeatShift);
