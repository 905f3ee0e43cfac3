#pragma once

#include <vector>

// The show's music, a track of its own: 122 seconds of electronic music in
// A minor at about 100 beats a minute, 44100 Hz stereo. It is built on the
// show's schedule: its sections change where the show changes segments, the
// closing titles come in bars of five beats, chord stabs mark the flashes of
// the opening object, and both ends fade so that the track loops without a
// click.
struct Music {
    std::vector<float> left;
    std::vector<float> right;
};

constexpr double kMusicSeconds = 122.0;

Music renderMusic();
