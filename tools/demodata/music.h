#pragma once

#include <vector>

#include "shell/schedule.h"

// The show's music, a track of its own: electronic music in A minor at
// about 100 beats a minute, 44100 Hz stereo, as long as the show and a
// little more. It is built on the show's schedule: its sections change
// where the show changes segments, the closing titles come in bars of five
// beats, and every moment the picture changes at is a hit of the
// arrangement: a section's opening hit after a stop or a fill at each cut,
// chord stabs at the flashes of the opening object, a drop with the
// stripes, stabs off the beat where the waves and the pulse begin. Both
// ends fade so that the track loops without a click.
struct Music {
    std::vector<float> left;
    std::vector<float> right;
};

// The fade at the track's end, after the show's last frame, so that the
// closing chord is still heard whole when the picture ends.
constexpr double kMusicFadeOutSeconds = 0.6;

// Whole seconds at least as long as seconds (which is positive).
constexpr double wholeSecondsUp(double seconds) {
    return double(long(seconds)) < seconds ? double(long(seconds) + 1) : seconds;
}

// The track lasts the show, then its fade out, and runs on to the next
// whole second.
constexpr double kMusicSeconds = wholeSecondsUp(schedule::kShowEnd + kMusicFadeOutSeconds);

Music renderMusic();
