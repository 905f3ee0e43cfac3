#include "shell/sync_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

#include "shell/schedule.h"
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
    for (float t : {12.345678f, 0.5f, 101.0f}) addSyncMark(state.syncMarks, t, schedule::kShowEnd);
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

TEST(SyncFileParse, ReadsWhatFormatWritesWithEitherLineEnd) {
    ShellState state = stateWithFrames();
    for (double t : {12.345678, 0.033333, 121.16, 7.0}) addSyncMark(state.syncMarks, t, schedule::kShowEnd);
    const std::string text = formatSyncFile(state);
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const std::string& t : {text, crlf}) {
        const SyncFileMarks read = parseSyncFile(t, schedule::kShowEnd);
        EXPECT_FALSE(read.binary);
        EXPECT_EQ(read.formatLines, 5);
        ShellState again = stateWithFrames();
        again.syncMarks = read.marks;
        EXPECT_EQ(formatSyncFile(again), text);
    }
}

TEST(SyncFileParse, SkipsOtherLinesAndCountsEachKindLeftOut) {
    const SyncFileMarks read = parseSyncFile(
        "notes for the second half\n"
        "time: 3.5\n"
        "time: -2.000000\n"
        "time: 500.000000\n"
        "time: nan\n"
        "time: inf\n"
        "time: twelve\n"
        "time: 1e1\n"
        "time: 0x10\n"
        "time: 3.500000\n"
        "time:4.0\n"
        "\n"
        "time: 9.25",
        schedule::kShowEnd);
    EXPECT_EQ(read.formatLines, 10);
    ASSERT_EQ(read.marks.count, 2) << "an exponent or hexadecimal is no time";
    EXPECT_EQ(read.marks.times[0], 3.5f);
    EXPECT_EQ(read.marks.times[1], 9.25f);
    EXPECT_EQ(read.negative, 1);
    EXPECT_EQ(read.pastEnd, 1);
    EXPECT_EQ(read.notANumber, 5);
    EXPECT_EQ(read.repeated, 1);
    EXPECT_EQ(read.beyondLimit, 0);
}

// A regression: an editor's byte order mark made the first line no line of a sync.txt.
TEST(SyncFileParse, SkipsAByteOrderMarkAtTheStart) {
    const SyncFileMarks read = parseSyncFile("\xEF\xBB\xBFtime: 3.5\r\ntime: 9.25\r\n", schedule::kShowEnd);
    EXPECT_EQ(read.formatLines, 2);
    ASSERT_EQ(read.marks.count, 2);
    EXPECT_EQ(read.marks.times[0], 3.5f);
    EXPECT_EQ(parseSyncFile("time: 1.0\n\xEF\xBB\xBFtime: 2.0\n", schedule::kShowEnd).marks.count, 1)
        << "only at the very start";
}

TEST(SyncFileParse, KeepsTheFirstHundredMarksAndCountsTheRest) {
    std::string text;
    for (int i = 0; i < 10000; ++i) text += "time: " + std::to_string(i * 0.01) + "\n";
    const SyncFileMarks read = parseSyncFile(text, schedule::kShowEnd);
    ASSERT_EQ(read.marks.count, kMaxSyncMarks);
    EXPECT_EQ(read.marks.times[kMaxSyncMarks - 1], float((kMaxSyncMarks - 1) * 0.01));
    EXPECT_EQ(read.beyondLimit, 10000 - kMaxSyncMarks);
    EXPECT_EQ(read.formatLines, 10000);
}

TEST(SyncFileParse, TextsThatAreNotASyncFile) {
    EXPECT_EQ(parseSyncFile("", schedule::kShowEnd).formatLines, 0);
    EXPECT_EQ(parseSyncFile("a shopping list\nmilk\n", schedule::kShowEnd).formatLines, 0);
    EXPECT_EQ(parseSyncFile("50.00 frames per second\n", schedule::kShowEnd).formatLines, 1) << "a run without marks";
    const SyncFileMarks binary = parseSyncFile(std::string("time: 1.0\n\x89PNG\0\x1a", 16), schedule::kShowEnd);
    EXPECT_TRUE(binary.binary);
    EXPECT_EQ(binary.marks.count, 0);
}

}  // namespace
