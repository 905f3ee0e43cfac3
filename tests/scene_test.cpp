#include <gtest/gtest.h>

#include <string>

#include "scene/chunk.h"
#include "scene/scene_writer.h"
#include "tests/test_support.h"

using namespace scene_writer;

namespace {

TEST(Scene, FreshSceneIsEmptyAndIndexLookupsOutOfRangeAreNull) {
    Scene scene;
    EXPECT_EQ(scene.getMeshCount(), 0);
    EXPECT_EQ(scene.getLightCount(), 0);
    EXPECT_EQ(scene.getCameraCount(), 0);
    EXPECT_EQ(scene.getMaterialCount(), 0);
    EXPECT_EQ(scene.getMesh(0), nullptr);
    scene.addMesh();
    scene.addLight();
    scene.addCamera();
    scene.addMaterial();
    EXPECT_EQ(scene.getMesh(-1), nullptr);
    EXPECT_EQ(scene.getMesh(1), nullptr);
    EXPECT_EQ(scene.getLight(-1), nullptr);
    EXPECT_EQ(scene.getLight(1), nullptr);
    EXPECT_EQ(scene.getCamera(-1), nullptr);
    EXPECT_EQ(scene.getCamera(1), nullptr);
    EXPECT_EQ(scene.getMaterial(-1), nullptr);
    EXPECT_EQ(scene.getMaterial(1), nullptr);
    EXPECT_NE(scene.getMesh(0), nullptr);
    EXPECT_NE(scene.getLight(0), nullptr);
}

TEST(Scene, FactoriesAppendToTheEndOfTheirList) {
    Scene scene;
    scene.addMesh();
    Mesh* first = scene.getMesh(0);
    scene.addMesh();
    EXPECT_EQ(scene.getMeshCount(), 2);
    EXPECT_EQ(scene.getMesh(0), first);
    EXPECT_NE(scene.getMesh(1), first);
}

TEST(Scene, ClearEmptiesEveryList) {
    Scene scene;
    scene.addMesh();
    scene.addCamera();
    scene.addMaterial();
    scene.clear();
    EXPECT_EQ(scene.getMeshCount(), 0);
    EXPECT_EQ(scene.getCameraCount(), 0);
    EXPECT_EQ(scene.getMaterialCount(), 0);
}

// Materials 0 "Wood", 1 "Stone", 2 unnamed, 3 "Wood"; meshes name them in turn.
TEST(Scene, MaterialLinkingByNameLastMatchWins) {
    ChunkWriter w;
    beginSceneFile(w);
    writeMaterial(w, "Wood", "");
    writeMaterial(w, "Stone", "");
    w.chunkEmpty(CHUNK_MATERIAL);
    writeMaterial(w, "Wood", "");
    for (const char* material : {"Wood", "Stone", "Glass", "", "Wood"}) {
        MeshData m;
        m.material = material;
        writeMeshObject(w, std::string("Mesh") + material, m);
    }
    endEditor(w);
    w.end();
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, w.bytes()));
    ASSERT_EQ(scene.getMaterialCount(), 4);
    ASSERT_EQ(scene.getMeshCount(), 5);
    EXPECT_EQ(scene.getMesh(0)->getMaterialIndex(), 3);
    EXPECT_EQ(scene.getMesh(1)->getMaterialIndex(), 1);
    EXPECT_EQ(scene.getMesh(2)->getMaterialIndex(), -1) << "no material of that name";
    EXPECT_EQ(scene.getMesh(3)->getMaterialIndex(), -1) << "no material name";
    EXPECT_EQ(scene.getMesh(4)->getMaterialIndex(), 3);
}

TEST(Scene, NamesAreComparedOnTheirFirst32Characters) {
    Scene scene;
    scene.addMaterial();
    scene.getMaterial(0)->setName((std::string(32, 'q') + "-one").c_str());
    scene.addMesh();
    scene.getMesh(0)->setMaterialName((std::string(32, 'q') + "-two").c_str());
    scene.assignMaterials();
    EXPECT_EQ(scene.getMesh(0)->getMaterialIndex(), 0);
}

TEST(Scene, LoadNeverCreatesLights) {
    ChunkWriter w;
    beginSceneFile(w);
    w.begin(CHUNK_OBJECT);
    w.str("Light01");
    w.begin(0x4600);
    w.f32(0), w.f32(0), w.f32(0);
    w.end();
    w.end();
    endEditor(w);
    w.end();
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, w.bytes()));
    EXPECT_EQ(scene.getLightCount(), 0);
}

TEST(Scene, KeyframerCopiesShareTheTracks) {
    ChunkWriter w;
    beginSceneFile(w);
    endEditor(w);
    beginKeyframer(w, 0, 10);
    writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_POS, "Camera01", 0, {});
    w.end();
    w.end();
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, w.bytes()));
    Track* track = nullptr;
    {
        Keyframer copy = scene.getKeyframer();
        track = copy.getTrack(0);
        EXPECT_EQ(track, scene.getKeyframer().getTrack(0));
    }
    EXPECT_EQ(scene.getKeyframer().getTrack(0), track);
    char name[32] = {};
    track->getName(name, 32);
    EXPECT_STREQ(name, "Camera01");
}

TEST(Scene, ConstructorWithFileNameLoadsIt) {
    ensureGlContext();
    TempDir dir;
    ChunkWriter w;
    beginSceneFile(w);
    writeCameraObject(w, "Camera01", Vec3{1, 2, 3}, Vec3{}, 0, 50);
    endEditor(w);
    w.end();
    ASSERT_TRUE(w.save(dir.file("one.3ds")));
    testing::internal::CaptureStdout();
    Scene scene(dir.file("one.3ds").c_str());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(scene.getCameraCount(), 1);
}

// Write, load, and every count, vertex, face, mapping, material link, camera and key comes back.
TEST(Scene, RoundTripKeepsEverything) {
    ChunkWriter w;
    beginSceneFile(w);
    MeshData grid;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            grid.vertices.push_back(Vec3{float(x), float(y), float(x * y) * 0.5f});
            grid.mappings.push_back(MapCoord{float(x) / 19.0f, float(y) / 19.0f});
        }
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 19; ++x) {
            int i = y * 20 + x;
            grid.faces.push_back(Face{i, i + 1, i + 21});
            grid.faces.push_back(Face{i, i + 21, i + 20});
        }
    grid.material = "Grid";
    writeMaterial(w, "Other", "");
    writeMaterial(w, "Grid", "");
    writeMeshObject(w, "Grid01", grid);
    writeCameraObject(w, "Camera01", Vec3{-50, 10, 20}, Vec3{5, 6, 7}, 12.5f, 24);
    writeCameraObject(w, "Camera02", Vec3{1, 1, 1}, Vec3{2, 2, 2}, 0, 0);
    endEditor(w);
    beginKeyframer(w, 0, 60);
    std::vector<KeyData> keys;
    for (int i = 0; i < 7; ++i) {
        KeyData k;
        k.frame = i * 10;
        k.value = Vec3{float(i), float(-i), float(i * i)};
        k.flags = uint16_t(i % 32);
        k.tension = 0.1f * float(i);
        k.continuity = -0.2f;
        k.bias = 0.3f;
        k.easeTo = 0.4f;
        k.easeFrom = 0.6f;
        keys.push_back(k);
    }
    writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_POS, "Camera01", 3, keys);
    w.end();
    w.end();

    Scene scene;
    ASSERT_TRUE(loadBytes(scene, w.bytes()));
    ASSERT_EQ(scene.getMeshCount(), 3);
    ASSERT_EQ(scene.getCameraCount(), 2);
    ASSERT_EQ(scene.getMaterialCount(), 2);
    Mesh& mesh = *scene.getMesh(0);
    ASSERT_EQ(mesh.getVertexCount(), int(grid.vertices.size()));
    ASSERT_EQ(mesh.getFaceCount(), int(grid.faces.size()));
    ASSERT_EQ(mesh.getMappingCount(), int(grid.mappings.size()));
    for (int i = 0; i < mesh.getVertexCount(); ++i) {
        ASSERT_EQ(mesh.getVertex(i).z, grid.vertices[size_t(i)].z) << "vertex " << i;
        ASSERT_EQ(mesh.getMapping(i).u, grid.mappings[size_t(i)].u) << "mapping " << i;
    }
    for (int i = 0; i < mesh.getFaceCount(); ++i) {
        ASSERT_EQ(mesh.getFace(i).i1, grid.faces[size_t(i)].i1) << "face " << i;
        ASSERT_EQ(mesh.getFace(i).i2, grid.faces[size_t(i)].i2) << "face " << i;
    }
    EXPECT_EQ(mesh.getMaterialIndex(), 1);
    EXPECT_EQ(scene.getCamera(0)->getFov(), 100.0f);
    EXPECT_EQ(scene.getCamera(0)->getBank(), 12.5f);
    EXPECT_EQ(scene.getCamera(0)->getTarget().z, 7.0f);
    EXPECT_EQ(scene.getCamera(1)->getFov(), 45.0f);
    Track& track = *scene.getKeyframer().getTrack(0);
    EXPECT_EQ(track.getObjectNumber(), 3);
    ASSERT_EQ(track.getKeyCount(), 7);
    for (int i = 0; i < 7; ++i) {
        const Key& key = *track.getKey(i);
        const KeyData& k = keys[size_t(i)];
        EXPECT_EQ(key.frame, k.frame);
        EXPECT_EQ(key.flags, k.flags);
        EXPECT_EQ(key.value.z, k.value.z);
        EXPECT_EQ(key.spline.tension, (k.flags & 1) ? k.tension : 0.5f) << "key " << i;
        EXPECT_EQ(key.spline.continuity, (k.flags & 2) ? k.continuity : 0.5f) << "key " << i;
        EXPECT_EQ(key.spline.bias, (k.flags & 4) ? k.bias : 0.5f) << "key " << i;
        EXPECT_EQ(key.spline.ease_to, (k.flags & 8) ? k.easeTo : 0.0f) << "key " << i;
        EXPECT_EQ(key.spline.ease_from, (k.flags & 16) ? k.easeFrom : 0.0f) << "key " << i;
    }
}

}  // namespace
