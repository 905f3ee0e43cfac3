#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "shell/shell_state.h"
#include "shell/sync_marks.h"

// The text of sync.txt: one "time: " line per sync mark in the order
// recorded, then the average frame rate between the clock start and the end.
std::string formatSyncFile(const ShellState& state);

// Writes formatSyncFile(state) to path, replacing the file. False when the
// file cannot be created or written; error then says why.
bool writeSyncFile(const char* path, const ShellState& state, std::string* error);

// The largest sync.txt worth reading: the show writes at most
// kMaxSyncMarks lines of some twenty bytes.
constexpr std::size_t kMaxSyncFileBytes = 1 << 20;

// What parseSyncFile made of a text: the marks of its "time: " lines that
// addSyncMark took, in the file's order, and a count of each kind left out.
struct SyncFileMarks {
    SyncMarks marks;
    // Lines of sync.txt's own two kinds ("time: ..." and "... frames per
    // second"), taken or not. None: the text is not a sync.txt.
    int formatLines = 0;
    // A control character other than tab, CR and LF, or a NUL: a binary file.
    bool binary = false;
    int notANumber = 0;
    int negative = 0;
    int pastEnd = 0;
    int repeated = 0;
    int beyondLimit = 0;
};

// Reads sync.txt as formatSyncFile writes it, with LF or CR LF line ends,
// for a show that ends at showEnd; other lines are skipped. What it writes it reads back: formatting the
// marks read gives the same "time: " lines again.
SyncFileMarks parseSyncFile(std::string_view text, double showEnd);
