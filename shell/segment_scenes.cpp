#include "shell/segment_scenes.h"

#include <cstdio>
#include <stdexcept>

#include "desktop/desktop.h"
#include "shell/title_plans.h"
#include "titles/title_scene.h"

std::vector<std::uint8_t> wordsSceneFile(int segment, const std::string& words, const Timing& timing) {
    const float seconds = float(timing.segmentEnd(segment) - timing.segmentStart(segment));
    return encodeScene(titleScene(words, titleStyleOf(segment), seconds, kFlightLens, schedule::kTilesTexture));
}

namespace {

// The bytes in a file that the loader reads as it reads any scene file, so
// that a title made here goes the same way as one the generator wrote.
std::FILE* streamOf(const std::vector<std::uint8_t>& bytes) {
    std::FILE* stream = desktop::temporaryFile();
    if (!stream) return nullptr;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stream) != bytes.size() || std::fseek(stream, 0, SEEK_SET) != 0) {
        std::fclose(stream);
        return nullptr;
    }
    return stream;
}

// A scene without a camera, flown past in a title segment, gets the camera
// that the titles get: the closest that keeps every vertex on screen for the
// whole flight, from the front and at the segment's title's elevation.
// Empty, or why no camera can be placed.
std::string placeTitleCamera(Scene& scene, int segment, const Timing& timing) {
    if (!isTitleSegment(segment) || scene.getCameraCount() != 0) return {};
    NamedMesh all;
    for (int m = 0; m < scene.getMeshCount(); ++m) {
        const Mesh& mesh = *scene.getMesh(m);
        for (int v = 0; v < mesh.getVertexCount(); ++v) all.vertices.push_back(mesh.getVertex(v));
    }
    const float seconds = float(timing.segmentEnd(segment) - timing.segmentStart(segment));
    CameraData placed;
    try {
        placed = fitFlightCamera({all}, seconds, titleStyleOf(segment).elevation, kFlightLens);
    } catch (const std::invalid_argument& error) {
        return std::string("has no camera, and ") + error.what();
    }
    scene.addCamera();
    Camera* camera = scene.getCamera(scene.getCameraCount() - 1);
    camera->setPosition(placed.position);
    camera->setTarget(placed.target);
    camera->setFov(placed.fieldOfView);
    return {};
}

}  // namespace

std::vector<std::string> loadSegmentScenes(SceneTable& scenes, const Timing& timing) {
    std::vector<std::string> failures;
    scenes.clearSegmentScenes();
    for (int s = 1; s <= schedule::kSegmentCount; ++s) {
        const std::string& words = timing.words[std::size_t(s)];
        const std::string& file = timing.scenes[std::size_t(s)];
        std::string failure;
        if (!words.empty()) {
            const std::string name = std::string(kWordsName) + " " + std::to_string(s);
            std::vector<std::uint8_t> bytes;
            try {
                bytes = wordsSceneFile(s, words, timing);
            } catch (const std::invalid_argument& error) {
                failures.push_back(name + ": " + error.what());
                continue;
            }
            std::FILE* stream = streamOf(bytes);
            if (!scenes.loadSegmentScene(s, stream, name, &failure))
                failures.push_back(stream ? failure : name + ": no temporary file to make its title in");
        } else if (!file.empty()) {
            if (!scenes.loadSegmentScene(s, std::fopen(file.c_str(), "rb"), file, &failure)) {
                failures.push_back(failure);
                continue;
            }
            const std::string camera = placeTitleCamera(*scenes.segmentScene(s), s, timing);
            if (!camera.empty()) failures.push_back(file + ": " + camera);
        }
    }
    return failures;
}
