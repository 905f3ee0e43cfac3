#include "web/page/frame_request.h"

#include <cmath>
#include <cstdlib>

#include "shell/timeline.h"
#include "shell/frame_schedule.h"

namespace {

// strtod alone would also take "inf", "nan", hexadecimal and leading blanks.
bool plainNumber(const std::string& text) {
    if (text.empty()) return false;
    bool digit = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c != '.' && c != '-' && c != '+' && c != 'e' && c != 'E') {
            return false;
        }
    }
    return digit;
}

FrameRequest refused(const std::string& text, const char* why) {
    FrameRequest request;
    request.error = "at=" + text + ": " + why;
    return request;
}

}  // namespace

FrameRequest parseFrameRequest(const std::string& text, int fps) {
    if (!plainNumber(text)) return refused(text, "not a number of seconds");
    char* end = nullptr;
    const double t = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(t)) return refused(text, "not a number of seconds");
    if (t < 0.0) return refused(text, "a time before the show's start");
    if (t >= kShowEnd) return refused(text, "a time at or past the show's end");
    const long k = std::lround(t * fps);
    // Rounding up may land past the last frame the show draws.
    const FrameSchedule schedule(fps, double(k) / fps, double(k) / fps);
    if (schedule.writtenCount() != 1) return refused(text, "a time at or past the show's end");
    FrameRequest request;
    request.ok = true;
    request.frame = k;
    return request;
}
