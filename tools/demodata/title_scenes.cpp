// The title scenes. The show draws each as white faces on black while the
// eye flies past (titles/title_scene.h). Each scene is a word of block
// letters; the closing text is one too, and the gates of segment 16 lead to
// a word.

#include <cmath>

#include "shell/title_plans.h"
#include "titles/letters.h"
#include "tools/demodata/scenes.h"
#include "tools/demodata/textures.h"

namespace {

using schedule::SceneId;
constexpr float kFlightSpeed = kFlightLens.speed;
constexpr float kFieldOfView = kFlightLens.fieldOfView;
// 3D Studio counts 30 frames a second.
constexpr float kFramesPerSecond = 30.0f;
const char* const kCameraName = kTitleCameraName;
const char* const kMaterialName = kTitleMaterialName;

// How long the camera must keep the whole title in view: its longest
// flight. The closing text, never flown past, is fitted as for a flight
// through the last segment.
float flightSeconds(SceneId scene) {
    const int last = schedule::kSegmentCount;
    const double seconds = schedule::longestFlight(scene);
    return float(seconds > 0.0 ? seconds : schedule::segmentEnd(last) - schedule::segmentStart(last));
}

SceneFile title(const TitlePlan& plan) {
    SceneFile file;
    file.fileName = schedule::sceneFile(plan.scene);
    file.data = titleScene(plan.word, plan.style, flightSeconds(plan.scene), kFlightLens, kTilesTexture);
    return file;
}

// A tunnel of square gates, each turned a little further about the flight
// axis and a little wider than the one before, and the word PORTAL at its
// far end. The eye flies along the axis through the first gates towards the
// word, which stays in view through every gate.
SceneFile portal() {
    SceneFile file;
    file.fileName = schedule::sceneFile(SceneId::Portal);
    SceneData& scene = file.data;
    scene.materials = {{kMaterialName, kTilesTexture}};

    NamedMesh gates;
    gates.name = "Gates";
    gates.material = kMaterialName;
    for (int k = 0; k < 14; ++k) {
        const float x = 50.0f + 70.0f * float(k);
        const float inner = 40.0f + 0.25f * x;
        const float bar = 6.0f + 0.04f * x;
        const float angle = float(k) * 10.0f * kPi / 180.0f;
        auto turn = [angle](Vec3 v) { return rotateAboutX(v, angle); };
        const float reach = inner + bar * 0.5f;
        const float halfLength = inner + bar;
        const Vec3 depth{4.0f, 0, 0};
        // Top, bottom, left and right bars.
        appendBox(gates, turn(Vec3{x, 0, reach}), depth, turn(Vec3{0, halfLength, 0}), turn(Vec3{0, 0, bar * 0.5f}));
        appendBox(gates, turn(Vec3{x, 0, -reach}), depth, turn(Vec3{0, halfLength, 0}), turn(Vec3{0, 0, bar * 0.5f}));
        appendBox(gates, turn(Vec3{x, reach, 0}), depth, turn(Vec3{0, bar * 0.5f, 0}), turn(Vec3{0, 0, inner}));
        appendBox(gates, turn(Vec3{x, -reach, 0}), depth, turn(Vec3{0, bar * 0.5f, 0}), turn(Vec3{0, 0, inner}));
    }

    // Seen from the gates, +x is forward and so screen-right is -y.
    TextLayout text;
    text.cell = 16.0f;
    text.thickness = 20.0f;
    text.right = Vec3{0, -1, 0};
    text.up = Vec3{0, 0, 1};
    text.depth = Vec3{1, 0, 0};
    const std::string word = "PORTAL";
    const float width = textWidth(word, text);
    text.origin = Vec3{1050.0f, width * 0.5f, -3.5f * text.cell};
    NamedMesh title;
    title.name = "Title";
    title.material = kMaterialName;
    appendText(title, word, text);

    scene.meshes.push_back(title);
    scene.meshes.push_back(gates);

    const float seconds = flightSeconds(SceneId::Portal);
    CameraData camera;
    camera.name = kCameraName;
    camera.position = Vec3{0, 0, 0};
    camera.target = Vec3{1400.0f, 0, 0};
    camera.endPosition = Vec3{kFlightSpeed * seconds, 0, 0};
    camera.fieldOfView = kFieldOfView;
    scene.cameras.push_back(camera);
    scene.framesEnd = uint32_t(std::lround(seconds * kFramesPerSecond));
    return file;
}

}  // namespace

std::vector<SceneFile> buildTitleScenes() {
    std::vector<SceneFile> files;
    for (const TitlePlan& plan : kTitlePlans) files.push_back(title(plan));
    files.push_back(portal());
    return files;
}
