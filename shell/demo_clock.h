#pragma once

#include <cstdint>

// Where the show reads the time: a monotonic counter and its frequency. The
// show reads the machine's steady clock; a test moves one of its own, so
// that what it checks follows the time it gives, not the wall's.
class Counter {
public:
    virtual ~Counter() = default;
    virtual int64_t now() const = 0;
    // Counts a second.
    virtual int64_t frequency() const = 0;
};

// The machine's steady clock, counted from the start of the process.
const Counter& steadyCounter();

// The counter's reading in whole milliseconds, 1000 ticks a second, for the
// frame-rate figure of sync.txt: for the steady counter, the milliseconds
// since the process started.
int32_t millisecondTicks(const Counter& counter = steadyCounter());

// The show's clock: seconds of demo time, read from a monotonic counter.
// Demo time 0 may lie a moment after start(), when the music is heard
// rather than when it was started; until then demo time stays 0.
class DemoClock {
public:
    // The counter that start(), startWithMusic() and seconds() read from
    // now on: the steady counter until told another, which must outlive
    // the clock.
    void useCounter(const Counter& counter) { counter_ = &counter; }

    // Reads the counter's frequency and the counter itself; demo time 0
    // comes delaySeconds later.
    void start(double delaySeconds = 0.0);
    // Starts the clock as the music starts: demo time 0 is when its first
    // sample is heard, outputLatency seconds later, where that is long
    // enough (above the schedule's sync tolerance) for the eye to see the
    // picture run ahead of the sound.
    void startWithMusic(double outputLatency);
    // Demo time now.
    float seconds() const;

    // start(), startWithMusic() and seconds() at given counter readings,
    // for tests.
    void startAt(int64_t counter, int64_t frequency, double delaySeconds);
    void startWithMusicAt(int64_t counter, int64_t frequency, double outputLatency);
    // (now - counterStart) / counterFrequency, the difference a signed
    // 64-bit count and the division in double precision, returned as a
    // float; 0 before demo time 0.
    float secondsAt(int64_t now) const;

    int64_t counterFrequency() const { return counterFrequency_; }
    // The counter's reading at demo time 0.
    int64_t counterStart() const { return counterStart_; }

private:
    const Counter* counter_ = &steadyCounter();
    int64_t counterFrequency_ = 1;
    int64_t counterStart_ = 0;
};

// Seconds between two counter readings; pure, for tests.
float counterSeconds(int64_t now, int64_t start, int64_t frequency);
