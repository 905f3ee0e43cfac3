#include "rhythm/onset_envelope.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// About 23 ms a frame, the span in which the ear hears a hit as one, as a
// power of two for the FFT; frames overlap by three quarters, so that a beat
// is placed within about 3 ms.
constexpr double kFrameSeconds = 0.023;
constexpr int kOverlap = 4;

// Loudness grows as a logarithm: a quiet hat's start counts beside a loud
// kick's. The constant sets how quiet a sound still counts (about -60 dB).
constexpr float kCompression = 1000.0f;

// The bins of an FFT are spaced evenly in frequency, so that most of them
// lie above 5 kHz, where the hats are: each bin's growth is weighed by the
// inverse of its frequency above kEvenWeightBelowHertz, giving each octave
// an equal say, so that a hat's quavers do not outweigh the kick and snare
// on the beat.
constexpr double kEvenWeightBelowHertz = 500.0;

struct FftConfigFree {
    void operator()(kiss_fftr_cfg config) const { kiss_fftr_free(config); }
};

int frameSize(double sampleRate) {
    int size = 256;
    while (size * 2 <= sampleRate * kFrameSeconds * 1.5) size *= 2;
    return size;
}

}  // namespace

OnsetEnvelope onsetEnvelope(const float* samples, std::size_t count, double sampleRate) {
    OnsetEnvelope envelope;
    if (!(sampleRate >= 8000.0)) return envelope;
    const int size = frameSize(sampleRate);
    const int hop = size / kOverlap;
    envelope.framesPerSecond = sampleRate / hop;
    // A hit shows in the flux of the first frames that hold it, whose
    // centres lie before it; the flux of a frame is dated at the three
    // quarters of its span, where a hit that first shows in it lies on
    // average (measured on clicks: the found beats then fall on them).
    envelope.firstSeconds = 0.75 * size / sampleRate;
    if (count < std::size_t(size)) return envelope;

    const std::unique_ptr<kiss_fftr_state, FftConfigFree> config(kiss_fftr_alloc(size, 0, nullptr, nullptr));
    std::vector<float> window(static_cast<std::size_t>(size));
    const double pi = std::acos(-1.0);
    for (int i = 0; i < size; ++i) window[std::size_t(i)] = float(0.5 - 0.5 * std::cos(2.0 * pi * i / size));
    const int bins = size / 2;
    std::vector<float> frame(static_cast<std::size_t>(size));
    std::vector<kiss_fft_cpx> spectrum(std::size_t(bins + 1));
    std::vector<float> loudness(std::size_t(bins + 1), 0.0f);
    std::vector<float> previous(std::size_t(bins + 1), 0.0f);
    // A sine at full scale has a magnitude of size / 4 through the window.
    const float scale = kCompression * 4.0f / float(size);

    std::vector<float> weight(std::size_t(bins + 1), 0.0f);
    const int evenBins = std::max(1, int(std::lround(kEvenWeightBelowHertz * size / sampleRate)));
    for (int k = 1; k <= bins; ++k) weight[std::size_t(k)] = float(evenBins) / float(std::max(k, evenBins));

    const std::size_t frames = (count - std::size_t(size)) / std::size_t(hop) + 1;
    envelope.values.reserve(frames);
    for (std::size_t f = 0; f < frames; ++f) {
        const float* start = samples + f * std::size_t(hop);
        for (int i = 0; i < size; ++i) frame[std::size_t(i)] = start[i] * window[std::size_t(i)];
        kiss_fftr(config.get(), frame.data(), spectrum.data());
        float flux = 0.0f;
        // The constant term carries no note: bins from 1 on.
        for (int k = 1; k <= bins; ++k) {
            const kiss_fft_cpx c = spectrum[std::size_t(k)];
            loudness[std::size_t(k)] = std::log1p(scale * std::sqrt(c.r * c.r + c.i * c.i));
            const float growth = loudness[std::size_t(k)] - previous[std::size_t(k)];
            if (growth > 0.0f) flux += weight[std::size_t(k)] * growth;
        }
        // The first frame has no frame before it: the music's start is no hit.
        envelope.values.push_back(f == 0 ? 0.0f : flux);
        previous.swap(loudness);
    }
    return envelope;
}
