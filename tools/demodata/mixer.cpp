#include "tools/demodata/mixer.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "tools/demodata/loudness.h"
#include "tools/demodata/synth.h"

namespace {

// The loudness streaming services play music at, in LUFS.
constexpr double kTargetLoudness = -14.0;
// The highest peak, 3 dB under full scale. A decoder's wave passes between
// the samples, higher than they are, and the MP3 encoder's error adds up
// to a decibel more at the loudest hits: the ceiling holds the peaks of the
// wave between samples, with room for the encoder, so that the decoded
// track stays under -1 dB.
const float kCeiling = float(std::pow(10.0, -3.0 / 20.0));

// The wave between samples, at a quarter, a half and three quarters of the
// way from one sample to the next: a windowed sinc over 16 samples.
class Between {
public:
    static constexpr int kTaps = 16;
    static constexpr int kPoints = 3;

    Between() {
        for (int p = 0; p < kPoints; ++p) {
            const double fraction = double(p + 1) / double(kPoints + 1);
            for (int k = 0; k < kTaps; ++k) {
                const double x = fraction - double(k - kTaps / 2 + 1);
                const double sinc = std::sin(double(kPi) * x) / (double(kPi) * x);
                const double window = 0.5 + 0.5 * std::cos(double(kPi) * x / (kTaps / 2));
                taps_[p][k] = float(sinc * window);
            }
        }
    }

    // The highest magnitude between frame i and the next; i is at least
    // kTaps / 2 - 1 frames from the start and kTaps / 2 from the end.
    float peak(const std::vector<float>& samples, size_t i) const {
        float highest = 0.0f;
        for (int p = 0; p < kPoints; ++p) {
            float sum = 0.0f;
            for (int k = 0; k < kTaps; ++k) sum += taps_[p][k] * samples[i + size_t(k) + 1 - kTaps / 2];
            highest = std::max(highest, std::fabs(sum));
        }
        return highest;
    }

private:
    float taps_[kPoints][kTaps];
};

// Holds every peak of both channels, on the samples and between them, under
// the ceiling. The gain needed at each peak is reached by a ramp over the
// 1.5 ms before it, so that it never steps (a step would click), and
// recovers over about 80 ms after.
void limitPeaks(std::vector<float>& left, std::vector<float>& right, float ceiling) {
    const size_t frames = left.size();
    const size_t ramp = size_t(0.0015 * kSampleRate);
    const double release = 1.0 - std::exp(-1.0 / (0.08 * kSampleRate));
    std::vector<float> needed(frames, 1.0f);
    const Between between;
    auto sample = [&](size_t i) { return std::max(std::fabs(left[i]), std::fabs(right[i])); };
    for (size_t i = 0; i < frames; ++i) {
        float peak = sample(i);
        if (peak > ceiling) needed[i] = std::min(needed[i], ceiling / peak);
        if (i + 1 < Between::kTaps / 2 || frames - i <= Between::kTaps / 2) continue;
        // The wave between two samples rises at most a few decibels above
        // the higher of them: it is looked at only where they come close
        // to the ceiling. Both samples then share the gain it needs.
        if (std::max(peak, sample(i + 1)) < 0.7f * ceiling) continue;
        peak = std::max(between.peak(left, i), between.peak(right, i));
        if (peak <= ceiling) continue;
        needed[i] = std::min(needed[i], ceiling / peak);
        needed[i + 1] = std::min(needed[i + 1], ceiling / peak);
    }
    // The least gain needed from each frame over the ramp after it, then
    // the recovery.
    std::vector<float> held(frames);
    std::deque<size_t> window;
    for (size_t i = frames; i-- > 0;) {
        while (!window.empty() && needed[window.back()] >= needed[i]) window.pop_back();
        window.push_back(i);
        while (window.front() - i >= ramp) window.pop_front();
        held[i] = needed[window.front()];
    }
    double recovering = 1.0;
    for (size_t i = 0; i < frames; ++i) {
        recovering = std::min(double(held[i]), recovering + (1.0 - recovering) * release);
        held[i] = float(recovering);
    }
    // Each frame takes the mean of the last `ramp` held gains (the first
    // repeated before the start), each of them at most what it needs.
    double sum = double(ramp) * held[0];
    for (size_t i = 0; i < frames; ++i) {
        sum += double(held[i]) - double(held[i >= ramp ? i - ramp : 0]);
        const float gain = float(sum / double(ramp));
        left[i] *= gain;
        right[i] *= gain;
    }
}

// A feedback comb filter with a damped loop, the body of the reverb.
class Comb {
public:
    explicit Comb(size_t length) : buffer_(length, 0.0f) {}
    float process(float x, float feedback, float damping) {
        const float out = buffer_[at_];
        store_ = out * (1.0f - damping) + store_ * damping;
        buffer_[at_] = x + store_ * feedback;
        if (++at_ == buffer_.size()) at_ = 0;
        return out;
    }

private:
    std::vector<float> buffer_;
    size_t at_ = 0;
    float store_ = 0.0f;
};

// An all-pass filter that smears the comb echoes into a dense tail.
class AllPass {
public:
    explicit AllPass(size_t length) : buffer_(length, 0.0f) {}
    float process(float x) {
        const float delayed = buffer_[at_];
        buffer_[at_] = x + delayed * 0.5f;
        if (++at_ == buffer_.size()) at_ = 0;
        return delayed - x;
    }

private:
    std::vector<float> buffer_;
    size_t at_ = 0;
};

// One channel of a Schroeder-Moorer reverb; the right channel uses slightly
// longer lines than the left, which makes the tail wide.
void reverbChannel(const std::vector<float>& in, std::vector<float>& out, size_t spread) {
    static const size_t combLengths[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const size_t allPassLengths[4] = {556, 441, 341, 225};
    std::vector<Comb> combs;
    for (size_t length : combLengths) combs.emplace_back(length + spread);
    std::vector<AllPass> allPasses;
    for (size_t length : allPassLengths) allPasses.emplace_back(length + spread);
    for (size_t i = 0; i < in.size(); ++i) {
        const float x = in[i] * 0.04f;
        float sum = 0.0f;
        for (Comb& comb : combs) sum += comb.process(x, 0.84f, 0.25f);
        for (AllPass& allPass : allPasses) sum = allPass.process(sum);
        out[i] += sum;
    }
}

}  // namespace

Mixer::Mixer(double seconds)
    : frames_(size_t(std::ceil(seconds * kSampleRate))),
      dryLeft_(frames_), dryRight_(frames_), duckedLeft_(frames_), duckedRight_(frames_),
      delayLeft_(frames_), delayRight_(frames_), reverbLeft_(frames_), reverbRight_(frames_) {}

size_t Mixer::frameAt(double seconds) const {
    if (seconds <= 0.0) return 0;
    return size_t(std::llround(seconds * kSampleRate));
}

void Mixer::runEcho(double echoSeconds) {
    // Ping-pong: what enters on the left comes back on the right and so on;
    // each repeat darker and quieter.
    const size_t length = size_t(std::llround(echoSeconds * kSampleRate));
    std::vector<float> lineLeft(length, 0.0f);
    std::vector<float> lineRight(length, 0.0f);
    float dampLeft = 0.0f;
    float dampRight = 0.0f;
    size_t at = 0;
    for (size_t i = 0; i < frames_; ++i) {
        const float outLeft = lineLeft[at];
        const float outRight = lineRight[at];
        dampLeft += 0.35f * (outLeft - dampLeft);
        dampRight += 0.35f * (outRight - dampRight);
        lineLeft[at] = delayLeft_[i] + dampRight * 0.45f;
        lineRight[at] = delayRight_[i] * 0.3f + dampLeft * 0.45f;
        if (++at == length) at = 0;
        dryLeft_[i] += outLeft * 0.5f;
        dryRight_[i] += outRight * 0.5f;
        reverbLeft_[i] += outLeft * 0.2f;
        reverbRight_[i] += outRight * 0.2f;
    }
}

void Mixer::runReverb() {
    reverbChannel(reverbLeft_, dryLeft_, 0);
    reverbChannel(reverbRight_, dryRight_, 23);
}

void Mixer::runDucking() {
    std::sort(ducks_.begin(), ducks_.end());
    size_t next = 0;
    double last = -1e9;
    for (size_t i = 0; i < frames_; ++i) {
        const double t = double(i) / kSampleRate;
        while (next < ducks_.size() && ducks_[next] <= t) last = ducks_[next++];
        const double since = t - last;
        // Down to 35 % at the kick, back up within about a quarter second.
        const float gain = float(1.0 - 0.65 * std::exp(-since / 0.09));
        dryLeft_[i] += duckedLeft_[i] * gain;
        dryRight_[i] += duckedRight_[i] * gain;
    }
}

void Mixer::finish(double echoSeconds, double fadeIn, double fadeOut, std::vector<float>& left,
                   std::vector<float>& right) {
    runEcho(echoSeconds);
    runReverb();
    runDucking();

    // A DC blocker first.
    left.assign(frames_, 0.0f);
    right.assign(frames_, 0.0f);
    float lastInLeft = 0.0f, lastOutLeft = 0.0f, lastInRight = 0.0f, lastOutRight = 0.0f;
    for (size_t i = 0; i < frames_; ++i) {
        lastOutLeft = dryLeft_[i] - lastInLeft + 0.9995f * lastOutLeft;
        lastInLeft = dryLeft_[i];
        lastOutRight = dryRight_[i] - lastInRight + 0.9995f * lastOutRight;
        lastInRight = dryRight_[i];
        left[i] = lastOutLeft;
        right[i] = lastOutRight;
    }
    // The level: the target loudness, with every peak held under the
    // ceiling by the limiter. The limiter takes a little loudness off the
    // loudest moments; the second pass gives it back.
    std::vector<float> blockedLeft = left;
    std::vector<float> blockedRight = right;
    double gain = 1.0;
    for (int pass = 0; pass < 2; ++pass) {
        gain *= std::pow(10.0, (kTargetLoudness - integratedLoudness(left, right, kSampleRate)) / 20.0);
        for (size_t i = 0; i < frames_; ++i) {
            left[i] = float(blockedLeft[i] * gain);
            right[i] = float(blockedRight[i] * gain);
        }
        limitPeaks(left, right, kCeiling);
    }
    // And the fades.
    const double fadeInFrames = fadeIn * kSampleRate;
    const double fadeOutFrames = fadeOut * kSampleRate;
    for (size_t i = 0; i < frames_; ++i) {
        double g = 1.0;
        if (double(i) < fadeInFrames) g *= double(i) / fadeInFrames;
        const double fromEnd = double(frames_ - 1 - i);
        if (fromEnd < fadeOutFrames) g *= fromEnd / fadeOutFrames;
        left[i] = float(left[i] * g);
        right[i] = float(right[i] * g);
    }
}
