#pragma once

#include <array>
#include <cstdint>

constexpr int kMaxSyncMarks = 100;

// The sync marks of a run, in the order recorded: END's in the show, the
// author's in the page's author mode, those of a sync.txt read back.
struct SyncMarks {
    std::array<float, kMaxSyncMarks> times = {};
    int32_t count = 0;
};

enum class MarkResult {
    Added,
    // All kMaxSyncMarks are taken.
    Full,
    // A mark at this time, to the microsecond that sync.txt writes, is in
    // the list already: the two would be one line of the file.
    Taken,
    // Before the start, after the show's end, or not a number.
    OutsideShow,
};

// The one way a mark goes into the list: at its end, unless the result says
// why not, with nothing changed then. The show ends at showEnd.
MarkResult addSyncMark(SyncMarks& marks, double time, double showEnd);

// The mark recorded index-th (0 first) taken out, the later ones moved up.
// False, with nothing changed, for an index that names no mark.
bool deleteSyncMark(SyncMarks& marks, int index);
