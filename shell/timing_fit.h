#pragma once

#include <string>
#include <vector>

#include "shell/timing.h"

// The beats and bars found in a piece of music (rhythm/), as the show is
// fitted to them.
struct MusicBeats {
    // The music's file name, with no folder part.
    std::string music;
    // How long the music lasts.
    double seconds = 0.0;
    // Each beat's time in seconds, in order.
    std::vector<double> beats;
    // beats[firstDownbeat] starts the first bar, every beatsPerBar-th beat
    // after it another.
    int firstDownbeat = 0;
    int beatsPerBar = 4;
};

struct FittedTiming {
    bool ok = false;
    Timing timing;
    // Why the music cannot carry the show, in words.
    std::string error;
};

// The show's timing fitted to music: every segment starts on a bar line of
// the music and keeps as many bars as the built-in show gives it (the
// opening two, bars of four beats up to segment 10, the closing titles'
// bars of five after); where the music's bars are much longer or shorter
// than the show's, a segment's bars are scaled so that it lasts about as
// many seconds, rounded to whole bars, never under one. The show ends on a
// bar line within the music; music too short for it shortens the longest
// segments a bar at a time. The flashes fall on the beats and half-beats of
// segment 4 where the built-in ones do, the stripes, the waves and the
// pulse on their beats. Times are rounded to the millisecond.
FittedTiming fitTiming(const MusicBeats& music);
