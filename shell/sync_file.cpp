#include "shell/sync_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

std::string formatSyncFile(const ShellState& state) {
    std::string text;
    char line[64];
    for (int i = 0; i < state.syncMarkCount && i < kMaxSyncMarks; ++i) {
        std::snprintf(line, sizeof line, "time: %f\n", double(state.syncMarks[std::size_t(i)]));
        text += line;
    }
    // 64-bit, so that a long run's frame count times 1000 cannot overflow.
    const int64_t frames = int64_t(state.frameCount) * 1000;
    const int64_t ticks = int64_t(state.endTicks) - int64_t(state.startTicks);
    std::snprintf(line, sizeof line, "%4.2f frames per second\n", double(frames) / double(ticks));
    text += line;
    return text;
}

bool writeSyncFile(const char* path, const ShellState& state, std::string* error) {
    std::FILE* file = std::fopen(path, "w");
    if (!file) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    const std::string text = formatSyncFile(state);
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    int savedErrno = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        savedErrno = errno;
    }
    if (!written && error) *error = std::strerror(savedErrno);
    return written;
}
