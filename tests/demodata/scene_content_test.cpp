// The generated scenes against what the show's timeline does with them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <sys/stat.h>

#include "shell/schedule.h"
#include "tests/demodata/generated_content.h"

namespace {

using schedule::sceneFile;
using schedule::SceneId;

std::string meshName(const Mesh& mesh) {
    char name[32] = {};
    mesh.getName(name, 32);
    return name;
}

std::string materialName(const Material& material) {
    char name[32] = {};
    material.getName(name, 32);
    return name;
}

std::string textureName(const Material& material) {
    char name[256] = {};
    material.getTextureName(name, 255);
    return name;
}

// A camera-flight segment: its scene, start and end in seconds.
struct Flight {
    const char* file;
    double start;
    double end;
};

const std::vector<Flight>& flights() {
    static const std::vector<Flight> all = [] {
        std::vector<Flight> out;
        for (const schedule::Flight& f : schedule::kFlights)
            out.push_back({schedule::sceneFile(f.scene), schedule::segmentStart(f.segment), schedule::segmentEnd(f.segment)});
        return out;
    }();
    return all;
}

double dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void normalize(double v[3]) {
    const double length = std::sqrt(dot(v, v));
    for (int i = 0; i < 3; ++i) v[i] /= length;
}

// Where a point lands on screen for gluLookAt(eye, centre, up +z) and
// gluPerspective(the flights' field of view, 4/3, 1, 5000): normalised device x and y, and the
// distance in front of the eye.
struct ScreenPoint {
    double x, y, depth;
};

ScreenPoint project(const double eye[3], const double centre[3], Vec3 p) {
    double f[3] = {centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]};
    normalize(f);
    double s[3] = {f[1], -f[0], 0.0};  // f x (0, 0, 1)
    normalize(s);
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    const double d[3] = {p.x - eye[0], p.y - eye[1], p.z - eye[2]};
    const double depth = dot(d, f);
    const double focal = 1.0 / std::tan(schedule::kFlightFieldOfView * 0.5 * M_PI / 180.0);
    return ScreenPoint{dot(d, s) * focal / (4.0 / 3.0) / depth, dot(d, u) * focal / depth, depth};
}

const Mesh* findMesh(const Scene& scene, const std::string& name) {
    for (int i = 0; i < scene.getMeshCount(); ++i)
        if (meshName(*scene.getMesh(i)) == name) return scene.getMesh(i);
    return nullptr;
}

bool samePosition(const float* a, const float* b) {
    return std::fabs(a[0] - b[0]) < 1e-3f && std::fabs(a[1] - b[1]) < 1e-3f && std::fabs(a[2] - b[2]) < 1e-3f;
}

bool shareCorner(const FaceRecord& a, const FaceRecord& b) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (samePosition(a.f + 3 * i, b.f + 3 * j)) return true;
    return false;
}

TEST(DemoData, WritesEverySceneFileTheShowLoads) {
    for (const std::string& file : showSceneFiles()) {
        struct stat st;
        ASSERT_EQ(::stat((generatedDir() + "/" + file).c_str(), &st), 0) << file << " is missing";
        EXPECT_GT(st.st_size, 100) << file;
    }
}

TEST(DemoData, EverySceneLoadsWithoutUnknownChunks) {
    for (const std::string& file : showSceneFiles()) {
        LoadedScene s = loadGenerated(file);
        EXPECT_TRUE(s.loaded) << file << ": " << s.scene->getLoadError();
        EXPECT_EQ(s.output.find("unknown-chunk"), std::string::npos) << file << " loader output:\n" << s.output;
        EXPECT_NE(s.output.find("3D Studio Version 3 found!"), std::string::npos) << file;
        EXPECT_NE(s.output.find("3D Editor Version 3 chunk found!"), std::string::npos) << file;
        EXPECT_NE(s.output.find("CHUNK_KEYFRAMER found!"), std::string::npos) << file;
        EXPECT_GT(s.scene->getMeshCount(), 0) << file;
    }
}

TEST(DemoData, FlightScenesHaveCameraZeroWithTheShowsFieldOfView) {
    for (const Flight& flight : flights()) {
        LoadedScene s = loadGenerated(flight.file);
        ASSERT_GE(s.scene->getCameraCount(), 1) << flight.file;
        const Camera& camera = *s.scene->getCamera(0);
        EXPECT_NEAR(camera.getFov(), schedule::kFlightFieldOfView, 0.01f) << flight.file;
        const Vec3 p = camera.getPosition();
        const Vec3 q = camera.getTarget();
        EXPECT_GT(std::fabs(p.x - q.x) + std::fabs(p.y - q.y) + std::fabs(p.z - q.z), 100.0f)
            << flight.file << ": the camera looks at itself";
        // The keyframer moves the camera node as the show moves the eye: from
        // the stored position along +x at the flight speed (30 frames a second).
        const Keyframer keyframer = s.scene->getKeyframer();
        const Track* eye = nullptr;
        for (int i = 0; i < keyframer.getTrackCount(); ++i)
            if (keyframer.getTrack(i)->getKind() == TRACK_CAMERA_POS && !eye) eye = keyframer.getTrack(i);
        ASSERT_NE(eye, nullptr) << flight.file;
        ASSERT_EQ(eye->getKeyCount(), 2) << flight.file;
        const Key& first = *eye->getKey(0);
        const Key& last = *eye->getKey(1);
        EXPECT_EQ(first.value.x, p.x) << flight.file;
        EXPECT_NEAR(last.value.x - first.value.x, float(schedule::kFlightSpeed) * float(last.frame - first.frame) / 30.0f, 0.01f)
            << flight.file;
        EXPECT_GE(float(last.frame - first.frame) / 30.0f, float(flight.end - flight.start) - 0.001f) << flight.file;
    }
}

TEST(DemoData, FlightsKeepTheWholeTitleOnScreenAndLegible) {
    for (const Flight& flight : flights()) {
        LoadedScene s = loadGenerated(flight.file);
        ASSERT_GE(s.scene->getCameraCount(), 1) << flight.file;
        const Mesh* title = findMesh(*s.scene, "Title");
        ASSERT_NE(title, nullptr) << flight.file << " has no Title mesh";
        ASSERT_GT(title->getVertexCount(), 0) << flight.file;
        const Vec3 p = s.scene->getCamera(0)->getPosition();
        const Vec3 q = s.scene->getCamera(0)->getTarget();
        const double centre[3] = {q.x, q.y, q.z};
        for (double t = flight.start + 0.01; t < flight.end; t += 0.1) {
            const double eye[3] = {p.x + (t - flight.start) * schedule::kFlightSpeed, p.y, p.z};
            double left = 1e9, right = -1e9;
            for (int i = 0; i < title->getVertexCount(); ++i) {
                const ScreenPoint sp = project(eye, centre, title->getVertex(i));
                ASSERT_GT(sp.depth, 1.0) << flight.file << " at t=" << t << ": vertex " << i << " behind the eye";
                ASSERT_LE(std::fabs(sp.x), 1.0) << flight.file << " at t=" << t << ": vertex " << i << " off screen";
                ASSERT_LE(std::fabs(sp.y), 1.0) << flight.file << " at t=" << t << ": vertex " << i << " off screen";
                left = std::min(left, sp.x);
                right = std::max(right, sp.x);
            }
            EXPECT_GE(right - left, 0.5) << flight.file << " at t=" << t
                                         << ": the title covers less than a quarter of the screen's width";
        }
    }
}

TEST(DemoData, FlightsNeverComeCloseToTheirGeometry) {
    for (const Flight& flight : flights()) {
        LoadedScene s = loadGenerated(flight.file);
        ASSERT_GE(s.scene->getCameraCount(), 1) << flight.file;
        const Vec3 p = s.scene->getCamera(0)->getPosition();
        double nearest = 1e9;
        for (double t = flight.start; t <= flight.end; t += 0.05) {
            const double eye[3] = {p.x + (t - flight.start) * schedule::kFlightSpeed, p.y, p.z};
            for (int m = 0; m < s.scene->getMeshCount(); ++m) {
                const Mesh& mesh = *s.scene->getMesh(m);
                for (int i = 0; i < mesh.getVertexCount(); ++i) {
                    const Vec3 v = mesh.getVertex(i);
                    nearest = std::min(nearest, std::sqrt((v.x - eye[0]) * (v.x - eye[0]) +
                                                          (v.y - eye[1]) * (v.y - eye[1]) +
                                                          (v.z - eye[2]) * (v.z - eye[2])));
                }
            }
        }
        EXPECT_GT(nearest, 20.0) << flight.file;
    }
}

TEST(DemoData, TestSceneHasNoCameraSoTheViewerSitsInsideIt) {
    LoadedScene s = loadGenerated(sceneFile(SceneId::Test));
    EXPECT_EQ(s.scene->getCameraCount(), 0);
    // Seen from the origin: nothing within the near plane, and geometry all around.
    double nearest = 1e9;
    Vec3 lower{1e9f, 1e9f, 1e9f}, upper{-1e9f, -1e9f, -1e9f};
    for (int m = 0; m < s.scene->getMeshCount(); ++m) {
        const Mesh& mesh = *s.scene->getMesh(m);
        for (int i = 0; i < mesh.getVertexCount(); ++i) {
            const Vec3 v = mesh.getVertex(i);
            nearest = std::min(nearest, double(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z)));
            lower = Vec3{std::min(lower.x, v.x), std::min(lower.y, v.y), std::min(lower.z, v.z)};
            upper = Vec3{std::max(upper.x, v.x), std::max(upper.y, v.y), std::max(upper.z, v.z)};
        }
    }
    EXPECT_GT(nearest, 10.0);
    for (float extent : {lower.x, lower.y, lower.z}) EXPECT_LT(extent, -100.0f);
    for (float extent : {upper.x, upper.y, upper.z}) EXPECT_GT(extent, 100.0f);
}

TEST(DemoData, TestSceneMeshesFitTheShadeTable) {
    LoadedScene s = loadGenerated(sceneFile(SceneId::Test));
    ASSERT_GE(s.scene->getMeshCount(), 2) << "a rich object has several parts";
    for (int m = 0; m < s.scene->getMeshCount(); ++m) {
        const Mesh& mesh = *s.scene->getMesh(m);
        EXPECT_LE(mesh.getTriangleCount(), 24000) << meshName(mesh);
        EXPECT_GT(mesh.getTriangleCount(), 0) << meshName(mesh);
    }
}

// The textured segments after the striped one set no colour: they take the
// colour of the last face it drew, face count - 1 of the last mesh, which is
// black when its number mod 4 is 0 or 1.
TEST(DemoData, TestSceneEndsOnAWhiteFaceSoLaterTexturesShow) {
    LoadedScene s = loadGenerated(sceneFile(SceneId::Test));
    ASSERT_GT(s.scene->getMeshCount(), 0);
    const Mesh& last = *s.scene->getMesh(s.scene->getMeshCount() - 1);
    const int lastFace = last.getTriangleCount() - 1;
    EXPECT_GE(lastFace % 4, 2) << meshName(last) << " ends with face " << lastFace;
}

TEST(DemoData, DrawnMeshesNameAMaterialOfTheirMaterialScene) {
    const struct {
        const char* drawn;
        const char* materials;
    } pairs[] = {
        {sceneFile(SceneId::Test), sceneFile(SceneId::Test)},      {sceneFile(SceneId::Test2), sceneFile(SceneId::Test)},
        {sceneFile(SceneId::Sphere), sceneFile(SceneId::Sphere)},  {sceneFile(SceneId::Torus2Underscore), sceneFile(SceneId::Torus2Underscore)},
        {sceneFile(SceneId::Torus2), sceneFile(SceneId::Torus2)},
    };
    for (const auto& pair : pairs) {
        LoadedScene drawn = loadGenerated(pair.drawn);
        LoadedScene materials = loadGenerated(pair.materials);
        for (int m = 0; m < drawn.scene->getMeshCount(); ++m) {
            const Mesh& mesh = *drawn.scene->getMesh(m);
            const int index = mesh.getMaterialIndex();
            ASSERT_GE(index, 0) << pair.drawn << " mesh " << meshName(mesh);
            ASSERT_LT(index, materials.scene->getMaterialCount()) << pair.drawn << " mesh " << meshName(mesh);
            // The index means the same material in both lists.
            char wanted[32] = {};
            mesh.getMaterialName(wanted, 32);
            EXPECT_EQ(materialName(*materials.scene->getMaterial(index)), std::string(wanted))
                << pair.drawn << " mesh " << meshName(mesh) << " looked up in " << pair.materials;
        }
    }
}

TEST(DemoData, EveryMaterialTextureDecodes) {
    for (const std::string& file : showSceneFiles()) {
        LoadedScene s = loadGenerated(file);
        ASSERT_GT(s.scene->getMaterialCount(), 0) << file;
        for (int i = 0; i < s.scene->getMaterialCount(); ++i) {
            const Material& material = *s.scene->getMaterial(i);
            const std::string texture = textureName(material);
            EXPECT_EQ(texture.rfind("demodata/", 0), 0u) << file << ": " << texture;
            EXPECT_LE(texture.size(), 63u) << file << ": " << texture;
            EXPECT_TRUE(material.getWidth() == 256 || material.getWidth() == 512)
                << file << ": " << texture << " is " << material.getWidth() << " wide";
            EXPECT_EQ(material.getHeight(), material.getWidth()) << file << ": " << texture;
        }
    }
}

// The striped style colours faces in pairs and the waves move runs of 16 or
// 64 consecutive faces: on a surface, consecutive faces must touch.
TEST(DemoData, SurfacesListConsecutiveFacesSideBySide) {
    const struct {
        const char* file;
        std::vector<std::string> surfaces;
    } scenes[] = {
        {sceneFile(SceneId::Test), {"Shell", "Knot", "Rings"}},
        {sceneFile(SceneId::Sphere), {"Globe", "Core"}},
        {sceneFile(SceneId::Torus2Underscore), {"Ring", "Halo"}},
    };
    for (const auto& entry : scenes) {
        LoadedScene s = loadGenerated(entry.file);
        for (const std::string& name : entry.surfaces) {
            const Mesh* mesh = findMesh(*s.scene, name);
            ASSERT_NE(mesh, nullptr) << entry.file << " has no mesh " << name;
            int neighbours = 0;
            for (int j = 1; j < mesh->getTriangleCount(); ++j)
                if (shareCorner(mesh->getFaceRecord(j - 1), mesh->getFaceRecord(j))) ++neighbours;
            EXPECT_GE(neighbours, (mesh->getTriangleCount() - 1) * 95 / 100) << entry.file << " mesh " << name;
        }
    }
}

Vec3 centroid(const FaceRecord& r) {
    return Vec3{(r.f[0] + r.f[3] + r.f[6]) / 3.0f, (r.f[1] + r.f[4] + r.f[7]) / 3.0f, (r.f[2] + r.f[5] + r.f[8]) / 3.0f};
}

float distance(Vec3 a, Vec3 b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// Whatever a mesh is made of, a run of consecutive faces stays in one place.
TEST(DemoData, ConsecutiveFacesLieClose) {
    for (const char* file : {sceneFile(SceneId::Test), sceneFile(SceneId::Sphere), sceneFile(SceneId::Torus2Underscore)}) {
        LoadedScene s = loadGenerated(file);
        for (int m = 0; m < s.scene->getMeshCount(); ++m) {
            const Mesh& mesh = *s.scene->getMesh(m);
            Vec3 lower{1e9f, 1e9f, 1e9f}, upper{-1e9f, -1e9f, -1e9f};
            for (int i = 0; i < mesh.getVertexCount(); ++i) {
                const Vec3 v = mesh.getVertex(i);
                lower = Vec3{std::min(lower.x, v.x), std::min(lower.y, v.y), std::min(lower.z, v.z)};
                upper = Vec3{std::max(upper.x, v.x), std::max(upper.y, v.y), std::max(upper.z, v.z)};
            }
            const float size = distance(lower, upper);
            int close = 0;
            for (int j = 1; j < mesh.getTriangleCount(); ++j)
                if (distance(centroid(mesh.getFaceRecord(j - 1)), centroid(mesh.getFaceRecord(j))) < 0.05f * size)
                    ++close;
            EXPECT_GE(close, (mesh.getTriangleCount() - 1) * 9 / 10) << file << " mesh " << meshName(mesh);
        }
    }
}

TEST(DemoData, WaveScenesHaveFacesEnoughToBreakApart) {
    for (const char* file : {sceneFile(SceneId::Sphere), sceneFile(SceneId::Torus2Underscore)}) {
        LoadedScene s = loadGenerated(file);
        int faces = 0;
        for (int m = 0; m < s.scene->getMeshCount(); ++m) faces += s.scene->getMesh(m)->getTriangleCount();
        // Groups of 16 faces move apart: hundreds of groups make a surface of shards.
        EXPECT_GE(faces / 16, 500) << file;
    }
}

double farthestFromOrigin(const Mesh& mesh, bool nearest) {
    double best = nearest ? 1e9 : 0.0;
    for (int i = 0; i < mesh.getVertexCount(); ++i) {
        const Vec3 v = mesh.getVertex(i);
        const double d = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
        best = nearest ? std::min(best, d) : std::max(best, d);
    }
    return best;
}

TEST(DemoData, ObjectScenesFitTheirSegments) {
    // sphere.3ds moves between 0 and 40 units in front of the eye: its outer
    // globe keeps the eye inside.
    LoadedScene sphere = loadGenerated(sceneFile(SceneId::Sphere));
    const Mesh* globe = findMesh(*sphere.scene, "Globe");
    ASSERT_NE(globe, nullptr) << "sphere.3ds has no Globe mesh";
    EXPECT_GT(farthestFromOrigin(*globe, true), 45.0);

    // torus2.3ds comes as close as 60 units and spins: none of it may reach the eye.
    LoadedScene torus = loadGenerated(sceneFile(SceneId::Torus2));
    for (int m = 0; m < torus.scene->getMeshCount(); ++m)
        EXPECT_LT(farthestFromOrigin(*torus.scene->getMesh(m), false), 58.0) << meshName(*torus.scene->getMesh(m));

    // torus2_.3ds spins around the eye at its centre: a hole around the eye.
    LoadedScene ring = loadGenerated(sceneFile(SceneId::Torus2Underscore));
    for (int m = 0; m < ring.scene->getMeshCount(); ++m)
        EXPECT_GT(farthestFromOrigin(*ring.scene->getMesh(m), true), 20.0) << meshName(*ring.scene->getMesh(m));

    // test2.3ds is drawn 15 units in front of the eye: the eye, at z = 15 in
    // the object's frame, sits inside the tunnel, clear of its wall.
    LoadedScene tunnel = loadGenerated(sceneFile(SceneId::Test2));
    const Mesh* tube = findMesh(*tunnel.scene, "Tunnel");
    ASSERT_NE(tube, nullptr);
    float nearZ = -1e9f, farZ = 1e9f;
    double wall = 1e9;
    for (int i = 0; i < tube->getVertexCount(); ++i) {
        const Vec3 v = tube->getVertex(i);
        nearZ = std::max(nearZ, v.z);
        farZ = std::min(farZ, v.z);
        wall = std::min(wall, double(std::sqrt(v.x * v.x + v.y * v.y)));
    }
    EXPECT_GT(nearZ, 15.0f);
    EXPECT_LT(farZ, -300.0f);
    EXPECT_GT(wall, 5.0);
}

}  // namespace
