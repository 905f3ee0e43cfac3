#include "shell/scene_needs.h"

#include <algorithm>
#include <limits>

std::vector<SceneId> scenesInOrderOfNeed() {
    std::vector<SceneId> order;
    const auto add = [&order](SceneId id) {
        if (std::find(order.begin(), order.end(), id) == order.end()) order.push_back(id);
    };
    for (int segment = 1; segment <= schedule::kSegmentCount; ++segment) {
        const schedule::ObjectSegment drawn = schedule::segmentScenes(segment);
        add(drawn.scene);
        add(drawn.materials);
    }
    for (int i = 0; i < kSceneCount; ++i) add(SceneId(i));
    return order;
}

double scenesReadyUntil(const Timing& timing, const SceneTable& scenes) {
    for (int segment = 1; segment <= schedule::kSegmentCount; ++segment) {
        const schedule::ObjectSegment drawn = schedule::segmentScenes(segment);
        const bool ownInPlace = timing.words[std::size_t(segment)].empty() || scenes.hasSegmentScene(segment);
        if (!scenes.inPlace(drawn.scene) || !scenes.inPlace(drawn.materials) || !ownInPlace)
            return timing.segmentStart(segment);
    }
    return std::numeric_limits<double>::infinity();
}
