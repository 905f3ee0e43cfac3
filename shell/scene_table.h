#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "shell/schedule.h"

using schedule::kSceneCount;
using schedule::SceneId;

// The fifteen scenes. They start empty; each is loaded once, all at start-up
// (loadScenes) or one by one as their files arrive (load, the page).
class SceneTable {
public:
    // Loads every scene file in table order. A scene that cannot be read
    // stays as the reader left it (empty when the file is missing), and its
    // file is reported in the result, one line each: "<file>: <why>".
    // Textures are uploaded as they are read, so a GL context must be current.
    std::vector<std::string> loadScenes();

    // Loads one scene as loadScenes does; false, with failure set to
    // "<file>: <why>", when it cannot be read. Either way it is in place
    // from then on.
    bool load(SceneId id, std::string* failure);
    // Whether the scene has been loaded (or tried): frames may draw it.
    bool inPlace(SceneId id) const { return inPlace_[std::size_t(id)]; }

    const Scene& scene(SceneId id) const { return scenes_[std::size_t(id)]; }
    Scene& scene(SceneId id) { return scenes_[std::size_t(id)]; }

    // A segment's own scene, which a timing's words or scene line gives it:
    // read from stream (which the table takes over), named name in its
    // failure, "<name>: <why>". It replaces what the schedule draws in the
    // segment, and its own materials dress it. In place from then on, even
    // when it cannot be read (then it draws nothing).
    bool loadSegmentScene(int segment, std::FILE* stream, const std::string& name, std::string* failure);
    // The segment's own scene; null when it has none.
    Scene* segmentScene(int segment) { return segmentScenes_[std::size_t(segment)].get(); }
    bool hasSegmentScene(int segment) const { return segmentScenes_[std::size_t(segment)] != nullptr; }
    // Takes every segment's own scene away.
    void clearSegmentScenes();
    // What segment draws where the schedule names builtIn for it (its scene
    // or its materials): the segment's own scene, when it has one.
    const Scene& drawnIn(int segment, SceneId builtIn) const;

private:
    std::array<Scene, kSceneCount> scenes_;
    std::array<bool, kSceneCount> inPlace_{};
    std::array<std::unique_ptr<Scene>, schedule::kSegmentCount + 1> segmentScenes_;
};
