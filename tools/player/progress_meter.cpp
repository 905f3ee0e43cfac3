#include "tools/player/progress_meter.h"

#include <cmath>

namespace {

// Often enough to look alive, seldom enough to keep a log short.
constexpr double kInterval = 0.25;

}  // namespace

std::string minutesAndSeconds(double seconds) {
    const long whole = seconds > 0.0 ? long(std::lround(seconds)) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

ProgressMeter::ProgressMeter(FILE* out, long totalFrames)
    : out_(out), total_(totalFrames), start_(std::chrono::steady_clock::now()), lastShown_(start_) {}

void ProgressMeter::update(long k, float t) {
    const auto now = std::chrono::steady_clock::now();
    const bool last = k + 1 >= total_;
    if (!last && std::chrono::duration<double>(now - lastShown_).count() < kInterval) return;
    lastShown_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const double done = double(k + 1);
    const double rate = elapsed > 0.0 ? done / elapsed : 0.0;
    const double left = rate > 0.0 ? double(total_ - k - 1) / rate : 0.0;
    std::fprintf(out_, "\rframe %ld/%ld  t %7.2f s  %6.1f frames/s  %s left ", k + 1, total_, double(t), rate,
                 minutesAndSeconds(left).c_str());
    std::fflush(out_);
    shown_ = true;
}

void ProgressMeter::clear() {
    if (!shown_) return;
    std::fputc('\n', out_);
    std::fflush(out_);
    shown_ = false;
}
