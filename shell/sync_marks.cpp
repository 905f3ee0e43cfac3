#include "shell/sync_marks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdio>

namespace {

// A mark's time as sync.txt writes it: "%f" rounds the float's exact value
// to the microsecond, half to even, which no sum in doubles matches on every
// tie (15.0078125 is written 15.007812).
std::array<char, 32> written(float time) {
    std::array<char, 32> text = {};
    std::snprintf(text.data(), text.size(), "%f", double(time));
    return text;
}

}  // namespace

MarkResult addSyncMark(SyncMarks& marks, double time, double showEnd) {
    // Marks are kept as floats: the end is compared as one, so that the
    // show's last moment, written and read back, is still in the show.
    // A minus zero is the start, and is written as it: "0.000000".
    const float mark = time == 0.0 ? 0.0f : float(time);
    if (!std::isfinite(time) || mark < 0.0f || mark > float(showEnd)) return MarkResult::OutsideShow;
    const std::array<char, 32> line = written(mark);
    const auto end = marks.times.begin() + marks.count;
    if (std::any_of(marks.times.begin(), end, [&line](float t) { return written(t) == line; }))
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
