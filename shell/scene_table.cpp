#include "shell/scene_table.h"

const std::array<const char*, kSceneCount> kSceneFiles = {
    "demodata/test.3ds",      "demodata/zentrik.3ds",  "demodata/quickbite.3ds", "demodata/direradeduziv.3ds",
    "demodata/velmora.3ds",   "demodata/tornvik.3ds",  "demodata/radidar.3ds",   "demodata/zengreet.3ds",
    "demodata/portal.3ds",    "demodata/slutt.3ds",    "demodata/ranko.3ds",     "demodata/test2.3ds",
    "demodata/torus2.3ds",    "demodata/torus2_.3ds",  "demodata/sphere.3ds",
};

std::vector<std::string> SceneTable::loadScenes() {
    std::vector<std::string> failures;
    for (std::size_t i = 0; i < scenes_.size(); ++i) {
        if (!scenes_[i].load(kSceneFiles[i])) failures.push_back(std::string(kSceneFiles[i]) + ": " + scenes_[i].getLoadError());
    }
    return failures;
}
