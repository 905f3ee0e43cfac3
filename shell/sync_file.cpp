#include "shell/sync_file.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/plain_number.h"
#include "shell/text_lines.h"

namespace {

// sync.txt's two kinds of line.
constexpr char kTimePrefix[] = "time: ";
constexpr char kTimeFormat[] = "time: %f\n";
constexpr char kRateSuffix[] = " frames per second";
constexpr char kRateFormat[] = "%4.2f frames per second\n";

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The whole of text as a number, as the C library reads "%f"'s output back
// ("nan" and "inf" among them, and the blanks before a short one); false
// when anything else is left over.
bool readNumber(std::string_view text, double* value) {
    if (text.empty() || text.size() > 64) return false;
    const std::string copy(text);
    char* end = nullptr;
    *value = std::strtod(copy.c_str(), &end);
    return end == copy.c_str() + copy.size();
}

// A mark's time as "%f" writes one: a plain decimal (shell/plain_number.h),
// "-" before one before the show's start. "nan", "inf", an exponent and
// hexadecimal are no time, as in the timing file and on a command line.
bool readTime(std::string_view text, double* value) {
    const bool minus = !text.empty() && text.front() == '-';
    if (minus) text.remove_prefix(1);
    double time = 0.0;
    if (text.size() > 64 || !parsePlainDecimal(std::string(text), &time)) return false;
    *value = minus ? -time : time;
    return true;
}

void addTime(SyncFileMarks& read, std::string_view value, double showEnd) {
    double time = 0.0;
    if (!readTime(value, &time)) {
        ++read.notANumber;
        return;
    }
    if (time < 0.0) {
        ++read.negative;
        return;
    }
    switch (addSyncMark(read.marks, time, showEnd)) {
    case MarkResult::Added:
        break;
    case MarkResult::OutsideShow:
        ++read.pastEnd;
        break;
    case MarkResult::Taken:
        ++read.repeated;
        break;
    case MarkResult::Full:
        ++read.beyondLimit;
        break;
    }
}

}  // namespace

std::string formatSyncFile(const ShellState& state) {
    std::string text;
    char line[64];
    for (int i = 0; i < state.syncMarks.count && i < kMaxSyncMarks; ++i) {
        std::snprintf(line, sizeof line, kTimeFormat, double(state.syncMarks.times[std::size_t(i)]));
        text += line;
    }
    // 64-bit, so that a long run's frame count times 1000 cannot overflow.
    const int64_t frames = int64_t(state.frameCount) * 1000;
    const int64_t ticks = int64_t(state.endTicks) - int64_t(state.startTicks);
    std::snprintf(line, sizeof line, kRateFormat, double(frames) / double(ticks));
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

SyncFileMarks parseSyncFile(std::string_view text, double showEnd) {
    SyncFileMarks read;
    text = withoutByteOrderMark(text);
    if (isBinaryText(text)) {
        read.binary = true;
        return read;
    }
    while (!text.empty()) {
        const std::string_view line = takeLine(text);
        if (line.substr(0, sizeof kTimePrefix - 1) == kTimePrefix) {
            ++read.formatLines;
            addTime(read, line.substr(sizeof kTimePrefix - 1), showEnd);
        } else if (endsWith(line, kRateSuffix)) {
            double rate = 0.0;
            if (readNumber(line.substr(0, line.size() - (sizeof kRateSuffix - 1)), &rate)) ++read.formatLines;
        }
    }
    return read;
}
