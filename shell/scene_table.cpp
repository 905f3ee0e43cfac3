#include "shell/scene_table.h"

std::vector<std::string> SceneTable::loadScenes() {
    std::vector<std::string> failures;
    for (std::size_t i = 0; i < scenes_.size(); ++i) {
        if (!scenes_[i].load(schedule::kSceneFiles[i])) failures.push_back(std::string(schedule::kSceneFiles[i]) + ": " + scenes_[i].getLoadError());
    }
    return failures;
}
