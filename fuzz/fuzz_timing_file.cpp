// Reads arbitrary bytes as a timing file, as the show, orvel-capture and the
// page read one, and holds what comes back to the rules: a timing taken
// keeps them, and written and read again it comes back the same; a text
// refused says why. The bytes are also made a music name, as a person
// names a music file, a title segment's words, as a person types them, and
// a segment's scene file: refused in words, or written and read back as
// given. Words on a segment that draws an object are always refused.

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

// A title segment and a segment that draws an object.
constexpr int kTitleSegment = 2;
constexpr int kObjectSegment = 9;

// The timing with the bytes set by set: taken exactly when accepted is
// true, and then written and read back as itself; else never written to
// read back.
template <typename Set>
void checkGiven(Timing timing, bool accepted, Set set) {
    set(timing);
    const bool kept = checkTiming(timing).empty();
    if (kept != accepted) std::abort();
    const TimingRead again = parseTiming(formatTiming(timing));
    if (!accepted && again.ok) std::abort();
    if (accepted && (!again.ok || again.timing != timing)) std::abort();
}

void checkSegmentLines(const Timing& timing, std::string_view bytes) {
    const std::string text(bytes.substr(0, kLongestName));
    // Empty words or scene leave the segment as it is.
    const bool wordsFree = timing.scenes[kTitleSegment].empty();
    checkGiven(timing, text.empty() || (wordsFree && wordsProblem(text).empty()),
               [&](Timing& t) { t.words[kTitleSegment] = text; });
    checkGiven(timing, text.empty(), [&](Timing& t) { t.words[kObjectSegment] = text; });
    checkGiven(timing, text.empty() || fileNameProblem(text).empty(),
               [&](Timing& t) { t.scenes[kObjectSegment] = text; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TimingRead read = parseTiming(bytes);
    checkMusicName(read.ok ? read.timing : builtInTiming(), bytes.substr(0, kLongestName));
    checkSegmentLines(read.ok ? read.timing : builtInTiming(), bytes);
    if (!read.ok) {
        if (read.error.empty() || read.line < 0) std::abort();
        return 0;
    }
    if (!checkTiming(read.timing).empty()) std::abort();
    const TimingRead again = parseTiming(formatTiming(read.timing));
    if (!again.ok || again.timing != read.timing) std::abort();
    return 0;
}
