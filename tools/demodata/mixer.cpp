#include "tools/demodata/mixer.h"

#include <algorithm>
#include <cmath>

#include "tools/demodata/synth.h"

namespace {

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
    double energy = 0.0;
    for (size_t i = 0; i < frames_; ++i) {
        lastOutLeft = dryLeft_[i] - lastInLeft + 0.9995f * lastOutLeft;
        lastInLeft = dryLeft_[i];
        lastOutRight = dryRight_[i] - lastInRight + 0.9995f * lastOutRight;
        lastInRight = dryRight_[i];
        left[i] = lastOutLeft;
        right[i] = lastOutRight;
        energy += double(lastOutLeft) * lastOutLeft + double(lastOutRight) * lastOutRight;
    }
    // The level: an average (RMS) of -14 dB of full scale, where the loudest
    // hits come close to full scale; the few that would pass it are rounded
    // off by a soft knee.
    const double rms = std::sqrt(energy / (2.0 * double(frames_)));
    const float level = rms > 0.0 ? float(0.2 / rms) : 1.0f;
    const float knee = 0.8f;
    auto limit = [knee](float x) {
        const float magnitude = std::fabs(x);
        if (magnitude <= knee) return x;
        const float rounded = knee + (1.0f - knee) * std::tanh((magnitude - knee) / (1.0f - knee));
        return x < 0.0f ? -rounded : rounded;
    };
    float peak = 0.0f;
    for (size_t i = 0; i < frames_; ++i) {
        left[i] = limit(left[i] * level);
        right[i] = limit(right[i] * level);
        peak = std::max(peak, std::max(std::fabs(left[i]), std::fabs(right[i])));
    }
    // Then a peak just under full scale, so that the encoder never clips,
    // and the fades.
    const double gain = peak > 0.0f ? 0.89 / peak : 1.0;
    const double fadeInFrames = fadeIn * kSampleRate;
    const double fadeOutFrames = fadeOut * kSampleRate;
    for (size_t i = 0; i < frames_; ++i) {
        double g = gain;
        if (double(i) < fadeInFrames) g *= double(i) / fadeInFrames;
        const double fromEnd = double(frames_ - 1 - i);
        if (fromEnd < fadeOutFrames) g *= fromEnd / fadeOutFrames;
        left[i] = float(left[i] * g);
        right[i] = float(right[i] * g);
    }
}
