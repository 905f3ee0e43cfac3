#include "tools/demodata/scenes.h"

#include <algorithm>
#include <stdexcept>

#include "shell/schedule.h"

std::vector<SceneFile> buildScenes() {
    std::vector<SceneFile> all = buildObjectScenes();
    for (SceneFile& file : buildTitleScenes()) all.push_back(std::move(file));
    // The order in which the show loads them.
    std::vector<SceneFile> sorted;
    for (const char* fileName : schedule::kSceneFiles) {
        auto it = std::find_if(all.begin(), all.end(), [&](const SceneFile& f) { return f.fileName == fileName; });
        if (it == all.end()) throw std::logic_error(std::string("no scene built for ") + fileName);
        sorted.push_back(std::move(*it));
    }
    return sorted;
}
