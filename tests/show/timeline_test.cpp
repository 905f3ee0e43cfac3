#include "shell/timeline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "shell/demo_clock.h"
#include "tests/show/show_test_support.h"
#include "tests/test_support.h"

namespace {

// The scene table lives on the heap: fifteen scenes with their buffers.
std::unique_ptr<SceneTable> emptyScenes() { return std::make_unique<SceneTable>(); }

void expectVec(Vec3 actual, Vec3 expected, const char* what) {
    EXPECT_EQ(actual.x, expected.x) << what << " x";
    EXPECT_EQ(actual.y, expected.y) << what << " y";
    EXPECT_EQ(actual.z, expected.z) << what << " z";
}

TEST(Timeline, SegmentWindowsExcludeTheirBounds) {
    struct Case {
        float t;
        int segment;
    };
    const Case cases[] = {
        {0.0f, 1},     {4.999f, 1},   {5.0f, 0},     {5.001f, 2},   {9.59f, 2},    {9.61f, 3},
        {14.39f, 3},   {14.41f, 4},   {43.23f, 4},   {43.25f, 5},   {52.8f, 5},    {52.82f, 6},
        {62.4f, 6},    {62.42f, 7},   {71.999f, 7},  {72.0f, 0},    {72.001f, 8},  {81.56f, 8},
        {81.58f, 9},   {91.15f, 9},   {91.17f, 10},  {97.17f, 11},  {100.17f, 12}, {103.17f, 13},
        {106.17f, 14}, {109.17f, 15}, {112.17f, 16}, {115.17f, 17}, {118.17f, 18}, {121.15f, 18},
    };
    for (const Case& c : cases) EXPECT_EQ(findSegment(builtInTiming(), c.t), c.segment) << "t = " << c.t;
}

TEST(Timeline, NoSegmentRunsAtFiveOrSeventyTwo) {
    auto scenes = emptyScenes();
    for (float t : {5.0f, 72.0f}) {
        ShellState state;
        state.rotationX = 7.0f;
        const FramePlan plan = planFrame(state, *scenes, builtInTiming(), t);
        EXPECT_FALSE(plan.ended) << "t = " << t;
        EXPECT_EQ(plan.segment, 0) << "t = " << t;
        EXPECT_EQ(state.fieldOfView, 190.0f) << "t = " << t;
        EXPECT_EQ(state.rotationX, 7.0f) << "t = " << t;
    }
}

TEST(Timeline, TheShowEndsAboveItsLastBound) {
    auto scenes = emptyScenes();
    ShellState state;
    EXPECT_FALSE(planFrame(state, *scenes, builtInTiming(), 121.15f).ended);
    // 121.16 as a float lies just above the bound.
    EXPECT_TRUE(planFrame(state, *scenes, builtInTiming(), 121.16f).ended);
    EXPECT_TRUE(planFrame(state, *scenes, builtInTiming(), 130.0f).ended);
    EXPECT_FALSE(showHasEnded(builtInTiming(), 121.0f));
    EXPECT_TRUE(showHasEnded(builtInTiming(), 121.2f));
}

TEST(Timeline, FirstFrameKeepsTheWideLensAndStoresZeroAngles) {
    auto scenes = emptyScenes();
    ShellState state;
    const FramePlan plan = planFrame(state, *scenes, builtInTiming(), 0.0f);
    EXPECT_EQ(plan.segment, 1);
    EXPECT_EQ(plan.fieldOfView, 190.0f);
    EXPECT_TRUE(plan.spin);
    expectVec(plan.spinAngles, Vec3{0, 0, 0}, "spin");
    expectVec(Vec3{state.rotationX, state.rotationY, state.rotationZ}, Vec3{0, 0, 0}, "stored angles");
    EXPECT_EQ(plan.style, DrawStyle::Textured);
    EXPECT_EQ(plan.scene, SceneId::Test);
    EXPECT_EQ(plan.materialScene, SceneId::Test);
}

TEST(Timeline, OpeningSpinsWithTheAnglesOfThePreviousFrame) {
    auto scenes = emptyScenes();
    ShellState state;
    planFrame(state, *scenes, builtInTiming(), 1.0f);
    expectVec(Vec3{state.rotationX, state.rotationY, state.rotationZ}, Vec3{-50, -10, 30}, "stored at 1 s");
    const FramePlan plan = planFrame(state, *scenes, builtInTiming(), 2.0f);
    expectVec(plan.spinAngles, Vec3{-50, -10, 30}, "spin at 2 s");
    expectVec(Vec3{state.rotationX, state.rotationY, state.rotationZ}, Vec3{-100, -20, 60}, "stored at 2 s");
}

TEST(Timeline, OpeningWithoutCameraTranslatesByZoom) {
    auto scenes = emptyScenes();
    ShellState state;
    press(state, kKeyPageUp);
    press(state, kKeyPageUp);
    press(state, kKeyPageDown);
    const FramePlan plan = planFrame(state, *scenes, builtInTiming(), 0.5f);
    EXPECT_EQ(plan.view, ViewSetup::Translate);
    expectVec(plan.translation, Vec3{0, 0, 1}, "translation");
}

TEST(Timeline, OpeningWithCameraLooksFromItWithoutMoving) {
    auto scenes = emptyScenes();
    ASSERT_TRUE(loadBytes(scenes->scene(SceneId::Test), cameraSceneBytes(Vec3{1, 2, 3}, Vec3{4, 5, 6}), nullptr));
    ShellState state;
    state.zoom = 9.0f;
    const FramePlan plan = planFrame(state, *scenes, builtInTiming(), 3.0f);
    ASSERT_EQ(plan.view, ViewSetup::LookAt);
    const double expected[9] = {1, 2, 3, 4, 5, 6, 0, 0, 1};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(plan.lookAt.eye[i], expected[i]) << "eye " << i;
        EXPECT_EQ(plan.lookAt.centre[i], expected[3 + i]) << "centre " << i;
        EXPECT_EQ(plan.lookAt.up[i], expected[6 + i]) << "up " << i;
    }
}

TEST(Timeline, HomeFreezesTheOpeningSpinButNotSegmentFour) {
    auto scenes = emptyScenes();
    ShellState state;
    planFrame(state, *scenes, builtInTiming(), 1.0f);
    press(state, kKeyHome);
    const FramePlan frozen = planFrame(state, *scenes, builtInTiming(), 3.0f);
    expectVec(frozen.spinAngles, Vec3{-50, -10, 30}, "spin while frozen");
    expectVec(Vec3{state.rotationX, state.rotationY, state.rotationZ}, Vec3{-50, -10, 30}, "stored while frozen");
    // Segment 4 spins first with the angles the opening left, then follows time.
    const FramePlan later = planFrame(state, *scenes, builtInTiming(), 16.0f);
    expectVec(later.spinAngles, Vec3{-50, -10, 30}, "first spin of segment 4");
    expectVec(Vec3{state.rotationX, state.rotationY, state.rotationZ}, Vec3{-800, -160, 480}, "stored at 16 s");
}

TEST(Timeline, RenderModesOneToThreeDrawNothingInTheOpening) {
    auto scenes = emptyScenes();
    for (int mode : {1, 2, 3}) {
        ShellState state;
        applyMenuChoice(state, mode);
        const FramePlan plan = planFrame(state, *scenes, builtInTiming(), 0.5f);
        EXPECT_EQ(plan.segment, 1) << "mode " << mode;
        EXPECT_EQ(plan.style, DrawStyle::Nothing) << "mode " << mode;
        // The opening still turns while nothing is shown.
        EXPECT_EQ(state.rotationZ, 15.0f) << "mode " << mode;
    }
}

TEST(Timeline, SegmentFourFieldOfViewPulsesOnTheBeats) {
    auto scenes = emptyScenes();
    struct Case {
        float t;
        float fov;
    };
    for (Case c : {Case{15.5f, 170.0f}, Case{15.7f, 150.0f}, Case{30.0f, 150.0f}, Case{20.4f, 170.0f},
                   Case{18.1f, 150.0f}, Case{14.5f, 150.0f}}) {
        ShellState state;
        const FramePlan plan = planFrame(state, *scenes, builtInTiming(), c.t);
        EXPECT_EQ(state.fieldOfView, c.fov) << "t = " << c.t;
        EXPECT_EQ(plan.fieldOfView, c.fov) << "t = " << c.t;
    }
}

TEST(Timeline, SegmentFourOutlinesThenBandsThenWaves) {
    auto scenes = emptyScenes();
    struct Case {
        float t;
        DrawStyle style;
        int groupSize;
    };
    for (Case c :
         {Case{20.9f, DrawStyle::Outline, 0}, Case{21.0f, DrawStyle::Nothing, 0}, Case{21.1f, DrawStyle::Banded, 0},
          Case{23.0f, DrawStyle::Banded, 0}, Case{24.0f, DrawStyle::Banded, 64}}) {
        ShellState state;
        const FramePlan plan = planFrame(state, *scenes, builtInTiming(), c.t);
        EXPECT_EQ(plan.segment, 4) << "t = " << c.t;
        EXPECT_EQ(plan.style, c.style) << "t = " << c.t;
        EXPECT_EQ(plan.wave.groupSize, c.groupSize) << "t = " << c.t;
        EXPECT_EQ(plan.view, ViewSetup::None) << "t = " << c.t;
        EXPECT_EQ(plan.texture, TextureSetup::Keep) << "t = " << c.t;
    }
}

TEST(Timeline, SegmentFiveScrollsTheTextureThenPulses) {
    auto scenes = emptyScenes();
    ShellState state;
    FramePlan plan = planFrame(state, *scenes, builtInTiming(), 47.0f);
    EXPECT_EQ(plan.fieldOfView, 120.0f);
    EXPECT_EQ(plan.texture, TextureSetup::Translate);
    expectVec(plan.textureTranslation, Vec3{0, -47, 0}, "texture at 47 s");
    EXPECT_EQ(plan.scene, SceneId::Test2);
    EXPECT_EQ(plan.materialScene, SceneId::Test);
    EXPECT_EQ(plan.view, ViewSetup::Translate);
    expectVec(plan.translation, Vec3{0, 0, -15}, "view at 47 s");

    plan = planFrame(state, *scenes, builtInTiming(), 48.0f);
    EXPECT_EQ(plan.fieldOfView, float(15.0 * std::sin(480.0) + 110.0));
    expectVec(plan.textureTranslation, Vec3{24, 24, 5}, "texture at 48 s");
}

TEST(Timeline, TexturedSegmentsResetTheTextureMatrixAndSpinWithNewAngles) {
    auto scenes = emptyScenes();
    struct Case {
        float t;
        SceneId scene;
        float fov;
        float zRate;
        int groupSize;
    };
    for (Case c : {Case{55.0f, SceneId::Sphere, 170, 1, 0}, Case{65.0f, SceneId::Sphere, 170, 5, 16},
                   Case{75.0f, SceneId::Torus2Underscore, 170, 5, 16}, Case{85.0f, SceneId::Torus2, 110, 1, 0}}) {
        ShellState state;
        const FramePlan plan = planFrame(state, *scenes, builtInTiming(), c.t);
        EXPECT_EQ(plan.scene, c.scene) << "t = " << c.t;
        EXPECT_EQ(plan.materialScene, c.scene) << "t = " << c.t;
        EXPECT_EQ(plan.style, DrawStyle::Textured) << "t = " << c.t;
        EXPECT_EQ(plan.texture, TextureSetup::Reset) << "t = " << c.t;
        EXPECT_EQ(plan.fieldOfView, c.fov) << "t = " << c.t;
        EXPECT_EQ(plan.wave.groupSize, c.groupSize) << "t = " << c.t;
        expectVec(plan.spinAngles, Vec3{-50 * c.t, -10 * c.t, c.zRate * c.t}, "new spin");
    }
}

TEST(Timeline, SegmentsSixAndNineMoveTheSceneAlongZ) {
    auto scenes = emptyScenes();
    ShellState state;
    FramePlan plan = planFrame(state, *scenes, builtInTiming(), 55.0f);
    expectVec(plan.translation, Vec3{0, 0, float(20.0 * std::sin(55.0) - 20.0)}, "segment 6");
    plan = planFrame(state, *scenes, builtInTiming(), 85.0f);
    expectVec(plan.translation, Vec3{0, 0, float(80.0 * std::sin(340.0) - 140.0)}, "segment 9");
    plan = planFrame(state, *scenes, builtInTiming(), 65.0f);
    EXPECT_EQ(plan.view, ViewSetup::None);
}

TEST(Timeline, WaveMovesGroupsOfSixtyFourFacesWithEqualXAndZ) {
    const Wave wave{10.0f, 64, 24.0f};
    const Vec3 first = waveOffset(wave, 0);
    expectVec(first, Vec3{float(10 * std::cos(24.0)), float(10 * std::sin(24.0)), float(10 * std::cos(24.0))},
              "face 0");
    for (int j = 1; j < 64; ++j) expectVec(waveOffset(wave, j), first, "faces 1 to 63");
    const Vec3 next = waveOffset(wave, 64);
    expectVec(next, Vec3{float(10 * std::cos(25.0)), float(10 * std::sin(25.0)), float(10 * std::cos(25.0))},
              "face 64");
    EXPECT_NE(next.y, first.y);
    for (int j : {0, 64, 200, 5000}) EXPECT_EQ(waveOffset(wave, j).x, waveOffset(wave, j).z) << "face " << j;
}

TEST(Timeline, SegmentSevenWavesGroupsOfSixteenFaces) {
    auto scenes = emptyScenes();
    ShellState state;
    const FramePlan plan = planFrame(state, *scenes, builtInTiming(), 65.0f);
    EXPECT_EQ(plan.wave.time, 65.0f) << "the wave moves with the frame's time";
    for (int j = 0; j < 16; ++j) expectVec(waveOffset(plan.wave, j), waveOffset(plan.wave, 0), "faces 0 to 15");
    for (int j = 17; j < 32; ++j) expectVec(waveOffset(plan.wave, j), waveOffset(plan.wave, 16), "faces 16 to 31");
    EXPECT_NE(waveOffset(plan.wave, 16).y, waveOffset(plan.wave, 15).y);
    EXPECT_EQ(waveOffset(plan.wave, 16).x, float(20 * std::cos(66.0)));
}

TEST(Timeline, WithoutAWaveFacesStayInPlace) {
    expectVec(waveOffset(Wave{0.0f, 0, 50.0f}, 100), Vec3{0, 0, 0}, "no wave");
}

TEST(Timeline, BandedFacesComeInBlackAndWhitePairs) {
    const bool expected[8] = {false, false, true, true, false, false, true, true};
    for (int j = 0; j < 8; ++j) EXPECT_EQ(bandIsWhite(j), expected[j]) << "face " << j;
}

TEST(Timeline, CameraFlightsUseTheirScenesAndStartTimes) {
    struct Case {
        int segment;
        SceneId scene;
        double start;
    };
    const Case cases[] = {
        {2, SceneId::Zentrik, 5.0},          {3, SceneId::Ranko, 9.6},        {10, SceneId::Quickbite, 91.16},
        {11, SceneId::Direradeduziv, 97.16}, {12, SceneId::Velmora, 100.16},  {13, SceneId::Tornvik, 103.16},
        {14, SceneId::Radidar, 106.16},      {15, SceneId::Zengreet, 109.16}, {16, SceneId::Portal, 112.16},
        {17, SceneId::Tornvik, 115.16},      {18, SceneId::Radidar, 118.16},
    };
    auto scenes = emptyScenes();
    for (const Case& c : cases)
        ASSERT_TRUE(loadBytes(scenes->scene(c.scene), cameraSceneBytes(Vec3{10, 20, 30}, Vec3{1, 2, 3}), nullptr));
    for (const Case& c : cases) {
        ShellState state;
        const float t = float(c.start + 1.0);
        const FramePlan plan = planFrame(state, *scenes, builtInTiming(), t);
        EXPECT_EQ(plan.segment, c.segment) << "t = " << t;
        EXPECT_EQ(plan.scene, c.scene) << "segment " << c.segment;
        EXPECT_EQ(plan.fieldOfView, 70.0f) << "segment " << c.segment;
        EXPECT_EQ(plan.style, DrawStyle::White) << "segment " << c.segment;
        ASSERT_EQ(plan.view, ViewSetup::LookAt) << "segment " << c.segment;
        // One second into the flight the eye is 100 units further along +x.
        EXPECT_NEAR(plan.lookAt.eye[0], 110.0, 1e-3) << "segment " << c.segment;
        EXPECT_EQ(plan.lookAt.eye[0], 10.0 + (double(t) - c.start) * 100.0) << "segment " << c.segment;
        EXPECT_EQ(plan.lookAt.eye[1], 20.0) << "segment " << c.segment;
        EXPECT_EQ(plan.lookAt.centre[0], 1.0) << "segment " << c.segment;
        EXPECT_EQ(plan.lookAt.up[2], 1.0) << "segment " << c.segment;
    }
}

TEST(Timeline, CameraFlightWithoutCameraClearsAndDrawsNothing) {
    auto scenes = emptyScenes();
    ASSERT_TRUE(loadBytes(scenes->scene(SceneId::Zentrik), stripSceneBytes(4), nullptr));
    ShellState state;
    const FramePlan plan = planFrame(state, *scenes, builtInTiming(), 6.0f);
    EXPECT_EQ(plan.segment, 2);
    EXPECT_EQ(plan.view, ViewSetup::None);
    EXPECT_EQ(plan.style, DrawStyle::Nothing);
}

TEST(DemoClock, CounterSecondsAreTheSignedDifferenceOverTheFrequency) {
    EXPECT_EQ(counterSeconds(3500000000, 1000000000, 1000000000), 2.5f);
    EXPECT_EQ(counterSeconds(1000, 3000, 1000), -2.0f);
    TestCounter counter(7000);
    DemoClock clock;
    clock.useCounter(counter);
    clock.start();
    EXPECT_EQ(clock.counterFrequency(), 1000);
    EXPECT_EQ(clock.seconds(), 0.0f);
    counter.advance(1500);
    EXPECT_EQ(clock.seconds(), 1.5f);
    EXPECT_GT(steadyCounter().frequency(), 0);
}

TEST(DemoClock, MillisecondTicksAreTheCountersWholeMilliseconds) {
    struct Fixed : Counter {
        int64_t reading;
        int64_t perSecond;
        Fixed(int64_t r, int64_t f) : reading(r), perSecond(f) {}
        int64_t now() const override { return reading; }
        int64_t frequency() const override { return perSecond; }
    };
    EXPECT_EQ(millisecondTicks(Fixed(2500, 1000)), 2500);
    EXPECT_EQ(millisecondTicks(Fixed(1999999999, 1000000000)), 1999) << "whole milliseconds, rounded down";
    EXPECT_EQ(millisecondTicks(Fixed(441, 44100)), 10);
}

// The music is heard an output latency after it starts: demo time stays 0
// until then and runs in step after it.
TEST(DemoClock, StartDelayedByTheOutputLatencyHoldsZeroUntilTheSoundIsHeard) {
    DemoClock clock;
    clock.startAt(1000000000, 1000000000, 2048.0 / 44100.0);
    EXPECT_EQ(clock.counterStart(), 1046439909);
    float last = 0.0f;
    for (int64_t now = 990000000; now < 1100000000; now += 1000000) {
        const float seconds = clock.secondsAt(now);
        EXPECT_GE(seconds, last) << "at " << now;
        EXPECT_EQ(seconds, now < 1046439909 ? 0.0f : counterSeconds(now, 1046439909, 1000000000)) << "at " << now;
        last = seconds;
    }
    EXPECT_EQ(clock.secondsAt(3546439909), 2.5f);
}

// A delay that is negative or not a number starts demo time at once; none
// is longer than a second.
TEST(DemoClock, MusicDelaysDemoTimeOnlyByALatencyAboveTheSyncTolerance) {
    // A counter of microseconds; latencies a millisecond either side of the
    // tolerance, and the tolerance itself.
    const int64_t frequency = 1000000;
    const int64_t counter = 7000000;
    const int64_t tolerance = std::llround(schedule::kSyncTolerance * double(frequency));
    struct Case {
        int64_t latency;
        int64_t start;
    };
    for (const Case& c : {Case{tolerance - 1000, counter}, Case{tolerance, counter},
                          Case{tolerance + 1000, counter + tolerance + 1000}}) {
        DemoClock clock;
        clock.startWithMusicAt(counter, frequency, double(c.latency) / double(frequency));
        EXPECT_EQ(clock.counterStart(), c.start) << "latency " << c.latency << " us";
        EXPECT_EQ(clock.secondsAt(c.start + frequency), 1.0f) << "latency " << c.latency << " us";
    }
}

TEST(DemoClock, DelayIsNeverNegativeNorLongerThanASecond) {
    const struct {
        double delay;
        int64_t start;
    } cases[] = {{0.0, 5000}, {-0.05, 5000}, {std::nan(""), 5000}, {HUGE_VAL, 5000}, {3.0, 6000}};
    for (const auto& c : cases) {
        DemoClock clock;
        clock.startAt(5000, 1000, c.delay);
        EXPECT_EQ(clock.counterStart(), c.start) << "delay " << c.delay;
        EXPECT_EQ(clock.secondsAt(c.start + 2500), 2.5f) << "delay " << c.delay;
        EXPECT_EQ(clock.secondsAt(4000), 0.0f) << "delay " << c.delay;
    }
}

}  // namespace
