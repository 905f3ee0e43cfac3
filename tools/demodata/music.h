#pragma once

#include <vector>

// The show's music, a track of its own: 122 seconds of electronic music in
// A minor at about 100 beats a minute, 44100 Hz stereo. It is built on the
// show's schedule: its sections change where the show changes segments, the
// closing titles come in bars of five beats, and every moment the picture
// changes at is a hit of the arrangement: a section's opening hit after a
// stop or a fill at each cut, chord stabs at the flashes of the opening
// object, a drop with the stripes, stabs off the beat where the waves and
// the pulse begin. Both ends fade so that the track loops without a click.
struct Music {
    std::vector<float> left;
    std::vector<float> right;
};

constexpr double kMusicSeconds = 122.0;

Music renderMusic();
