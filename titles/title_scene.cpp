#include "titles/title_scene.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "titles/letters.h"

namespace {

constexpr float kAspect = 4.0f / 3.0f;
constexpr float kNearPlane = 1.0f;
// The share of the screen's half-width and half-height that the scene may fill.
constexpr float kFill = 0.9f;
// 3D Studio counts 30 frames a second.
constexpr float kFramesPerSecond = 30.0f;

float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// True when p is in front of an eye at eye looking at centre with +z up, and
// inside the part kFill of the screen.
bool onScreen(Vec3 eye, Vec3 centre, Vec3 p, float fieldOfView) {
    const Vec3 forward = vec3Normalize(vec3Subtract(centre, eye));
    const Vec3 side = vec3Normalize(vec3Cross(forward, Vec3{0, 0, 1}));
    const Vec3 up = vec3Cross(side, forward);
    const Vec3 d = vec3Subtract(p, eye);
    const float depth = dot(d, forward);
    if (depth < kNearPlane * 2.0f) return false;
    const float halfHeight = depth * std::tan(fieldOfView * 0.5f * kPi / 180.0f);
    return std::fabs(dot(d, side)) <= kFill * halfHeight * kAspect && std::fabs(dot(d, up)) <= kFill * halfHeight;
}

bool wholeFlightSees(const std::vector<NamedMesh>& meshes, Vec3 start, Vec3 target, float seconds,
                     const FlightLens& lens) {
    const int steps = 48;
    for (int i = 0; i <= steps; ++i) {
        const Vec3 eye{start.x + lens.speed * seconds * float(i) / float(steps), start.y, start.z};
        for (const NamedMesh& mesh : meshes)
            for (const Vec3& v : mesh.vertices)
                if (!onScreen(eye, target, v, lens.fieldOfView)) return false;
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

NamedMesh titleWord(const std::string& word, TitleLayout layout, const TextLayout& text) {
    NamedMesh mesh;
    mesh.name = "Title";
    mesh.material = kTitleMaterialName;
    const float advance = (float(kGlyphColumns) + text.spacing) * text.cell;
    for (size_t i = 0; i < word.size(); ++i) {
        TextLayout letter = text;
        letter.origin = Vec3{text.origin.x + float(i) * advance, text.origin.y, text.origin.z};
        if (layout == TitleLayout::Stair) letter.origin.y += float(i) * 2.5f * text.cell;
        if (layout == TitleLayout::Wave) letter.origin.z += 2.0f * text.cell * std::sin(float(i) * 1.1f);
        appendText(mesh, word.substr(i, 1), letter);
    }
    return mesh;
}

NamedMesh underline(const NamedMesh& title, const TextLayout& text) {
    NamedMesh mesh;
    mesh.name = "Dots";
    mesh.material = kTitleMaterialName;
    const Bounds bounds = boundsOf({title});
    const float half = text.cell * 0.6f;
    const float gap = text.cell * 3.0f;
    const float z = bounds.lower.z - text.cell * 3.0f;
    const float y = bounds.lower.y - text.cell * 6.0f;
    for (float x = bounds.lower.x; x <= bounds.upper.x; x += gap)
        appendAxisBox(mesh, Vec3{x - half, y - half, z - half}, Vec3{x + half, y + half, z + half});
    return mesh;
}

}  // namespace

CameraData fitFlightCamera(const std::vector<NamedMesh>& meshes, float seconds, float elevation,
                           const FlightLens& lens) {
    const Bounds bounds = boundsOf(meshes);
    if (bounds.lower.x > bounds.upper.x) throw std::invalid_argument("no vertex to keep in view");
    const Vec3 target = bounds.centre();
    const float slope = std::tan(elevation * kPi / 180.0f);
    const float travel = lens.speed * seconds;
    for (float distance = 50.0f; distance < 4000.0f; distance += 5.0f) {
        const Vec3 start{target.x - travel * 0.5f, bounds.lower.y - distance, target.z + distance * slope};
        if (!wholeFlightSees(meshes, start, target, seconds, lens)) continue;
        CameraData camera;
        camera.name = kTitleCameraName;
        camera.position = start;
        camera.target = target;
        camera.endPosition = Vec3{start.x + travel, start.y, start.z};
        camera.fieldOfView = lens.fieldOfView;
        return camera;
    }
    throw std::invalid_argument("no camera distance shows the whole title");
}

SceneData titleScene(const std::string& word, const TitleStyle& style, float seconds, const FlightLens& lens,
                     const std::string& textureFile) {
    TextLayout text;
    text.cell = 10.0f;
    text.thickness = 20.0f;
    text.origin = Vec3{0, 0, 0};
    SceneData scene;
    scene.materials = {{kTitleMaterialName, textureFile}};
    scene.meshes.push_back(titleWord(word, style.layout, text));
    if (scene.meshes.front().vertices.empty()) throw std::invalid_argument("\"" + word + "\" draws nothing");
    if (style.underline) scene.meshes.push_back(underline(scene.meshes.front(), text));
    scene.cameras.push_back(fitFlightCamera(scene.meshes, seconds, style.elevation, lens));
    scene.framesEnd = uint32_t(std::lround(seconds * kFramesPerSecond));
    return scene;
}
