#pragma once

#include <cstddef>
#include <vector>

// How strongly a note or a hit starts in each short frame of the music: the
// spectral flux, the sum over the frequencies of how much each grew in
// loudness since the frame before (growth only: a note that fades starts
// nothing). Frames follow each other every 1/framesPerSecond seconds.
struct OnsetEnvelope {
    double framesPerSecond = 0.0;
    // The time of values[0]; values[i] is at firstSeconds + i / framesPerSecond.
    double firstSeconds = 0.0;
    std::vector<float> values;

    double secondsOf(double frame) const { return firstSeconds + frame / framesPerSecond; }
};

// The onset envelope of count mono samples at sampleRate samples a second.
// Empty for a rate under 8000 Hz or music shorter than one frame.
OnsetEnvelope onsetEnvelope(const float* samples, std::size_t count, double sampleRate);
