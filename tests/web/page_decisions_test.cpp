// The page's pure decisions: which frame ?at= names, which of the show's
// keys a browser key is, and which time of the timing each of author mode's
// handles moves.

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "shell/shell_state.h"
#include "shell/timeline.h"
#include "web/dom_keys.h"
#include "web/frame_request.h"
#include "web/timing_handles.h"

namespace {

TEST(FrameRequest, RoundsTheTimeToTheNearestFrame) {
    const struct {
        const char* text;
        long frame;
    } cases[] = {{"2.5", 75},  {"0", 0},     {"15.6", 468},   {"113.7", 3411}, {"0.016", 0},
                 {"0.017", 1}, {"10", 300},  {"121.1", 3633}, {"121.14", 3634}};
    for (const auto& c : cases) {
        const FrameRequest r = parseFrameRequest(builtInTiming(), "at", c.text, 30);
        EXPECT_TRUE(r.ok) << c.text << ": " << r.error;
        EXPECT_EQ(r.frame, c.frame) << c.text;
    }
}

TEST(FrameRequest, RefusesWhatIsNoTimeOfTheShow) {
    for (const char* text : {"", "abc", "nan", "inf", "-inf", "0x10", " 5", "5 ", "5s", "1e1", "1e400", "-1", "-0.01",
                             "121.16", "121.2", "1000"}) {
        const FrameRequest r = parseFrameRequest(builtInTiming(), "at", text, 30);
        EXPECT_FALSE(r.ok) << '"' << text << "\" gave frame " << r.frame;
        EXPECT_EQ(r.error.rfind(std::string("at=") + text + ": ", 0), 0u) << r.error;
        EXPECT_EQ(r.error.find('\n'), std::string::npos) << r.error;
    }
}

TEST(FrameRequest, NamesTheParameterItWasGiven) {
    EXPECT_EQ(parseFrameRequest(builtInTiming(), "t", "-2", 30).error, "t=-2: a time before the show's start");
    EXPECT_EQ(parseFrameRequest(builtInTiming(), "at", "x", 30).error, "at=x: not a number of seconds");
}

// 121.15 s is before the end, but its nearest frame, 3635, lies at
// 121.1667 s: orvel-capture draws no such frame, so neither does the page.
TEST(FrameRequest, RefusesATimeWhoseFrameFallsPastTheEnd) {
    const FrameRequest r = parseFrameRequest(builtInTiming(), "at", "121.15", 30);
    EXPECT_FALSE(r.ok);
    EXPECT_LT(121.15, builtInTiming().end());
    EXPECT_TRUE(showHasEnded(builtInTiming(), float(3635.0 / 30.0)));
}

TEST(DomKeys, NamesTheShowsSpecialKeys) {
    EXPECT_EQ(specialKeyOfDomKey("F1"), kKeyF1);
    EXPECT_EQ(specialKeyOfDomKey("F2"), kKeyF2);
    EXPECT_EQ(specialKeyOfDomKey("PageUp"), kKeyPageUp);
    EXPECT_EQ(specialKeyOfDomKey("PageDown"), kKeyPageDown);
    EXPECT_EQ(specialKeyOfDomKey("Home"), kKeyHome);
    EXPECT_EQ(specialKeyOfDomKey("End"), kKeyEnd);
    for (const char* other : {"Escape", "F3", "end", "a", "", "ArrowUp"})
        EXPECT_EQ(specialKeyOfDomKey(other), 0) << other;
}

// END through the page records the demo time, as the desktop show's key does.
TEST(DomKeys, EndRecordsASyncMark) {
    ShellState state;
    state.demoTime = 3.25f;
    applySpecialKey(state, specialKeyOfDomKey("End"), builtInTiming().end());
    ASSERT_EQ(state.syncMarks.count, 1);
    EXPECT_EQ(state.syncMarks.times[0], 3.25f);
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A handle moves the time its name says and no other: of the timing file
// with it moved, one line differs, the one of its name ("segment 5's
// start": "segment 5: ...", "the waves": "waves: ..."), and of a flash's
// two times the beginning's or the end's, as its name says.
TEST(TimingHandles, EachMovesTheTimeItNames) {
    const Timing& built = builtInTiming();
    const std::vector<std::string> before = linesOf(formatTiming(built));
    for (int h = 0; h < int(timingHandles().size()); ++h) {
        const std::string& name = timingHandles()[std::size_t(h)].name;
        const double t = handleTime(built, h) + 0.0625;
        const Timing moved = withHandleAt(built, h, t);
        EXPECT_EQ(handleTime(moved, h), t) << name;
        const std::vector<std::string> after = linesOf(formatTiming(moved));
        ASSERT_EQ(after.size(), before.size());
        std::vector<std::size_t> differing;
        for (std::size_t i = 0; i < after.size(); ++i)
            if (after[i] != before[i]) differing.push_back(i);
        ASSERT_EQ(differing.size(), 1u) << name;
        const std::string& line = after[differing[0]];
        std::string key = name.substr(name.rfind("the ", 0) == 0 ? 4 : 0);
        key = key.substr(0, key.find("'s "));
        EXPECT_EQ(line.rfind(key + ": ", 0), 0u) << name << " moved " << line;
        if (name.find("flash") == 0) {
            const bool beginning = name.find("beginning") != std::string::npos;
            const std::string& old = before[differing[0]];
            EXPECT_EQ(line.substr(line.rfind(' ')) == old.substr(old.rfind(' ')), beginning) << name << ": " << line;
        }
    }
}

}  // namespace
