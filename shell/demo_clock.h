#pragma once

#include <cstdint>

// Milliseconds since the process started, 1000 ticks a second, for the
// frame-rate figure of sync.txt.
int32_t millisecondTicks();

// The show's clock: seconds since start(), read from a monotonic counter.
class DemoClock {
public:
    // Reads the counter's frequency and the counter itself.
    void start();
    // (now - counterStart) / counterFrequency, the difference a signed 64-bit
    // count and the division in double precision, returned as a float.
    float seconds() const;

    int64_t counterFrequency() const { return counterFrequency_; }
    int64_t counterStart() const { return counterStart_; }

private:
    int64_t counterFrequency_ = 1;
    int64_t counterStart_ = 0;
};

// Seconds between two counter readings; pure, for tests.
float counterSeconds(int64_t now, int64_t start, int64_t frequency);
