#pragma once

#include <string>

#include "shell/timing.h"

// The frame that the page's ?at=T (or ?t=T) asks for: frame k = round(fps *
// T) of the capture's schedule at fps frames a second, k / fps being its
// demo time.
struct FrameRequest {
    bool ok = false;
    long frame = 0;
    // When not ok: one line saying why.
    std::string error;
};

// T must be a plain decimal number (digits, a point, an exponent), not
// negative, and its frame must be one the show still draws (its time at or
// below the end that timing gives the show): anything else is refused, the error beginning
// with the parameter's name: "at=TEXT: ...".
FrameRequest parseFrameRequest(const Timing& timing, const std::string& name, const std::string& text, int fps);
