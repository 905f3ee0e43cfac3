#pragma once

#include <cmath>
#include <cstdint>

#include "geometry/vector_math.h"
#include "tools/demodata/random.h"

// The building blocks of the instruments: oscillators, a filter and noise,
// all running at one sample rate.
constexpr int kSampleRate = 44100;

// Frequency of a MIDI note number (69 is A at 440 Hz).
inline float midiToHz(float note) { return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f); }

// A sawtooth whose steps are smoothed (polyBLEP), so that high notes do not
// alias into noise.
class Saw {
public:
    explicit Saw(float phase = 0.0f) : phase_(phase) {}

    float next(float hz) {
        const float dt = hz / float(kSampleRate);
        const float value = 2.0f * phase_ - 1.0f - blep(phase_, dt);
        phase_ += dt;
        if (phase_ >= 1.0f) phase_ -= 1.0f;
        return value;
    }

    static float blep(float t, float dt) {
        if (t < dt) {
            t /= dt;
            return t + t - t * t - 1.0f;
        }
        if (t > 1.0f - dt) {
            t = (t - 1.0f) / dt;
            return t * t + t + t + 1.0f;
        }
        return 0.0f;
    }

private:
    float phase_;
};

// A pulse wave of the given duty cycle, as the difference of two smoothed saws.
class Pulse {
public:
    explicit Pulse(float duty, float phase = 0.0f) : a_(phase), b_(phase + duty - std::floor(phase + duty)) {}
    float next(float hz) { return 0.5f * (a_.next(hz) - b_.next(hz)); }

private:
    Saw a_;
    Saw b_;
};

class Sine {
public:
    float next(float hz) {
        const float value = std::sin(kTwoPi * phase_);
        phase_ += hz / float(kSampleRate);
        if (phase_ >= 1.0f) phase_ -= 1.0f;
        return value;
    }

private:
    float phase_ = 0.0f;
};

// White noise in [-1, 1).
class Noise {
public:
    explicit Noise(uint32_t seed) : random_(seed) {}
    float next() { return random_.signedUnit(); }

private:
    Random random_;
};

// A state-variable filter (trapezoidal integration, stable at any cutoff)
// with low-pass, band-pass and high-pass outputs. resonance runs from 0
// (none) to just under 1 (self-oscillation).
class Filter {
public:
    struct Out {
        float low, band, high;
    };

    void tune(float hz, float resonance) {
        const float limited = std::fmin(std::fmax(hz, 20.0f), float(kSampleRate) * 0.45f);
        g_ = std::tan(kPi * limited / float(kSampleRate));
        k_ = 2.0f - 2.0f * std::fmin(std::fmax(resonance, 0.0f), 0.98f);
        a1_ = 1.0f / (1.0f + g_ * (g_ + k_));
    }

    Out process(float x) {
        const float v3 = x - ic2_;
        const float v1 = a1_ * ic1_ + g_ * a1_ * v3;
        const float v2 = ic2_ + g_ * v1;
        ic1_ = 2.0f * v1 - ic1_;
        ic2_ = 2.0f * v2 - ic2_;
        return Out{v2, v1, x - k_ * v1 - v2};
    }

private:
    float g_ = 0.0f;
    float k_ = 2.0f;
    float a1_ = 1.0f;
    float ic1_ = 0.0f;
    float ic2_ = 0.0f;
};

// Left and right gains for a position from -1 (left) to 1 (right) at equal power.
struct Pan {
    float left, right;
};

inline Pan panGains(float position) {
    const float angle = (position + 1.0f) * 0.25f * kPi;
    return Pan{std::cos(angle), std::sin(angle)};
}
