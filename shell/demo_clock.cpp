#include "shell/demo_clock.h"

#include <chrono>

namespace {

using Counter = std::chrono::steady_clock;

int64_t counterNow() { return int64_t(Counter::now().time_since_epoch().count()); }

// Taken while the program's statics are constructed, before main runs: the
// closest this process gets to its own start.
const Counter::time_point processStart = Counter::now();

}  // namespace

int32_t millisecondTicks() {
    return int32_t(std::chrono::duration_cast<std::chrono::milliseconds>(Counter::now() - processStart).count());
}

void DemoClock::start() {
    counterFrequency_ = int64_t(Counter::period::den / Counter::period::num);
    counterStart_ = counterNow();
}

float DemoClock::seconds() const { return counterSeconds(counterNow(), counterStart_, counterFrequency_); }

float counterSeconds(int64_t now, int64_t start, int64_t frequency) {
    return float(double(now - start) / double(frequency));
}
