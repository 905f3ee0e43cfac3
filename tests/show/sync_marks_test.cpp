#include "shell/sync_marks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "shell/schedule.h"

namespace {

TEST(SyncMarks, AMarkGoesAtTheEndOfTheListFromStartToEnd) {
    SyncMarks marks;
    for (double t : {12.5, 0.0, schedule::kShowEnd})
        EXPECT_EQ(addSyncMark(marks, t, schedule::kShowEnd), MarkResult::Added) << t;
    ASSERT_EQ(marks.count, 3);
    EXPECT_EQ(marks.times[0], 12.5f);
    EXPECT_EQ(marks.times[1], 0.0f);
    EXPECT_EQ(marks.times[2], float(schedule::kShowEnd));
}

TEST(SyncMarks, RefusalsLeaveTheListAsItWas) {
    SyncMarks marks;
    ASSERT_EQ(addSyncMark(marks, 3.25, schedule::kShowEnd), MarkResult::Added);
    const struct {
        double time;
        MarkResult result;
    } cases[] = {{3.25, MarkResult::Taken},
                 {3.2500004, MarkResult::Taken},
                 {3.2499995, MarkResult::Taken},
                 {-0.001, MarkResult::OutsideShow},
                 {schedule::kShowEnd + 0.001, MarkResult::OutsideShow},
                 {std::nan(""), MarkResult::OutsideShow},
                 {std::numeric_limits<double>::infinity(), MarkResult::OutsideShow}};
    for (const auto& c : cases) {
        EXPECT_EQ(addSyncMark(marks, c.time, schedule::kShowEnd), c.result) << c.time;
        EXPECT_EQ(marks.count, 1) << c.time;
    }
}

TEST(SyncMarks, OneHundredMarksTakeNoMore) {
    SyncMarks marks;
    for (int i = 0; i < kMaxSyncMarks; ++i)
        ASSERT_EQ(addSyncMark(marks, i * 0.5, schedule::kShowEnd), MarkResult::Added) << i;
    EXPECT_EQ(addSyncMark(marks, 100.25, schedule::kShowEnd), MarkResult::Full);
    EXPECT_EQ(marks.count, kMaxSyncMarks);
    EXPECT_EQ(marks.times[kMaxSyncMarks - 1], float(kMaxSyncMarks - 1) * 0.5f);
}

TEST(SyncMarks, DeleteMovesTheLaterMarksUp) {
    SyncMarks marks;
    for (double t : {1.0, 2.0, 3.0}) addSyncMark(marks, t, schedule::kShowEnd);
    EXPECT_FALSE(deleteSyncMark(marks, 3));
    EXPECT_FALSE(deleteSyncMark(marks, -1));
    ASSERT_TRUE(deleteSyncMark(marks, 0));
    ASSERT_EQ(marks.count, 2);
    EXPECT_EQ(marks.times[0], 2.0f);
    EXPECT_EQ(marks.times[1], 3.0f);
    EXPECT_EQ(addSyncMark(marks, 1.0, schedule::kShowEnd), MarkResult::Added) << "a deleted mark's time is free again";
    EXPECT_EQ(addSyncMark(marks, 1.000001, schedule::kShowEnd), MarkResult::Added)
        << "a microsecond apart is another line";
}

TEST(SyncMarks, TwoTimesWrittenAsOneLineAreOneMark) {
    // 15.0078125 is exact in a float and lies half way: sync.txt writes it
    // 15.007812, as it writes the float nearest 15.007812.
    SyncMarks marks;
    ASSERT_EQ(addSyncMark(marks, 15.0078125, schedule::kShowEnd), MarkResult::Added);
    EXPECT_EQ(addSyncMark(marks, 15.007812, schedule::kShowEnd), MarkResult::Taken);
    EXPECT_EQ(addSyncMark(marks, 15.007813, schedule::kShowEnd), MarkResult::Added);
    ASSERT_EQ(addSyncMark(marks, -0.0, schedule::kShowEnd), MarkResult::Added);
    EXPECT_FALSE(std::signbit(marks.times[3])) << "the start is written 0.000000";
    EXPECT_EQ(addSyncMark(marks, 0.0, schedule::kShowEnd), MarkResult::Taken);
}

}  // namespace
