#include "shell/scene_table.h"

std::vector<std::string> SceneTable::loadScenes() {
    std::vector<std::string> failures;
    for (int i = 0; i < kSceneCount; ++i) {
        std::string failure;
        if (!load(SceneId(i), &failure)) failures.push_back(failure);
    }
    return failures;
}

bool SceneTable::load(SceneId id, std::string* failure) {
    const std::size_t i = std::size_t(id);
    inPlace_[i] = true;
    if (scenes_[i].load(schedule::sceneFile(id))) return true;
    *failure = std::string(schedule::sceneFile(id)) + ": " + scenes_[i].getLoadError();
    return false;
}
