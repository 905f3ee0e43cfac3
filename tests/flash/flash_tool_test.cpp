// flash-count as a program: what it refuses before it draws a frame, run in
// the show's directory on the generated content.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "shell/timing.h"
#include "tests/test_support.h"

namespace {

ToolRun flashCount(const std::string& args) {
    return runCommand(shellQuoted(FLASH_COUNT_PATH) + " " + args, SHOW_DATA_DIR);
}

// The first line of text.
std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// A regression: --from 1e300 overflowed into a frame number before it was
// checked, and the whole show was counted.
TEST(FlashCountTool, ATimeFarPastTheEndIsRefusedBeforeAnyFrame) {
    char end[32];
    std::snprintf(end, sizeof end, "%.2f", builtInTiming().end());
    const std::string far = "1" + std::string(300, '0');
    ToolRun run = flashCount("--fps 1 --size 32x24 --from " + far);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(firstLine(run.err), std::string("flash-count: --from lies past the end of the show (") + end + " s)");
    EXPECT_EQ(run.out, "") << "nothing counted";
    run = flashCount("--fps 1 --size 32x24 --from 1e300");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(firstLine(run.err), "flash-count: bad value for --from: '1e300'") << "a time is a plain decimal";
}

}  // namespace
