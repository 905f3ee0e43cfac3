// The textured scenes. The show draws them from the origin (from inside,
// mostly), spinning, with fields of view of 110 to 190 degrees; some
// segments move groups of consecutive faces apart, so every surface lists
// its faces row after row.
//
// The show sends every face in immediate mode each frame and the software
// rasterizer pays for each face and each pixel it shades, so the face counts
// are kept to what a 640x480 screen shows (at most 14,000 faces a scene, for
// 150 frames a second and more), and each scene lists its meshes nearest to
// the viewer first: the depth test then discards the hidden pixels of the
// surfaces behind before they are textured.

#include <algorithm>
#include <cmath>

#include "tools/demodata/random.h"
#include "tools/demodata/scenes.h"
#include "tools/demodata/textures.h"

namespace {

using schedule::sceneFile;
using schedule::SceneId;


// The materials of test.3ds. test2.3ds is drawn with this list, looked up by
// index, so test2.3ds carries the same list in the same order.
std::vector<MaterialData> spinnerMaterials() {
    return {{"PLASMA", kPlasmaTexture}, {"CHROME", kChromeTexture}, {"CHECKER", kCheckerTexture},
            {"LAVA", kLavaTexture}};
}

// A trefoil knot that winds around the viewer close by, three gyroscope
// rings, a swarm of cubes and a shell with soft bulges around them all, in
// that order, nearest first. Every mesh has a face count divisible by four:
// the striped style paints face pairs black and white by index, and the
// textured segments that follow take the colour of the very last face drawn,
// the shell's last, which must be white.
SceneData spinner() {
    SceneData scene;
    scene.materials = spinnerMaterials();

    // A (2, 3) torus knot: twice around the z axis while three times around the core circle.
    auto knot = [](float s) {
        const float phi = kTwoPi * s;
        const float r = 55.0f + 22.0f * std::cos(3.0f * phi);
        return Vec3{r * std::cos(2.0f * phi), r * std::sin(2.0f * phi), 22.0f * std::sin(3.0f * phi)};
    };
    auto core = [](float s) {
        const float phi = kTwoPi * s;
        return Vec3{55.0f * std::cos(2.0f * phi), 55.0f * std::sin(2.0f * phi), 0.0f};
    };
    scene.meshes.push_back(makeTube("Knot", "CHROME", 160, 8, knot, core, 7.0f, 1.0f, 24.0f));

    NamedMesh rings;
    rings.name = "Rings";
    rings.material = "CHECKER";
    for (int axis = 0; axis < 3; ++axis) {
        NamedMesh ring = makeTorus("Ring", "CHECKER", 64, 6, 90.0f, 2.5f, 12.0f, 1.0f);
        if (axis == 1) transformMesh(ring, [](Vec3 v) { return rotateAboutX(v, kPi * 0.5f); });
        if (axis == 2) transformMesh(ring, [](Vec3 v) { return rotateAboutY(v, kPi * 0.5f); });
        appendMesh(rings, ring);
    }
    scene.meshes.push_back(rings);

    NamedMesh cubes;
    cubes.name = "Cubes";
    cubes.material = "LAVA";
    Random random(1999);
    const int count = 96;
    for (int i = 0; i < count; ++i) {
        // Along a spiral from pole to pole, ten turns, a little jittered: an
        // even spread in which each cube is near the one before it, so that
        // consecutive faces stay together.
        const float along = (float(i) + 0.5f) / float(count);
        const float z = std::clamp(1.0f - 2.0f * along + 0.02f * random.signedUnit(), -1.0f, 1.0f);
        const float longitude = kTwoPi * 10.0f * along + 0.1f * random.signedUnit();
        const float ring = std::sqrt(1.0f - z * z);
        const float distance = 100.0f + 10.0f * random.unit();
        const Vec3 centre{distance * ring * std::cos(longitude), distance * ring * std::sin(longitude), distance * z};
        const float half = 2.0f + 2.0f * random.unit();
        const float a = kTwoPi * random.unit();
        const float b = kTwoPi * random.unit();
        auto turn = [a, b](Vec3 v) { return rotateAboutZ(rotateAboutX(v, a), b); };
        appendBox(cubes, centre, turn(Vec3{half, 0, 0}), turn(Vec3{0, half, 0}), turn(Vec3{0, 0, half}));
    }
    scene.meshes.push_back(cubes);

    scene.meshes.push_back(makeSphere(
        "Shell", "PLASMA", 40, 24,
        [](float s, float t) { return 130.0f + 12.0f * std::sin(kTwoPi * 5.0f * s) * std::sin(kPi * 4.0f * t); },
        3.0f, 2.0f));
    return scene;
}

// A tunnel along the z axis that the viewer looks down: the show places the
// object 15 units in front of the eye, so the tunnel reaches from behind the
// eye (z = 30) to far ahead, and scrolls the texture along it. A thin helix
// winds along the wall; it comes first, as it lies nearer the eye.
SceneData tunnel() {
    SceneData scene;
    scene.materials = spinnerMaterials();
    const float nearEnd = 30.0f;
    const float length = 630.0f;
    auto helix = [=](float s) {
        const float z = nearEnd - s * length;
        const float angle = kTwoPi * 24.0f * s;
        return Vec3{8.5f * std::cos(angle), 8.5f * std::sin(angle), z};
    };
    auto axis = [=](float s) { return Vec3{0.0f, 0.0f, nearEnd - s * length}; };
    scene.meshes.push_back(makeTube("Helix", "LAVA", 480, 6, helix, axis, 0.9f, 1.0f, 60.0f));
    scene.meshes.push_back(makeSurface(
        "Tunnel", "CHECKER", 32, 126,
        [=](float s, float t) {
            const float angle = kTwoPi * s;
            const float z = nearEnd - t * length;
            const float radius = 12.0f + 0.8f * std::sin(z * 0.35f);
            return Vec3{radius * std::cos(angle), radius * std::sin(angle), z};
        },
        4.0f, length / 24.0f));
    return scene;
}

// A glowing core that the viewer passes through, inside a marble globe that
// always holds the viewer (its centre moves at most 40 units away). The
// waves move groups of 16 faces: the 8,064 faces make 504 shards, enough to
// read as a surface breaking apart.
SceneData globe() {
    SceneData scene;
    scene.materials = {{"MARBLE", kMarbleTexture}, {"LAVA", kLavaTexture}};
    scene.meshes.push_back(makeSphere(
        "Core", "LAVA", 40, 24,
        [](float s, float t) { return 24.0f + 3.0f * std::sin(kTwoPi * 6.0f * s) * std::sin(kPi * 5.0f * t); }, 2.0f,
        1.0f));
    scene.meshes.push_back(makeSphere("Globe", "MARBLE", 64, 48, [](float, float) { return 90.0f; }, 4.0f, 2.0f));
    return scene;
}

// A fat ring around the viewer and a thin halo across it.
SceneData ringAround() {
    SceneData scene;
    scene.materials = {{"TILES", kTilesTexture}, {"STRIPES", kStripesTexture}};
    scene.meshes.push_back(makeTorus("Ring", "TILES", 96, 40, 70.0f, 28.0f, 8.0f, 2.0f));
    NamedMesh halo = makeTorus("Halo", "STRIPES", 96, 12, 125.0f, 8.0f, 6.0f, 1.0f);
    transformMesh(halo, [](Vec3 v) { return rotateAboutX(v, kPi * 0.5f); });
    scene.meshes.push_back(halo);
    return scene;
}

// A ribbed ring around a small chrome ball, seen from outside: the show keeps
// its centre 60 to 220 units in front of the eye, and nothing of it reaches
// further than 55 units from the centre.
SceneData ringedBall() {
    SceneData scene;
    scene.materials = {{"STRIPES", kStripesTexture}, {"CHROME", kChromeTexture}};
    scene.meshes.push_back(makeSurface(
        "Torus", "STRIPES", 96, 32,
        [](float s, float t) {
            const float around = kTwoPi * s;
            const float tube = kTwoPi * t;
            const float minor = 13.0f + 2.5f * std::sin(kTwoPi * 12.0f * s);
            const float r = 38.0f + minor * std::cos(tube);
            return Vec3{r * std::cos(around), r * std::sin(around), minor * std::sin(tube)};
        },
        4.0f, 1.0f));
    scene.meshes.push_back(makeSphere("Ball", "CHROME", 32, 16, [](float, float) { return 14.0f; }, 1.0f, 1.0f));
    return scene;
}

}  // namespace

std::vector<SceneFile> buildObjectScenes() {
    return {
        {sceneFile(SceneId::Test), spinner()},
        {sceneFile(SceneId::Test2), tunnel()},
        {sceneFile(SceneId::Sphere), globe()},
        {sceneFile(SceneId::Torus2Underscore), ringAround()},
        {sceneFile(SceneId::Torus2), ringedBall()},
    };
}
