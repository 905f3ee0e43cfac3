#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "shell/sync_file.h"
#include "tests/test_support.h"

namespace {

// 250 frames in 5 seconds of ticks.
ShellState stateWithFrames() {
    ShellState state;
    state.frameCount = 250;
    state.startTicks = 1200;
    state.endTicks = 6200;
    return state;
}

TEST(SyncFile, WithoutMarksHoldsOnlyTheFrameRate) {
    EXPECT_EQ(formatSyncFile(stateWithFrames()), "50.00 frames per second\n");
}

TEST(SyncFile, MarksComeFirstInTheOrderRecorded) {
    ShellState state = stateWithFrames();
    state.frameCount = 1234;
    state.endTicks = state.startTicks + 3000;
    for (float t : {12.345678f, 0.5f, 101.0f}) {
        state.demoTime = t;
        recordSyncMark(state);
    }
    EXPECT_EQ(formatSyncFile(state),
              "time: 12.345678\n"
              "time: 0.500000\n"
              "time: 101.000000\n"
              "411.33 frames per second\n");
}

TEST(SyncFile, ShortRatesArePaddedToFourCharacters) {
    ShellState state;
    state.frameCount = 1;
    state.startTicks = 0;
    state.endTicks = 1000;
    EXPECT_EQ(formatSyncFile(state), "1.00 frames per second\n");
}

TEST(SyncFile, AFrameCountTimesAThousandBeyond32BitsStaysRight) {
    ShellState state;
    state.frameCount = 3000000;
    state.startTicks = 0;
    state.endTicks = 1000000;
    EXPECT_EQ(formatSyncFile(state), "3000.00 frames per second\n");
}

TEST(SyncFile, WriteReplacesAnOlderLongerFile) {
    TempDir dir;
    const std::string path = dir.file("sync.txt");
    {
        std::ofstream old(path);
        old << "time: 1.000000\ntime: 2.000000\ntime: 3.000000\n99.00 frames per second\n";
    }
    std::string error;
    ASSERT_TRUE(writeSyncFile(path.c_str(), stateWithFrames(), &error)) << error;
    EXPECT_EQ(readTextFile(path), "50.00 frames per second\n");
}

TEST(SyncFile, WriteInTheWayOfADirectoryFailsWithAReason) {
    TempDir dir;
    const std::string path = dir.file("sync.txt");
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    std::string error;
    EXPECT_FALSE(writeSyncFile(path.c_str(), stateWithFrames(), &error));
    EXPECT_EQ(error, "Is a directory");
}

}  // namespace
