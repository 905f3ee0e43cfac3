#include "web/frame_request.h"

#include "shell/frame_schedule.h"
#include "shell/plain_number.h"
#include "shell/timeline.h"

namespace {

FrameRequest refused(const std::string& name, const std::string& text, const char* why) {
    FrameRequest request;
    request.error = name + "=" + text + ": " + why;
    return request;
}

}  // namespace

FrameRequest parseFrameRequest(const Timing& timing, const std::string& name, const std::string& text, int fps) {
    double t = 0.0;
    if (!parsePlainDecimal(text, &t)) {
        double before = 0.0;
        if (!text.empty() && text[0] == '-' && parsePlainDecimal(text.substr(1), &before))
            return refused(name, text, "a time before the show's start");
        return refused(name, text, "not a number of seconds");
    }
    if (t >= timing.end()) return refused(name, text, "a time at or past the show's end");
    const long k = FrameSchedule::nearestFrame(t, fps);
    // Rounding up may land past the last frame the show draws.
    const FrameSchedule schedule(timing, fps, double(k) / fps, double(k) / fps);
    if (schedule.writtenCount() != 1) return refused(name, text, "a time at or past the show's end");
    FrameRequest request;
    request.ok = true;
    request.frame = k;
    return request;
}
