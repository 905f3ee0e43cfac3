#pragma once

#include <vector>

// The show's music, a track of its own: 122 seconds of electronic music in
// A minor at about 100 beats a minute, 44100 Hz stereo. Its sections change
// where the show changes scenes (5, 9.6, 14.4, 43.24, 52.81, 62.41, 72,
// 81.57 and 91.16 seconds, then every 3 seconds in bars of five beats), chord
// stabs mark the flashes of the opening (15.48, 15.8, 17.88, 18.18, 20.3 and
// 20.58 seconds), and both ends fade so that the track loops without a click.
struct Music {
    std::vector<float> left;
    std::vector<float> right;
};

constexpr double kMusicSeconds = 122.0;

Music renderMusic();
