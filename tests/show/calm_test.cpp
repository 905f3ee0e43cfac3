// The calm show's rules, as decisions of the frame plan.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "shell/calm.h"
#include "shell/timeline.h"

namespace {

FramePlan planAt(float t, bool calmShow, const Timing& timing = builtInTiming()) {
    static const auto scenes = std::make_unique<SceneTable>();
    ShellState state;
    state.calm = calmShow;
    return planFrame(state, *scenes, timing, t);
}

// Times of the 120 s show as floats are a few millionths of a second apart,
// and angles move 50 degrees a second at most.
constexpr float kDegrees = 1e-3f;

void expectSameMotion(const FramePlan& actual, const FramePlan& expected, const std::string& what) {
    EXPECT_NEAR(actual.spinAngles.x, expected.spinAngles.x, kDegrees) << what;
    EXPECT_NEAR(actual.spinAngles.y, expected.spinAngles.y, kDegrees) << what;
    EXPECT_NEAR(actual.spinAngles.z, expected.spinAngles.z, kDegrees) << what;
    EXPECT_NEAR(actual.translation.z, expected.translation.z, kDegrees) << what;
    EXPECT_NEAR(actual.wave.time, expected.wave.time, kDegrees) << what;
    EXPECT_EQ(actual.wave.groupSize, expected.wave.groupSize) << what;
}

// The grey's light, and a red's in a texture it modulates, changes the
// rule's relative luminance by less than 0.1 and its red value
// ((R - G - B) x 320) by less than 20.
TEST(Calm, TheDimGreyLiesBelowTheRulesChanges) {
    const double v = double(calm::kDimGrey);
    const double linear = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    EXPECT_LT(linear, 0.1);
    EXPECT_LT(linear * 320.0, 20.0);
}

// Segments 7 and 9 start where the ordinary show starts them, in the
// built-in timing as in one that moves their start, and move at the calm
// show's speed: three seconds in, the calm show is where the ordinary one
// was after three seconds at that speed. (flash-count's tests tell whether
// that speed keeps to the rule.)
TEST(Calm, SlowedSegmentsStartAsTheOrdinaryOnesAndMoveAtTheCalmSpeed) {
    Timing later = builtInTiming();
    for (int segment : {7, 9}) later.bounds[segment - 1] += 1.5;
    const Timing* timings[] = {&builtInTiming(), &later};
    for (const Timing* timing : timings) {
        for (int segment : {7, 9}) {
            const double start = timing->segmentStart(segment);
            for (double after : {0.003, 3.0}) {
                expectSameMotion(planAt(float(start + after), true, *timing),
                                 planAt(float(start + after * calm::kMotionSpeed), false, *timing),
                                 "segment " + std::to_string(segment) + ", " + std::to_string(after) + " s in");
            }
            EXPECT_EQ(planAt(float(start + 3.0), true, *timing).brightest, 1.0f) << "segment " << segment;
        }
    }
}

TEST(Calm, DimsTheSegmentsWithPatternsWhateverTheirStyle) {
    for (int segment = 1; segment <= kSegmentCount; ++segment) {
        const double t = schedule::kSegmentMoments[segment - 1];
        const bool dimmed = segment == 1 || segment == 4 || segment == 5 || segment == 6 || segment == 8;
        EXPECT_EQ(planAt(float(t), true).brightest, dimmed ? calm::kDimGrey : 1.0f) << "segment " << segment;
        EXPECT_EQ(planAt(float(t), false).brightest, 1.0f) << "segment " << segment;
    }
    for (double t : schedule::kSegment4StyleMoments) EXPECT_EQ(planAt(float(t), true).brightest, calm::kDimGrey) << t;
}

// Where the calm show neither dims nor slows, its plan is the ordinary one,
// and so is what a dimmed frame leaves for the next (the renderer restores
// it): the segments after a dimmed one look as they do in the ordinary show.
TEST(Calm, ChangesNothingElseAndLeavesTheOrdinaryColourBehind) {
    for (int segment : {2, 3, 10, 11, 12, 13, 14, 15, 16, 17, 18}) {
        const float t = float(schedule::kSegmentMoments[segment - 1]);
        const FramePlan calmPlan = planAt(t, true);
        const FramePlan plan = planAt(t, false);
        EXPECT_EQ(calmPlan.style, plan.style) << "segment " << segment;
        EXPECT_EQ(calmPlan.fieldOfView, plan.fieldOfView) << "segment " << segment;
        EXPECT_EQ(calmPlan.brightest, plan.brightest) << "segment " << segment;
        expectSameMotion(calmPlan, plan, "a segment left alone");
    }
    const auto scenes = std::make_unique<SceneTable>();
    ShellState ordinary;
    ShellState calmShow;
    calmShow.calm = true;
    for (double t : schedule::kSegment4StyleMoments) {
        planFrame(ordinary, *scenes, builtInTiming(), float(t));
        planFrame(calmShow, *scenes, builtInTiming(), float(t));
        EXPECT_EQ(calmShow.colour.isShade, ordinary.colour.isShade) << t;
        EXPECT_EQ(calmShow.colour.level, ordinary.colour.level) << t;
        EXPECT_EQ(calmShow.colour.shade, ordinary.colour.shade) << t;
    }
}

// Segment 1, and segments 4 to 9 joined: where the ordinary show breaks
// the rule, for author mode's strip, in the timing the author moves.
TEST(Calm, ChangedStretchesAreTheChangedSegmentsJoined) {
    Timing retimed = builtInTiming();
    retimed.bounds[3] += 2.0;
    const Timing* timings[] = {&builtInTiming(), &retimed};
    for (const Timing* timing : timings) {
        const std::vector<schedule::Window> stretches = calm::changedStretches(*timing);
        ASSERT_EQ(stretches.size(), 2u);
        EXPECT_EQ(stretches[0].begin, timing->segmentStart(1));
        EXPECT_EQ(stretches[0].end, timing->segmentEnd(1));
        EXPECT_EQ(stretches[1].begin, timing->segmentStart(4));
        EXPECT_EQ(stretches[1].end, timing->segmentEnd(9));
    }
}

}  // namespace
