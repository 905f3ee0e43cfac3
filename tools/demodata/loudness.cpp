#include "tools/demodata/loudness.h"

#include <cmath>
#include <limits>

#include "geometry/vector_math.h"

namespace {

// A biquad in direct form I, run in double precision.
class Biquad {
public:
    Biquad(double b0, double b1, double b2, double a1, double a2) : b0_(b0), b1_(b1), b2_(b2), a1_(a1), a2_(a2) {}

    double process(double x) {
        const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    double b0_, b1_, b2_, a1_, a2_;
    double x1_ = 0.0, x2_ = 0.0, y1_ = 0.0, y2_ = 0.0;
};

// The two stages of the K-weighting, their poles and zeros taken from the
// recommendation's 48 kHz filters back to an analogue prototype and then to
// the track's own rate.
Biquad headShelf(int sampleRate) {
    const double f0 = 1681.974450955533;
    const double gainDb = 3.999843853973347;
    const double q = 0.7071752369554196;
    const double k = std::tan(double(kPi) * f0 / sampleRate);
    const double vh = std::pow(10.0, gainDb / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return Biquad((vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
                  2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0);
}

Biquad lowCut(int sampleRate) {
    const double f0 = 38.13547087602444;
    const double q = 0.5003270373238773;
    const double k = std::tan(double(kPi) * f0 / sampleRate);
    const double a0 = 1.0 + k / q + k * k;
    return Biquad(1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0);
}

// The K-weighted signal's squares, summed over steps of 100 ms.
std::vector<double> weightedEnergy(const std::vector<float>& samples, int sampleRate, size_t step) {
    Biquad shelf = headShelf(sampleRate);
    Biquad cut = lowCut(sampleRate);
    std::vector<double> sums(samples.size() / step, 0.0);
    for (size_t i = 0; i < sums.size() * step; ++i) {
        const double y = cut.process(shelf.process(samples[i]));
        sums[i / step] += y * y;
    }
    return sums;
}

double loudnessOf(double meanSquare) { return -0.691 + 10.0 * std::log10(meanSquare); }

}  // namespace

double integratedLoudness(const std::vector<float>& left, const std::vector<float>& right, int sampleRate) {
    const size_t step = size_t(sampleRate / 10);
    const std::vector<double> l = weightedEnergy(left, sampleRate, step);
    const std::vector<double> r = weightedEnergy(right, sampleRate, step);
    // Blocks of four steps, overlapping by three.
    std::vector<double> blocks;
    for (size_t i = 0; i + 4 <= l.size() && i + 4 <= r.size(); ++i) {
        double sum = 0.0;
        for (size_t j = i; j < i + 4; ++j) sum += l[j] + r[j];
        blocks.push_back(sum / double(4 * step));
    }
    auto gatedMean = [&blocks](double gate) {
        double sum = 0.0;
        size_t count = 0;
        for (double z : blocks)
            if (loudnessOf(z) > gate) {
                sum += z;
                ++count;
            }
        return count ? sum / double(count) : 0.0;
    };
    const double absolute = gatedMean(-70.0);
    if (absolute <= 0.0) return -std::numeric_limits<double>::infinity();
    const double relative = gatedMean(loudnessOf(absolute) - 10.0);
    return relative > 0.0 ? loudnessOf(relative) : -std::numeric_limits<double>::infinity();
}
