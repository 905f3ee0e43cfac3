#include "shell/frame_schedule.h"

#include <gtest/gtest.h>

#include "shell/timeline.h"

namespace {

TEST(FrameSchedule, ShortRangeAtTenFramesASecondWritesFiftyToFiftyPointTwo) {
    const FrameSchedule s(builtInTiming(), 10, 50.0, 50.2);
    EXPECT_EQ(s.firstWritten(), 500);
    EXPECT_EQ(s.endFrame(), 503);
    EXPECT_EQ(s.writtenCount(), 3);
    EXPECT_EQ(s.time(500), 50.0f);
    EXPECT_EQ(s.time(501), 50.1f);
    EXPECT_EQ(s.time(502), 50.2f);
    EXPECT_FALSE(s.written(499));
    EXPECT_TRUE(s.written(500));
    EXPECT_TRUE(s.written(502));
    EXPECT_FALSE(s.written(503));
}

TEST(FrameSchedule, WholeShowAtThirtyEndsBeforeTheFirstFramePastTheEnd) {
    const FrameSchedule s(builtInTiming(), 30, 0.0, -1.0);
    EXPECT_EQ(s.firstWritten(), 0);
    // 3634 / 30 = 121.133 is drawn, 3635 / 30 = 121.167 lies past the end.
    EXPECT_EQ(s.endFrame(), 3635);
    EXPECT_FALSE(showHasEnded(builtInTiming(), s.time(3634)));
    EXPECT_TRUE(showHasEnded(builtInTiming(), s.time(3635)));
}

TEST(FrameSchedule, FrameOnTheLastBoundIsPastTheEnd) {
    // 3029 / 25 = 121.16: as the float the show compares, it lies above the bound.
    const FrameSchedule s(builtInTiming(), 25, 0.0, -1.0);
    EXPECT_EQ(s.endFrame(), 3029);
}

TEST(FrameSchedule, BoundsBetweenFramesRoundInward) {
    const FrameSchedule s(builtInTiming(), 30, 10.01, 10.99);
    EXPECT_EQ(s.firstWritten(), 301) << "first frame at or after 10.01";
    EXPECT_EQ(s.endFrame(), 330) << "last frame at or before 10.99 is 329";
}

TEST(FrameSchedule, EndAfterTheShowStopsAtTheShow) {
    const FrameSchedule s(builtInTiming(), 30, 120.0, 500.0);
    EXPECT_EQ(s.firstWritten(), 3600);
    EXPECT_EQ(s.endFrame(), 3635);
}

TEST(FrameSchedule, RangeWithoutAFrameWritesNothing) {
    EXPECT_EQ(FrameSchedule(builtInTiming(), 30, 10.01, 10.02).writtenCount(), 0);
    EXPECT_EQ(FrameSchedule(builtInTiming(), 30, 121.15, -1.0).writtenCount(), 0);
}

TEST(FrameSchedule, OnlyTheFrameBeforeTheFirstWrittenNeedsItsPicture) {
    const FrameSchedule s(builtInTiming(), 10, 5.0, 5.0);
    EXPECT_FALSE(s.needsPicture(0));
    EXPECT_FALSE(s.needsPicture(48));
    EXPECT_TRUE(s.needsPicture(49)) << "t = 4.9 is what the skipped frame at 5.0 shows";
    EXPECT_TRUE(s.needsPicture(50));
}

}  // namespace
