#pragma once

#include <cstdint>

// A small pseudo-random generator (xorshift32) with a fixed seed, so that
// everything generated from it is the same on every run and every machine.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}

    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

    // Uniform in [0, 1).
    float unit() { return float(next() >> 8) * (1.0f / 16777216.0f); }

    // Uniform in [-1, 1).
    float signedUnit() { return unit() * 2.0f - 1.0f; }

private:
    uint32_t state_;
};
