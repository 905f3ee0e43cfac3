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

bool SceneTable::loadSegmentScene(int segment, std::FILE* stream, const std::string& name, std::string* failure) {
    std::unique_ptr<Scene>& own = segmentScenes_[std::size_t(segment)];
    own = std::make_unique<Scene>();
    if (stream && own->loadStream(stream)) return true;
    *failure = name + ": " + (stream ? own->getLoadError() : std::string("cannot be opened"));
    // A scene read in part is never drawn: the segment stays empty.
    own = std::make_unique<Scene>();
    return false;
}

void SceneTable::clearSegmentScenes() {
    for (std::unique_ptr<Scene>& own : segmentScenes_) own.reset();
}

const Scene& SceneTable::drawnIn(int segment, SceneId builtIn) const {
    if (segment > 0 && segment <= schedule::kSegmentCount && segmentScenes_[std::size_t(segment)])
        return *segmentScenes_[std::size_t(segment)];
    return scene(builtIn);
}
