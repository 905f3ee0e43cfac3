// Reads arbitrary bytes as a timing file, as the show, orvel-capture and the
// page read one, and holds what comes back to the rules: a timing taken
// keeps them, and written and read again it comes back the same; a text
// refused says why. The bytes are also made a music name, as a person
// names a music file: refused in words, or written and read back as given.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "shell/timing.h"

namespace {

// No file system keeps a longer name.
constexpr std::size_t kLongestName = 255;

void checkMusicName(Timing timing, std::string_view name) {
    timing.music = std::string(name);
    const bool plain = fileNameProblem(name).empty();
    const std::string broken = checkTiming(timing);
    if (plain != broken.empty()) std::abort();
    const TimingRead again = parseTiming(formatTiming(timing));
    // A name refused is never written to read back as another.
    if (!plain && again.ok) std::abort();
    if (plain && (!again.ok || again.timing != timing)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TimingRead read = parseTiming(bytes);
    checkMusicName(read.ok ? read.timing : builtInTiming(), bytes.substr(0, kLongestName));
    if (!read.ok) {
        if (read.error.empty() || read.line < 0) std::abort();
        return 0;
    }
    if (!checkTiming(read.timing).empty()) std::abort();
    const TimingRead again = parseTiming(formatTiming(read.timing));
    if (!again.ok || again.timing != read.timing) std::abort();
    return 0;
}
