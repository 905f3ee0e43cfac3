#include "tools/demodata/scenes.h"

#include <algorithm>
#include <stdexcept>

std::vector<SceneFile> buildScenes() {
    std::vector<SceneFile> all = buildObjectScenes();
    for (SceneFile& file : buildTitleScenes()) all.push_back(std::move(file));
    // The order in which the show loads them.
    const char* const order[] = {"test",  "zentrik", "quickbite", "direradeduziv", "velmora",
                                 "tornvik", "radidar", "zengreet", "portal", "slutt",
                                 "ranko", "test2", "torus2", "torus2_", "sphere"};
    std::vector<SceneFile> sorted;
    for (const char* name : order) {
        const std::string fileName = std::string("demodata/") + name + ".3ds";
        auto it = std::find_if(all.begin(), all.end(), [&](const SceneFile& f) { return f.fileName == fileName; });
        if (it == all.end()) throw std::logic_error("no scene built for " + fileName);
        sorted.push_back(std::move(*it));
    }
    return sorted;
}
