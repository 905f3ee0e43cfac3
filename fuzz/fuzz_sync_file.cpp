// Reads arbitrary bytes as a sync.txt that an author opens in the page, and
// holds what comes back to the list's rules: every mark kept lies in the
// show, none twice, at most the limit; and what is kept, written and read
// again, comes back the same.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "shell/schedule.h"
#include "shell/sync_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const SyncFileMarks read = parseSyncFile(bytes, schedule::kShowEnd);
    const SyncMarks& marks = read.marks;
    if (marks.count < 0 || marks.count > kMaxSyncMarks) std::abort();
    for (int i = 0; i < marks.count; ++i) {
        const float t = marks.times[std::size_t(i)];
        if (!(t >= 0.0f && t <= float(schedule::kShowEnd))) std::abort();
        for (int j = 0; j < i; ++j)
            if (marks.times[std::size_t(j)] == t) std::abort();
    }
    if (read.binary && marks.count != 0) std::abort();
    ShellState state;
    state.syncMarks = marks;
    state.endTicks = 1;
    const std::string text = formatSyncFile(state);
    ShellState again;
    again.syncMarks = parseSyncFile(text, schedule::kShowEnd).marks;
    again.endTicks = 1;
    if (formatSyncFile(again) != text) std::abort();
    return 0;
}
