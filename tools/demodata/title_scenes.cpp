// The title scenes. The show draws each as white faces on black while the
// eye leaves the camera's stored position along +x at the flight speed,
// looking at the stored target all the while (up is +z, the flights' field
// of view, aspect 4/3). Each scene is a word of block letters
// standing along the x axis, facing -y; the camera is placed as close as it
// can be while every vertex stays on screen for the whole flight.

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "tools/demodata/letters.h"
#include "tools/demodata/scenes.h"
#include "tools/demodata/textures.h"

namespace {

using schedule::SceneId;
constexpr float kFlightSpeed = float(schedule::kFlightSpeed);
constexpr float kFieldOfView = schedule::kFlightFieldOfView;
constexpr float kAspect = 4.0f / 3.0f;
constexpr float kNearPlane = 1.0f;
// The share of the screen's half-width and half-height that the scene may fill.
constexpr float kFill = 0.9f;
// 3D Studio counts 30 frames a second.
constexpr float kFramesPerSecond = 30.0f;
const char* const kCameraName = "Camera01";
const char* const kMaterialName = "TITLE";

float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// True when p is in front of an eye at eye looking at centre with +z up, and
// inside the part kFill of the screen.
bool onScreen(Vec3 eye, Vec3 centre, Vec3 p) {
    const Vec3 forward = vec3Normalize(vec3Subtract(centre, eye));
    const Vec3 side = vec3Normalize(vec3Cross(forward, Vec3{0, 0, 1}));
    const Vec3 up = vec3Cross(side, forward);
    const Vec3 d = vec3Subtract(p, eye);
    const float depth = dot(d, forward);
    if (depth < kNearPlane * 2.0f) return false;
    const float halfHeight = depth * std::tan(kFieldOfView * 0.5f * kPi / 180.0f);
    return std::fabs(dot(d, side)) <= kFill * halfHeight * kAspect && std::fabs(dot(d, up)) <= kFill * halfHeight;
}

bool wholeFlightSees(const std::vector<NamedMesh>& meshes, Vec3 start, Vec3 target, float seconds) {
    const int steps = 48;
    for (int i = 0; i <= steps; ++i) {
        const Vec3 eye{start.x + kFlightSpeed * seconds * float(i) / float(steps), start.y, start.z};
        for (const NamedMesh& mesh : meshes)
            for (const Vec3& v : mesh.vertices)
                if (!onScreen(eye, target, v)) return false;
    }
    return true;
}

struct Bounds {
    Vec3 lower{1e30f, 1e30f, 1e30f};
    Vec3 upper{-1e30f, -1e30f, -1e30f};
    Vec3 centre() const { return vec3Scale(vec3Add(lower, upper), 0.5f); }
};

Bounds boundsOf(const std::vector<NamedMesh>& meshes) {
    Bounds b;
    for (const NamedMesh& mesh : meshes)
        for (const Vec3& v : mesh.vertices) {
            b.lower = Vec3{std::min(b.lower.x, v.x), std::min(b.lower.y, v.y), std::min(b.lower.z, v.z)};
            b.upper = Vec3{std::max(b.upper.x, v.x), std::max(b.upper.y, v.y), std::max(b.upper.z, v.z)};
        }
    return b;
}

// A camera that looks at the middle of the scene from the front (-y side) and
// a little above or below (elevation in degrees), its flight centred on the
// target: the closest such camera that keeps everything on screen.
CameraData fitFlightCamera(const std::vector<NamedMesh>& meshes, float seconds, float elevation) {
    const Bounds bounds = boundsOf(meshes);
    const Vec3 target = bounds.centre();
    const float slope = std::tan(elevation * kPi / 180.0f);
    const float travel = kFlightSpeed * seconds;
    for (float distance = 50.0f; distance < 4000.0f; distance += 5.0f) {
        const Vec3 start{target.x - travel * 0.5f, bounds.lower.y - distance, target.z + distance * slope};
        if (!wholeFlightSees(meshes, start, target, seconds)) continue;
        CameraData camera;
        camera.name = kCameraName;
        camera.position = start;
        camera.target = target;
        camera.endPosition = Vec3{start.x + travel, start.y, start.z};
        camera.fieldOfView = kFieldOfView;
        return camera;
    }
    throw std::logic_error("no camera distance shows the whole title");
}

enum class Layout {
    // Letters side by side.
    Row,
    // Each letter further back than the one before it.
    Stair,
    // Letters bobbing up and down along the line.
    Wave,
};

struct TitlePlan {
    SceneId scene;
    const char* word;
    Layout layout;
    float elevation;
    // A row of small cubes under the letters, nearer to the eye, that slides
    // by faster than the letters and so shows the depth.
    bool underline;
};

NamedMesh titleWord(const TitlePlan& plan, const TextLayout& text) {
    NamedMesh mesh;
    mesh.name = "Title";
    mesh.material = kMaterialName;
    const std::string word = plan.word;
    const float advance = (float(kGlyphColumns) + text.spacing) * text.cell;
    for (size_t i = 0; i < word.size(); ++i) {
        TextLayout letter = text;
        letter.origin = Vec3{text.origin.x + float(i) * advance, text.origin.y, text.origin.z};
        if (plan.layout == Layout::Stair) letter.origin.y += float(i) * 2.5f * text.cell;
        if (plan.layout == Layout::Wave) letter.origin.z += 2.0f * text.cell * std::sin(float(i) * 1.1f);
        appendText(mesh, word.substr(i, 1), letter);
    }
    return mesh;
}

NamedMesh underline(const NamedMesh& title, const TextLayout& text) {
    NamedMesh mesh;
    mesh.name = "Dots";
    mesh.material = kMaterialName;
    const Bounds bounds = boundsOf({title});
    const float half = text.cell * 0.6f;
    const float gap = text.cell * 3.0f;
    const float z = bounds.lower.z - text.cell * 3.0f;
    const float y = bounds.lower.y - text.cell * 6.0f;
    for (float x = bounds.lower.x; x <= bounds.upper.x; x += gap)
        appendAxisBox(mesh, Vec3{x - half, y - half, z - half}, Vec3{x + half, y + half, z + half});
    return mesh;
}

// How long the camera must keep the whole title in view: its longest
// flight. The closing text, never flown past, is fitted as for a flight
// through the last segment.
float flightSeconds(SceneId scene) {
    const int last = schedule::kSegmentCount;
    const double seconds = schedule::longestFlight(scene);
    return float(seconds > 0.0 ? seconds : schedule::segmentEnd(last) - schedule::segmentStart(last));
}

SceneFile title(const TitlePlan& plan) {
    TextLayout text;
    text.cell = 10.0f;
    text.thickness = 20.0f;
    text.origin = Vec3{0, 0, 0};
    SceneFile file;
    file.fileName = schedule::sceneFile(plan.scene);
    SceneData& scene = file.data;
    scene.materials = {{kMaterialName, kTilesTexture}};
    scene.meshes.push_back(titleWord(plan, text));
    if (plan.underline) scene.meshes.push_back(underline(scene.meshes.front(), text));
    const float seconds = flightSeconds(plan.scene);
    scene.cameras.push_back(fitFlightCamera(scene.meshes, seconds, plan.elevation));
    scene.framesEnd = uint32_t(std::lround(seconds * kFramesPerSecond));
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
    const TitlePlan plans[] = {
        {SceneId::Zentrik, "ZENTRIK", Layout::Row, 8.0f, true},
        {SceneId::Quickbite, "QUICKBITE", Layout::Stair, 6.0f, false},
        {SceneId::Direradeduziv, "DIRERADEDUZIV", Layout::Row, 0.0f, true},
        {SceneId::Velmora, "VELMORA", Layout::Wave, 12.0f, false},
        {SceneId::Tornvik, "TORNVIK", Layout::Stair, -6.0f, false},
        {SceneId::Radidar, "RADIDAR", Layout::Wave, -10.0f, true},
        {SceneId::Zengreet, "ZENGREET", Layout::Row, 15.0f, true},
        {SceneId::Slutt, "SLUTT", Layout::Row, 0.0f, false},
        {SceneId::Ranko, "RANKO", Layout::Wave, -8.0f, false},
    };
    std::vector<SceneFile> files;
    for (const TitlePlan& plan : plans) files.push_back(title(plan));
    files.push_back(portal());
    return files;
}
