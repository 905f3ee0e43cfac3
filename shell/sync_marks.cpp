#include "shell/sync_marks.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "shell/schedule.h"

namespace {

// A mark's time as sync.txt writes it, in microseconds.
long long microseconds(float time) { return std::llround(double(time) * 1e6); }

}  // namespace

MarkResult addSyncMark(SyncMarks& marks, double time) {
    // Marks are kept as floats: the end is compared as one, so that the
    // show's last moment, written and read back, is still in the show.
    const float mark = float(time);
    if (!std::isfinite(time) || mark < 0.0f || mark > float(schedule::kShowEnd)) return MarkResult::OutsideShow;
    const long long written = microseconds(mark);
    const auto end = marks.times.begin() + marks.count;
    if (std::any_of(marks.times.begin(), end, [written](float t) { return microseconds(t) == written; }))
        return MarkResult::Taken;
    if (marks.count >= kMaxSyncMarks) return MarkResult::Full;
    marks.times[std::size_t(marks.count)] = mark;
    ++marks.count;
    return MarkResult::Added;
}

bool deleteSyncMark(SyncMarks& marks, int index) {
    if (index < 0 || index >= marks.count) return false;
    std::copy(marks.times.begin() + index + 1, marks.times.begin() + marks.count, marks.times.begin() + index);
    --marks.count;
    return true;
}
