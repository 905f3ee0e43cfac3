// The calm show played through as orvel-capture --calm plays it, against
// the ordinary show at the moments the tests sample.

#include <gtest/gtest.h>

#include <set>

#include "shell/calm.h"
#include "shell/frame_schedule.h"
#include "shell/timeline.h"
#include "shell/timing.h"
#include "tests/capture/show_frames.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

long frameAt(double t) { return FrameSchedule(builtInTiming(), kFrameGridFps, t, t).firstWritten(); }

// Frames of the segments that the calm show neither dims nor slows are the
// ordinary show's, pixel for pixel, after all that the frames before them
// did differently; those of the others differ.
TEST(CalmFrames, OnlyTheSegmentsThatBreakTheRuleChange) {
    std::set<long> wanted;
    for (double t : schedule::kSegmentMoments) wanted.insert(frameAt(t));
    const Pictures ordinary = renderFrames(wanted, kFrameGridFps, kWidth, kHeight);
    const Pictures calmShow = renderFrames(wanted, kFrameGridFps, kWidth, kHeight, 1, true);
    ASSERT_EQ(ordinary.size(), wanted.size());
    ASSERT_EQ(calmShow.size(), wanted.size());
    for (int segment = 1; segment <= kSegmentCount; ++segment) {
        const long frame = frameAt(schedule::kSegmentMoments[segment - 1]);
        const bool changed = calm::dims(segment) || calm::slowsMotion(segment);
        EXPECT_EQ(calmShow.at(frame).rgb != ordinary.at(frame).rgb, changed) << "segment " << segment;
    }
}

}  // namespace
