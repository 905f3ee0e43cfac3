// The schedule's sample moments against the timeline, and show-schedule,
// which hands them to the scripts and the page's tests.

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "shell/frame_schedule.h"
#include "shell/framing.h"
#include "shell/sync_file.h"
#include "shell/sync_marks.h"
#include "shell/timeline.h"
#include "shell/timing.h"
#include "shell/window_title.h"
#include "tests/test_support.h"

namespace {

TEST(Moments, EachSegmentsMomentLiesInItsWindowOnTheSheetsGrid) {
    for (int segment = 1; segment <= kSegmentCount; ++segment) {
        const double t = schedule::kSegmentMoments[segment - 1];
        EXPECT_EQ(findSegment(builtInTiming(), float(t)), segment) << "moment " << t;
        // The sheet shows frame round(t x fps), drawn at that frame's own time.
        const double frame = t * schedule::kSheetFramesPerSecond;
        EXPECT_NEAR(frame, std::round(frame), 1e-9) << "moment " << t << " is off the sheet's grid";
    }
}

TEST(Moments, SegmentFourHasAMomentInEachOfItsStyles) {
    struct Style {
        DrawStyle style;
        int waveGroup;
        const char* name;
    };
    const Style styles[std::size(schedule::kSegment4StyleMoments)] = {
        {DrawStyle::Outline, 0, "outlines"}, {DrawStyle::Banded, 0, "stripes"}, {DrawStyle::Banded, 64, "waves"}};
    const auto scenes = std::make_unique<SceneTable>();
    for (size_t i = 0; i < std::size(styles); ++i) {
        const double t = schedule::kSegment4StyleMoments[i];
        ShellState state;
        const FramePlan plan = planFrame(state, *scenes, builtInTiming(), float(t));
        EXPECT_EQ(plan.segment, 4) << styles[i].name << " at " << t;
        EXPECT_EQ(plan.style, styles[i].style) << styles[i].name << " at " << t;
        EXPECT_EQ(plan.wave.groupSize, styles[i].waveGroup) << styles[i].name << " at " << t;
    }
}

TEST(Moments, TheOutlineMomentsFallInAFlashAndBetweenFlashes) {
    const auto scenes = std::make_unique<SceneTable>();
    float fieldOfView[2] = {};
    for (size_t i = 0; i < 2; ++i) {
        const double t = schedule::kOutlineMoments[i];
        ShellState state;
        EXPECT_EQ(planFrame(state, *scenes, builtInTiming(), float(t)).style, DrawStyle::Outline) << "at " << t;
        fieldOfView[i] = state.fieldOfView;
    }
    EXPECT_GT(fieldOfView[0], fieldOfView[1]) << "a flash draws the outlines wider";
}

// show-schedule's lines, each a name and its values.
std::map<std::string, std::vector<double>> scheduleLines(const std::string& text) {
    std::map<std::string, std::vector<double>> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string name;
        words >> name;
        std::vector<double>& values = lines[name];
        for (double value; words >> value;) values.push_back(value);
    }
    return lines;
}

TEST(ShowSchedule, WritesWhatTheHeadersHold) {
    const ToolRun run = runProgram({SHOW_SCHEDULE_PATH});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // The one line of words: the window's title, the rest of the line.
    std::string numbers = run.out;
    const std::string title = std::string("window-title ") + kWindowTitle + "\n";
    const size_t titleAt = numbers.find(title);
    ASSERT_NE(titleAt, std::string::npos) << run.out;
    numbers.erase(titleAt, title.size());
    using schedule::kOutlineMoments;
    using schedule::kSegmentMoments;
    const std::map<std::string, std::vector<double>> expected = {
        {"picture-size", {kPictureWidth, kPictureHeight}},
        {"canvas-max-side", {kMaxCanvasSide}},
        {"show-end", {schedule::kShowEnd}},
        {"segment-bounds", {std::begin(schedule::kSegmentBounds), std::end(schedule::kSegmentBounds)}},
        {"sheet-fps", {schedule::kSheetFramesPerSecond}},
        {"frame-grid-fps", {kFrameGridFps}},
        {"sync-tolerance", {schedule::kSyncTolerance}},
        {"sync-marks-max", {kMaxSyncMarks}},
        {"sync-file-max-bytes", {double(kMaxSyncFileBytes)}},
        {"timing-file-max-bytes", {double(kMaxTimingFileBytes)}},
        {"segment-moments", {std::begin(kSegmentMoments), std::end(kSegmentMoments)}},
        {"segment-4-styles",
         {schedule::segmentStart(4), schedule::kStripesFrom, schedule::kWavesFrom, schedule::segmentEnd(4)}},
        {"outline-moments", {std::begin(kOutlineMoments), std::end(kOutlineMoments)}},
    };
    EXPECT_EQ(scheduleLines(numbers), expected) << run.out;
}

}  // namespace
