// Reads arbitrary bytes as a timing file, as the show, orvel-capture and the
// page read one, and holds what comes back to the rules: a timing taken
// keeps them, and written and read again it comes back the same; a text
// refused says why.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "shell/timing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TimingRead read = parseTiming(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!read.ok) {
        if (read.error.empty() || read.line < 0) std::abort();
        return 0;
    }
    if (!checkTiming(read.timing).empty()) std::abort();
    const TimingRead again = parseTiming(formatTiming(read.timing));
    if (!again.ok || again.timing != read.timing) std::abort();
    return 0;
}
