#include "shell/scene_needs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "shell/timeline.h"

namespace {

// Loading a scene whose file is not there puts it in place, empty: no
// context or content is needed to say which scenes have come.
void putInPlace(SceneTable& scenes, SceneId id) {
    std::string failure;
    scenes.load(id, &failure);
    ASSERT_TRUE(scenes.inPlace(id));
}

TEST(SceneNeeds, ScenesComeInTheOrderTheTimelineFirstDrawsThem) {
    // What each segment's frame draws, asked of the timeline itself.
    auto scenes = std::make_unique<SceneTable>();
    std::vector<SceneId> drawn;
    for (int segment = 1; segment <= schedule::kSegmentCount; ++segment) {
        ShellState state;
        const float t = float((builtInTiming().segmentStart(segment) + builtInTiming().segmentEnd(segment)) / 2);
        const FramePlan plan = planFrame(state, *scenes, builtInTiming(), t);
        ASSERT_EQ(plan.segment, segment);
        for (SceneId id : {plan.scene, plan.materialScene})
            if (std::find(drawn.begin(), drawn.end(), id) == drawn.end()) drawn.push_back(id);
    }
    const std::vector<SceneId> order = scenesInOrderOfNeed();
    ASSERT_EQ(order.size(), std::size_t(kSceneCount));
    EXPECT_TRUE(std::equal(drawn.begin(), drawn.end(), order.begin()));
    // The scene that no segment draws comes last.
    EXPECT_EQ(drawn.size(), std::size_t(kSceneCount - 1));
    EXPECT_EQ(order.back(), SceneId::Slutt);
}

TEST(SceneNeeds, AFrameWaitsForTheScenesOfItsSegmentAndOfEverySegmentBefore) {
    // A retimed show: its bounds, not the built-in ones, say when.
    Timing timing = builtInTiming();
    timing.bounds[1] = 6.5;
    auto scenes = std::make_unique<SceneTable>();
    EXPECT_EQ(scenesReadyUntil(timing, *scenes), 0.0);
    putInPlace(*scenes, SceneId::Test);
    EXPECT_EQ(scenesReadyUntil(timing, *scenes), 6.5);
    // Segment 3's scene before segment 2's: frames still stop where segment 2 starts.
    putInPlace(*scenes, SceneId::Ranko);
    EXPECT_EQ(scenesReadyUntil(timing, *scenes), 6.5);
    putInPlace(*scenes, SceneId::Zentrik);
    EXPECT_EQ(scenesReadyUntil(timing, *scenes), timing.segmentStart(5));
    // Segment 5 draws test2.3ds in test.3ds's materials.
    for (SceneId id : scenesInOrderOfNeed())
        if (id != SceneId::Slutt) putInPlace(*scenes, id);
    EXPECT_TRUE(std::isinf(scenesReadyUntil(timing, *scenes)));
}

TEST(SceneNeeds, ASegmentWithWordsWaitsForItsTitle) {
    Timing timing = builtInTiming();
    timing.words[2] = "OUR GROUP";
    auto scenes = std::make_unique<SceneTable>();
    for (SceneId id : scenesInOrderOfNeed()) putInPlace(*scenes, id);
    // The built-in scenes would draw the built-in title there.
    EXPECT_EQ(scenesReadyUntil(timing, *scenes), timing.segmentStart(2));
    std::string failure;
    scenes->loadSegmentScene(2, nullptr, "words 2", &failure);
    EXPECT_TRUE(std::isinf(scenesReadyUntil(timing, *scenes)));
}

}  // namespace
