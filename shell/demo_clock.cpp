#include "shell/demo_clock.h"

#include <chrono>
#include <cmath>

#include "shell/schedule.h"

namespace {

using Counter = std::chrono::steady_clock;

int64_t counterNow() { return int64_t(Counter::now().time_since_epoch().count()); }
constexpr int64_t kCounterFrequency = int64_t(Counter::period::den / Counter::period::num);

// Taken while the program's statics are constructed, before main runs: the
// closest this process gets to its own start.
const Counter::time_point processStart = Counter::now();

}  // namespace

int32_t millisecondTicks() {
    return int32_t(std::chrono::duration_cast<std::chrono::milliseconds>(Counter::now() - processStart).count());
}

void DemoClock::start(double delaySeconds) { startAt(counterNow(), kCounterFrequency, delaySeconds); }

void DemoClock::startWithMusic(double outputLatency) {
    startWithMusicAt(counterNow(), kCounterFrequency, outputLatency);
}

void DemoClock::startWithMusicAt(int64_t counter, int64_t frequency, double outputLatency) {
    startAt(counter, frequency, outputLatency > schedule::kSyncTolerance ? outputLatency : 0.0);
}

float DemoClock::seconds() const { return secondsAt(counterNow()); }

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
