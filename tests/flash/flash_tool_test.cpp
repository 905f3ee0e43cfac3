// flash-count as a program: what it refuses before it draws a frame, run in
// the show's directory on the generated content.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "offscreen/offscreen_context.h"
#include "shell/schedule.h"
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

TEST(FlashCountTool, WrongCommandLinesExitWithTwoAndTheUsage) {
    const std::string pastLast = std::to_string(schedule::kSegmentCount + 1);
    const std::pair<std::string, std::string> cases[] = {
        {"--bogus", "flash-count: unknown option --bogus"},
        {"--fps", "flash-count: --fps needs a value"},
        {"--segments 0", "flash-count: bad value for --segments: '0'"},
        {"--segments " + pastLast, "flash-count: bad value for --segments: '" + pastLast + "'"},
        {"--segments 5-3", "flash-count: bad value for --segments: '5-3'"},
        {"--segments 1,,2", "flash-count: bad value for --segments: '1,,2'"},
        {"--segments 2-", "flash-count: bad value for --segments: '2-'"},
        {"--size 0x10", "flash-count: bad value for --size: '0x10'"},
        {"--size 2097152x10", "flash-count: bad value for --size: '2097152x10'"},
        {"--from 2 --to 1", "flash-count: --to comes before --from"},
    };
    for (const auto& [args, line] : cases) {
        const ToolRun run = flashCount(args);
        EXPECT_EQ(run.exitCode, 2) << args;
        EXPECT_EQ(firstLine(run.err), line) << args;
        EXPECT_EQ(firstLine(run.err.substr(run.err.find('\n') + 1)).rfind("usage: flash-count ", 0), 0u) << args;
        EXPECT_EQ(run.out, "") << args;
    }
}

TEST(FlashCountTool, ASizePastOSMesasLargestBufferIsRefused) {
    int width = 0;
    int height = 0;
    std::string why;
    ASSERT_TRUE(OffscreenContext::largestSize(&width, &height, &why)) << why;
    const ToolRun run = flashCount("--size " + std::to_string(width + 1) + "x10");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(firstLine(run.err), "flash-count: --size is larger than OSMesa's largest buffer of " +
                                      std::to_string(width) + "x" + std::to_string(height));
}

// --segments chooses the frames counted: segment 2 has none in the first second.
TEST(FlashCountTool, SegmentsChooseTheFramesCounted) {
    ToolRun run = flashCount("--fps 1 --size 32x24 --from 0 --to 1 --segments 2-3");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(firstLine(run.err), "flash-count: no frame of the segments chosen lies between --from and --to");
    run = flashCount("--fps 1 --size 32x24 --from 0 --to 1 --segments 1,3");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(firstLine(run.out).find("flash-count: the ordinary show, 32x24 at 1 frames a second, 0.000 to 1.000 s, "
                                      "segments 1,3; "),
              0u)
        << run.out;
}

}  // namespace
