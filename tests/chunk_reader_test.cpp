#include <gtest/gtest.h>

#include <string>

#include "scene/chunk.h"
#include "scene/scene_writer.h"
#include "tests/test_support.h"

using namespace scene_writer;

namespace {

MeshData triangle(const std::string& material = "") {
    MeshData m;
    m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    m.faces = {{0, 1, 2}};
    m.mappings = {{0, 0}, {1, 0}, {0, 1}};
    m.material = material;
    return m;
}

// Closes the editor and main chunks that beginSceneFile opened; returns the file's bytes.
std::vector<uint8_t> closeSceneFile(ChunkWriter& w) {
    endEditor(w);
    w.end();
    return w.bytes();
}

// The bytes of a file whose editor section holds what fill writes.
template <typename Fill>
std::vector<uint8_t> sceneFile(Fill fill) {
    ChunkWriter w;
    beginSceneFile(w);
    fill(w);
    return closeSceneFile(w);
}

// A file opened up to inside an object chunk, after its name: what the
// object holds is the test's own. closeObject closes the object and the file.
void openObject(ChunkWriter& w, const std::string& name) {
    beginSceneFile(w);
    w.begin(CHUNK_OBJECT);
    w.str(name);
}

std::vector<uint8_t> closeObject(ChunkWriter& w) {
    w.end();
    return closeSceneFile(w);
}

// The same with the object's mesh chunk opened too, for the mesh's own chunks.
void openMeshObject(ChunkWriter& w, const std::string& name) {
    openObject(w, name);
    w.begin(CHUNK_OBJECT_MESH);
}

std::vector<uint8_t> closeMeshObject(ChunkWriter& w) {
    w.end();
    return closeObject(w);
}

TEST(ChunkReader, VersionOnlyFilePrintsVersionAndDashes) {
    ChunkWriter w;
    w.begin(CHUNK_MAIN);
    w.chunkU32(CHUNK_VERSION, 3);
    w.end();
    Scene scene;
    std::string out;
    EXPECT_TRUE(loadBytes(scene, w.bytes(), &out));
    EXPECT_EQ(out, "3D Studio Version 3 found!\n---------------------------\n");
    EXPECT_EQ(scene.getMeshCount(), 0);
}

TEST(ChunkReader, PrintsEditorVersionAndObjectMessagesInOrder) {
    Scene scene;
    std::string out;
    ASSERT_TRUE(loadBytes(scene, sceneFile([](ChunkWriter& w) { writeMeshObject(w, "Box", triangle()); }), &out));
    EXPECT_EQ(out,
              "3D Studio Version 3 found!\n---------------------------\n"
              "3D Editor Version 3 chunk found!\n"
              "CHUNK_OBJECT found!\nCHUNK_OBJECT_MESH found!\n");
}

TEST(ChunkReader, ReadsVerticesFacesAndMappingsInFileOrder) {
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, sceneFile([](ChunkWriter& w) {
                              MeshData m = triangle("Wood");
                              m.faces = {{2, 0, 1}};
                              writeMeshObject(w, "Box", m);
                          })));
    ASSERT_EQ(scene.getMeshCount(), 1);
    Mesh* mesh = scene.getMesh(0);
    char name[32] = {};
    mesh->getName(name, 32);
    EXPECT_STREQ(name, "Box");
    ASSERT_EQ(mesh->getVertexCount(), 3);
    EXPECT_EQ(mesh->getVertex(1).x, 1.0f);
    EXPECT_EQ(mesh->getVertex(2).y, 1.0f);
    ASSERT_EQ(mesh->getFaceCount(), 1);
    EXPECT_EQ(mesh->getFace(0).i0, 2);
    EXPECT_EQ(mesh->getFace(0).i1, 0);
    EXPECT_EQ(mesh->getFace(0).i2, 1);
    ASSERT_EQ(mesh->getMappingCount(), 3);
    EXPECT_EQ(mesh->getMapping(1).u, 1.0f);
    mesh->getMaterialName(name, 32);
    EXPECT_STREQ(name, "Wood");
}

TEST(ChunkReader, NameOf31CharactersIsKeptWholeAndCountedExactly) {
    const std::string longName(31, 'n');
    Scene scene;
    // A second object after the first shows that the first object's count came out exact.
    ASSERT_TRUE(loadBytes(scene, sceneFile([&](ChunkWriter& w) {
                              writeMeshObject(w, longName, triangle());
                              writeMeshObject(w, "Next", triangle());
                          })));
    ASSERT_EQ(scene.getMeshCount(), 2);
    char name[32] = {};
    EXPECT_EQ(scene.getMesh(0)->getName(name, 32), 32);
    EXPECT_EQ(std::string(name, 31), longName);
    EXPECT_EQ(name[31], '\0');
    scene.getMesh(1)->getName(name, 32);
    EXPECT_STREQ(name, "Next");
    EXPECT_EQ(scene.getMesh(1)->getVertexCount(), 3);
}

TEST(ChunkReader, ObjectNameOf100CharactersIsCutTo31WithoutOverflow) {
    const std::string longName(100, 'x');
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, sceneFile([&](ChunkWriter& w) {
                              writeMeshObject(w, longName, triangle());
                              writeMeshObject(w, "After", triangle());
                          })));
    ASSERT_EQ(scene.getMeshCount(), 2);
    char name[40] = {};
    EXPECT_EQ(scene.getMesh(0)->getName(name, 40), 32);
    EXPECT_EQ(std::string(name), std::string(31, 'x'));
    EXPECT_EQ(scene.getMesh(0)->getVertexCount(), 3);
    scene.getMesh(1)->getName(name, 40);
    EXPECT_STREQ(name, "After");
}

TEST(ChunkReader, EmptyVertexListAddsNothingAndCountsEightBytes) {
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, sceneFile([](ChunkWriter& w) {
                              MeshData m;
                              writeMeshObject(w, "Empty", m);
                              writeMeshObject(w, "Next", triangle());
                          })));
    ASSERT_EQ(scene.getMeshCount(), 2);
    EXPECT_EQ(scene.getMesh(0)->getVertexCount(), 0);
    EXPECT_EQ(scene.getMesh(1)->getVertexCount(), 3);
}

// A face chunk followed, inside it, by a face-material group and a 0x4150 chunk.
TEST(ChunkReader, FaceChunkSubChunksAreMetAtMeshLevel) {
    ChunkWriter w;
    openMeshObject(w, "Box");
    w.begin(CHUNK_MESH_VERTICES);
    w.u16(0);
    w.end();
    w.begin(CHUNK_MESH_FACES);
    w.u16(1);
    for (uint16_t v : {0, 1, 2, 7}) w.u16(v);
    w.begin(CHUNK_MESH_FACE_MATERIAL);
    w.str("Wood");
    w.u16(1);
    w.u16(0);
    w.end();
    w.begin(0x4150);
    w.u32(0);
    w.end();
    w.end();
    Scene scene;
    std::string out;
    ASSERT_TRUE(loadBytes(scene, closeMeshObject(w), &out));
    EXPECT_NE(out.find("mesh: unknown-chunk: length(10) id(4150)\n"), std::string::npos) << out;
    EXPECT_EQ(scene.getMesh(0)->getFaceCount(), 1);
    char name[32] = {};
    scene.getMesh(0)->getMaterialName(name, 32);
    EXPECT_STREQ(name, "Wood");
}

TEST(ChunkReader, UnknownMeshChunkIsReportedAndSkipped) {
    ChunkWriter w;
    openMeshObject(w, "Box");
    w.begin(0x4165);
    w.u8(1);
    w.end();
    w.begin(CHUNK_MESH_VERTICES);
    w.u16(1);
    w.f32(5), w.f32(6), w.f32(7);
    w.end();
    Scene scene;
    std::string out;
    ASSERT_TRUE(loadBytes(scene, closeMeshObject(w), &out));
    EXPECT_NE(out.find("mesh: unknown-chunk: length(7) id(4165)\n"), std::string::npos) << out;
    ASSERT_EQ(scene.getMesh(0)->getVertexCount(), 1);
    EXPECT_EQ(scene.getMesh(0)->getVertex(0).z, 7.0f);
}

TEST(ChunkReader, LastFaceMaterialGroupNamesTheMesh) {
    ChunkWriter w;
    openMeshObject(w, "Box");
    w.begin(CHUNK_MESH_FACES);
    w.u16(0);
    for (const char* material : {"First", "Second"}) {
        w.begin(CHUNK_MESH_FACE_MATERIAL);
        w.str(material);
        w.u16(0);
        w.end();
    }
    w.end();
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, closeMeshObject(w)));
    char name[32] = {};
    scene.getMesh(0)->getMaterialName(name, 32);
    EXPECT_STREQ(name, "Second");
}

TEST(ChunkReader, ObjectOfOtherKindMakesOnlyANamedMesh) {
    ChunkWriter w;
    openObject(w, "Light01");
    w.begin(0x4600);
    w.f32(1), w.f32(2), w.f32(3);
    w.begin(0x4610);
    w.f32(0);
    w.end();
    w.end();
    Scene scene;
    std::string out;
    ASSERT_TRUE(loadBytes(scene, closeObject(w), &out));
    EXPECT_EQ(out,
              "3D Studio Version 3 found!\n---------------------------\n"
              "3D Editor Version 3 chunk found!\nCHUNK_OBJECT found!\n");
    ASSERT_EQ(scene.getMeshCount(), 1);
    EXPECT_EQ(scene.getLightCount(), 0);
    EXPECT_EQ(scene.getCameraCount(), 0);
    char name[32] = {};
    scene.getMesh(0)->getName(name, 32);
    EXPECT_STREQ(name, "Light01");
}

TEST(ChunkReader, CameraObjectGivesEmptyNamedMeshAndUnnamedCamera) {
    Scene scene;
    std::string out;
    ASSERT_TRUE(loadBytes(scene, sceneFile([](ChunkWriter& w) {
                              writeCameraObject(w, "Camera01", Vec3{1, 2, 3}, Vec3{4, 5, 6}, 7, 50);
                          }),
                          &out));
    EXPECT_NE(out.find("CHUNK_OBJECT found!\nCHUNK_OBJECT_CAMERA found!\n"), std::string::npos) << out;
    ASSERT_EQ(scene.getMeshCount(), 1);
    EXPECT_EQ(scene.getMesh(0)->getVertexCount(), 0);
    ASSERT_EQ(scene.getCameraCount(), 1);
    Camera* camera = scene.getCamera(0);
    EXPECT_EQ(camera->getPosition().x, 1.0f);
    EXPECT_EQ(camera->getPosition().z, 3.0f);
    EXPECT_EQ(camera->getTarget().y, 5.0f);
    EXPECT_EQ(camera->getBank(), 7.0f);
    EXPECT_EQ(camera->getFov(), 48.0f);
    char name[32] = "untouched";
    EXPECT_EQ(camera->getName(name, 32), 0);
    EXPECT_STREQ(name, "untouched");
}

TEST(ChunkReader, LensBelowOneHundredMillionthGivesFortyFiveDegrees) {
    for (float lens : {0.0f, -10.0f, 1e-9f}) {
        Scene scene;
        ASSERT_TRUE(loadBytes(scene, sceneFile([&](ChunkWriter& w) {
                                  writeCameraObject(w, "C", Vec3{}, Vec3{}, 0, lens);
                              })));
        EXPECT_EQ(scene.getCamera(0)->getFov(), 45.0f) << "lens " << lens;
    }
}

TEST(ChunkReader, CameraSubChunksAreSkippedAtMainLevel) {
    ChunkWriter w;
    openObject(w, "Camera01");
    w.begin(CHUNK_OBJECT_CAMERA);
    for (int i = 0; i < 8; ++i) w.f32(float(i + 1));
    w.begin(0x4710);
    w.f32(1), w.f32(2);
    w.end();
    // Looks like a mesh chunk, but stands inside a camera: skipped without a message.
    w.begin(CHUNK_OBJECT_MESH);
    w.end();
    w.end();
    // The end of the object Camera01.
    w.end();
    writeMeshObject(w, "After", triangle());
    Scene scene;
    std::string out;
    ASSERT_TRUE(loadBytes(scene, closeSceneFile(w), &out));
    EXPECT_EQ(out.find("unknown"), std::string::npos) << out;
    EXPECT_EQ(scene.getCameraCount(), 1);
    EXPECT_EQ(scene.getCamera(0)->getFov(), 300.0f);
    ASSERT_EQ(scene.getMeshCount(), 2);
    EXPECT_EQ(scene.getMesh(1)->getVertexCount(), 3);
}

TEST(ChunkReader, OnlyTheFirstSubChunkOfAnObjectIsInterpreted) {
    ChunkWriter w;
    openObject(w, "Twice");
    w.begin(CHUNK_OBJECT_MESH);
    w.begin(CHUNK_MESH_VERTICES);
    w.u16(1);
    w.f32(1), w.f32(1), w.f32(1);
    w.end();
    w.end();
    w.begin(CHUNK_OBJECT_MESH);
    w.begin(CHUNK_MESH_VERTICES);
    w.u16(2);
    for (int i = 0; i < 6; ++i) w.f32(2);
    w.end();
    w.end();
    Scene scene;
    std::string out;
    ASSERT_TRUE(loadBytes(scene, closeObject(w), &out));
    ASSERT_EQ(scene.getMeshCount(), 1);
    EXPECT_EQ(scene.getMesh(0)->getVertexCount(), 1);
    EXPECT_EQ(out.find("CHUNK_OBJECT_MESH found!\nCHUNK_OBJECT_MESH"), std::string::npos) << out;
}

TEST(ChunkReader, KeyframerAfterEditorIsReachedWhenCountsComeOutExact) {
    ChunkWriter w;
    beginSceneFile(w);
    writeMeshObject(w, "Box", triangle("Wood"));
    writeCameraObject(w, "Camera01", Vec3{}, Vec3{1, 0, 0}, 0, 35);
    writeMaterial(w, "Wood", "");
    endEditor(w);
    beginKeyframer(w, 0, 30);
    w.end();
    w.end();
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, w.bytes()));
    EXPECT_EQ(scene.getKeyframer().getFramesEnd(), 30);
}

TEST(ChunkReader, MatrixChunkIsReadAndDropped) {
    ChunkWriter w;
    openMeshObject(w, "Box");
    w.begin(CHUNK_MESH_VERTICES);
    w.u16(1);
    w.f32(1), w.f32(2), w.f32(3);
    w.end();
    w.begin(CHUNK_MESH_MATRIX);
    for (int i = 0; i < 12; ++i) w.f32(float(i + 10));
    w.end();
    Scene scene;
    std::string out;
    ASSERT_TRUE(loadBytes(scene, closeMeshObject(w), &out));
    EXPECT_EQ(out.find("unknown"), std::string::npos);
    Matrix3x4 m = scene.getMesh(0)->getMatrix();
    EXPECT_EQ(m.m[0], 1.0f);
    EXPECT_EQ(m.m[9], 0.0f);
    EXPECT_EQ(scene.getMesh(0)->getVertex(0).y, 2.0f);
}

TEST(ChunkReader, MainChunkIdMustComeFirst) {
    ChunkWriter w;
    w.begin(0x3D3D);
    w.end();
    Scene scene;
    std::string out;
    EXPECT_FALSE(loadBytes(scene, w.bytes(), &out));
    EXPECT_EQ(out, "");
    EXPECT_EQ(scene.getMeshCount(), 0);
    EXPECT_NE(scene.getLoadError().find("0x3d3d"), std::string::npos) << scene.getLoadError();
}

TEST(ChunkReader, MissingFileReturnsFalseAndStaysEmpty) {
    ensureGlContext();
    Scene scene;
    EXPECT_FALSE(scene.load("/nonexistent/dir/scene.3ds"));
    EXPECT_EQ(scene.getMeshCount(), 0);
    EXPECT_EQ(scene.getCameraCount(), 0);
    EXPECT_EQ(scene.getMaterialCount(), 0);
    EXPECT_FALSE(scene.getLoadError().empty());
}

// Malformed files. Each must end quickly (ctest gives these tests a short
// timeout), with no sanitizer report.

TEST(MalformedFile, TruncatedFileEndsEveryChunkAndLoadFails) {
    std::vector<uint8_t> whole = sceneFile([](ChunkWriter& w) {
        writeMeshObject(w, "Box", triangle());
        writeMeshObject(w, "Two", triangle());
    });
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        std::vector<uint8_t> bytes(whole.begin(), whole.begin() + long(cut));
        Scene scene;
        EXPECT_FALSE(loadBytes(scene, bytes)) << "cut at " << cut;
    }
}

TEST(MalformedFile, ChunkLengthBelowSixCannotStallTheLoop) {
    for (uint32_t length : {0u, 1u, 5u}) {
        ChunkWriter w;
        beginSceneFile(w);
        w.begin(0x1234);
        w.endWithLength(length);
        writeMeshObject(w, "Box", triangle());
        Scene scene;
        EXPECT_TRUE(loadBytes(scene, closeSceneFile(w))) << "length " << length;
        EXPECT_EQ(scene.getMeshCount(), 1) << "length " << length;
    }
}

TEST(MalformedFile, MeshChunkLengthBelowSixCannotStallTheMeshLoop) {
    ChunkWriter w;
    openMeshObject(w, "Box");
    w.begin(0x4999);
    w.endWithLength(0);
    w.begin(CHUNK_MESH_VERTICES);
    w.u16(1);
    w.f32(1), w.f32(2), w.f32(3);
    w.end();
    Scene scene;
    std::string out;
    EXPECT_TRUE(loadBytes(scene, closeMeshObject(w), &out));
    EXPECT_NE(out.find("mesh: unknown-chunk: length(0) id(4999)\n"), std::string::npos) << out;
    EXPECT_EQ(scene.getMesh(0)->getVertexCount(), 1);
}

TEST(MalformedFile, ChildRunningPastItsParentIsCutAtTheParentsEnd) {
    // The mesh chunk claims a huge length; the object after it must still be found.
    ChunkWriter w;
    openMeshObject(w, "Box");
    w.begin(CHUNK_MESH_VERTICES);
    w.u16(1);
    w.f32(1), w.f32(2), w.f32(3);
    w.end();
    w.endWithLength(0x7FFFFFFF);
    // The end of the object Box.
    w.end();
    writeMeshObject(w, "After", triangle());
    Scene scene;
    EXPECT_TRUE(loadBytes(scene, closeSceneFile(w)));
    ASSERT_EQ(scene.getMeshCount(), 2);
    EXPECT_EQ(scene.getMesh(0)->getVertexCount(), 1);
    EXPECT_EQ(scene.getMesh(1)->getVertexCount(), 3);
}

TEST(MalformedFile, VertexCountBeyondTheChunkReadsOnlyWhatIsThere) {
    ChunkWriter w;
    openMeshObject(w, "Box");
    w.begin(CHUNK_MESH_VERTICES);
    w.u16(65535);
    w.f32(1), w.f32(2), w.f32(3);
    w.end();
    w.begin(CHUNK_MESH_FACES);
    w.u16(65535);
    for (uint16_t v : {0, 0, 0, 0}) w.u16(v);
    w.end();
    w.begin(CHUNK_MESH_MAPPING);
    w.u16(65535);
    w.f32(0.5f), w.f32(0.25f);
    w.end();
    Scene scene;
    EXPECT_TRUE(loadBytes(scene, closeMeshObject(w)));
    EXPECT_EQ(scene.getMesh(0)->getVertexCount(), 1);
    EXPECT_EQ(scene.getMesh(0)->getFaceCount(), 1);
    EXPECT_EQ(scene.getMesh(0)->getMappingCount(), 1);
}

TEST(MalformedFile, LengthBelowWhatWasConsumedEndsTheChunk) {
    // A vertex chunk whose length covers only part of its own count field.
    ChunkWriter w;
    openMeshObject(w, "Box");
    w.begin(CHUNK_MESH_VERTICES);
    w.endWithLength(7);
    w.u8(0);
    // The ends of the mesh chunk and of the object Box.
    w.end();
    w.end();
    writeMeshObject(w, "After", triangle());
    Scene scene;
    EXPECT_TRUE(loadBytes(scene, closeSceneFile(w)));
    ASSERT_EQ(scene.getMeshCount(), 2);
    EXPECT_EQ(scene.getMesh(0)->getVertexCount(), 0);
    EXPECT_EQ(scene.getMesh(1)->getVertexCount(), 3);
}

TEST(MalformedFile, ObjectWithoutSubChunkDoesNotReadIntoTheNextObject) {
    ChunkWriter w;
    openObject(w, "Bare");
    // The object ends right after its name.
    w.end();
    writeMeshObject(w, "Next", triangle());
    Scene scene;
    EXPECT_TRUE(loadBytes(scene, closeSceneFile(w)));
    ASSERT_EQ(scene.getMeshCount(), 2);
    EXPECT_EQ(scene.getMesh(0)->getVertexCount(), 0);
    EXPECT_EQ(scene.getMesh(1)->getVertexCount(), 3);
}

TEST(MalformedFile, OverlongPayloadsKeepTheirLeadingPartAndCountEveryByte) {
    const std::string material(100000, 'm');
    ChunkWriter w;
    beginSceneFile(w);
    writeMeshObject(w, "Box", triangle(material));
    w.begin(0x1111);
    std::vector<uint8_t> big(200000, 0xAB);
    w.raw(big.data(), big.size());
    w.end();
    writeMeshObject(w, "After", triangle());
    Scene scene;
    EXPECT_TRUE(loadBytes(scene, closeSceneFile(w)));
    ASSERT_EQ(scene.getMeshCount(), 2);
    char name[32] = {};
    EXPECT_EQ(scene.getMesh(0)->getMaterialName(name, 32), 32);
    EXPECT_EQ(std::string(name, 32), std::string(32, 'm'));
    EXPECT_EQ(scene.getMesh(1)->getVertexCount(), 3);
}

TEST(MalformedFile, NameWithoutTerminatorEndsAtItsChunk) {
    ChunkWriter w;
    beginSceneFile(w);
    w.begin(CHUNK_OBJECT);
    w.raw("NoEnd", 5);
    w.end();
    writeMeshObject(w, "Next", triangle());
    Scene scene;
    EXPECT_TRUE(loadBytes(scene, closeSceneFile(w)));
    ASSERT_EQ(scene.getMeshCount(), 2);
    char name[32] = {};
    scene.getMesh(0)->getName(name, 32);
    EXPECT_STREQ(name, "NoEnd");
}

TEST(MalformedFile, FaceIndexBeyondTheVertexListReadsZeros) {
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, sceneFile([](ChunkWriter& w) {
                              MeshData m = triangle();
                              m.faces = {{0, 1, 60000}};
                              writeMeshObject(w, "Box", m);
                          })));
    Mesh* mesh = scene.getMesh(0);
    FaceRecord record = mesh->getFaceRecord(0);
    EXPECT_EQ(record.f[6], 0.0f);
    EXPECT_EQ(record.f[7], 0.0f);
    EXPECT_EQ(record.f[8], 0.0f);
    mesh->computeVertexNormals();
    EXPECT_EQ(mesh->getNormalCount(), 3);
    EXPECT_EQ(mesh->getVertexNormal(0).z, 0.0f);
}

}  // namespace
