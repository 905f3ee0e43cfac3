#pragma once

#include <string>
#include <vector>

#include "shell/timing.h"

// The times of a timing that an author moves one at a time on the strip
// under the picture, its handles: each segment's start from the second on,
// the end, then each flash's beginning and end, the stripes, the waves and
// the pulse.
struct TimingHandle {
    // What the page and the undo steps call it: "segment 5's start".
    std::string name;
    // A segment's bound (a start or the end), drawn across the strip; else
    // a moment inside a segment.
    bool bound;
    // The beginning of a window (a flash) that the next handle ends.
    bool opensWindow;
};

const std::vector<TimingHandle>& timingHandles();

double handleTime(const Timing& timing, int handle);

// timing with one handle at t; whether that keeps the rules is checkTiming's word.
Timing withHandleAt(const Timing& timing, int handle, double t);
