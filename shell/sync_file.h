#pragma once

#include <string>

#include "shell/shell_state.h"

// The text of sync.txt: one "time: " line per sync mark in the order
// recorded, then the average frame rate between the clock start and the end.
std::string formatSyncFile(const ShellState& state);

// Writes formatSyncFile(state) to path, replacing the file. False when the
// file cannot be created or written; error then says why.
bool writeSyncFile(const char* path, const ShellState& state, std::string* error);
