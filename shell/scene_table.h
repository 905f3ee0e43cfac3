#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "shell/schedule.h"

using schedule::kSceneCount;
using schedule::SceneId;

// The fifteen scenes. They start empty; loadScenes fills them once.
class SceneTable {
public:
    // Loads every scene file in table order. A scene that cannot be read
    // stays as the reader left it (empty when the file is missing), and its
    // file is reported in the result, one line each: "<file>: <why>".
    // Textures are uploaded as they are read, so a GL context must be current.
    std::vector<std::string> loadScenes();

    const Scene& scene(SceneId id) const { return scenes_[std::size_t(id)]; }
    Scene& scene(SceneId id) { return scenes_[std::size_t(id)]; }

private:
    std::array<Scene, kSceneCount> scenes_;
};
