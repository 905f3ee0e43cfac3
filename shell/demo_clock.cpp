#include "shell/demo_clock.h"

#include <chrono>
#include <cmath>

#include "shell/schedule.h"

namespace {

using Steady = std::chrono::steady_clock;

// Taken while the program's statics are constructed, before main runs: the
// closest this process gets to its own start.
const Steady::time_point processStart = Steady::now();

class SteadyCounter : public Counter {
public:
    int64_t now() const override { return int64_t((Steady::now() - processStart).count()); }
    int64_t frequency() const override { return int64_t(Steady::period::den / Steady::period::num); }
};

}  // namespace

const Counter& steadyCounter() {
    static const SteadyCounter counter;
    return counter;
}

int32_t millisecondTicks(const Counter& counter) {
    // In two parts: a long run's nanoseconds times 1000 would overflow.
    const int64_t now = counter.now();
    const int64_t frequency = counter.frequency();
    return int32_t(now / frequency * 1000 + now % frequency * 1000 / frequency);
}

void DemoClock::start(double delaySeconds) { startAt(counter_->now(), counter_->frequency(), delaySeconds); }

void DemoClock::startWithMusic(double outputLatency) {
    startWithMusicAt(counter_->now(), counter_->frequency(), outputLatency);
}

void DemoClock::startWithMusicAt(int64_t counter, int64_t frequency, double outputLatency) {
    startAt(counter, frequency, outputLatency > schedule::kSyncTolerance ? outputLatency : 0.0);
}

float DemoClock::seconds() const { return secondsAt(counter_->now()); }

void DemoClock::startAt(int64_t counter, int64_t frequency, double delaySeconds) {
    counterFrequency_ = frequency;
    // A negative or unmeasurable delay starts demo time at once; no output
    // holds a whole second of sound.
    const double delay = std::isfinite(delaySeconds) && delaySeconds > 0.0 ? std::fmin(delaySeconds, 1.0) : 0.0;
    counterStart_ = counter + int64_t(std::llround(delay * double(frequency)));
}

float DemoClock::secondsAt(int64_t now) const {
    if (now < counterStart_) return 0.0f;
    return counterSeconds(now, counterStart_, counterFrequency_);
}

float counterSeconds(int64_t now, int64_t start, int64_t frequency) {
    return float(double(now - start) / double(frequency));
}
