#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "scene/chunk.h"
#include "scene/scene_writer.h"
#include "tests/test_support.h"

using namespace scene_writer;

namespace {

std::string reportOf(Scene& scene) {
    TempDir dir;
    const std::string path = dir.file("report.txt");
    EXPECT_TRUE(scene.writeDebugReport(path.c_str()));
    return readTextFile(path);
}

const char* const kEmptyReport =
    "Debug file for 3D Studio Parser by zentrik\n"
    "--------------------------------------------\n"
    "\n=============\n"
    "Scene Summary\n"
    "=============\n"
    "There are no meshes in the scene\n"
    "There are no lights in the scene\n"
    "There are no cameras in the scene\n"
    "There are no materials in the scene\n"
    "\n\n\nObjects Description\n"
    "===================\n\n"
    "CAMERAS\n"
    "=======\n"
    "\n"
    "KEYFRAMER\n"
    "=========\n"
    "Frames start: 0\n"
    "Frames end:   0\n"
    "\n"
    "Number of track(s) found: 0\n";

TEST(DebugReport, EmptySceneWritesHeadingsAndZeroCounts) {
    Scene scene;
    EXPECT_EQ(reportOf(scene), kEmptyReport);
}

TEST(DebugReport, FullSceneByteForByte) {
    ChunkWriter w;
    beginSceneFile(w);
    MeshData box;
    box.vertices = {{1, 2.5f, -3}, {0, 0, 0}, {0.125f, 10, 0}};
    box.faces = {{0, 1, 2}};
    box.mappings = {{0.5f, 1}};
    box.material = "Wood";
    writeMeshObject(w, "Box", box);
    writeCameraObject(w, "Camera01", Vec3{-10, 0, 5}, Vec3{0, 0, 0}, 0, 50);
    writeMaterial(w, "Wood", "");
    endEditor(w);
    beginKeyframer(w, 0, 100);
    KeyData k;
    k.frame = 10;
    k.value = Vec3{1, -2, 3.456f};
    k.flags = 0x0001;
    k.tension = 0.25f;
    writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_POS, "Camera01", 0, {k});
    w.end();
    w.end();
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, w.bytes()));
    const std::string expected =
        "Debug file for 3D Studio Parser by zentrik\n"
        "--------------------------------------------\n"
        "\n=============\n"
        "Scene Summary\n"
        "=============\n"
        "There are 2 meshes in the scene\n"
        "There are no lights in the scene\n"
        "There are 1 camera in the scene\n"
        "There are 1 material in the scene\n"
        "\nMesh 0:\n--------\nName: Box\nNumber of vertices: 3\nNumber of faces: 1\nAssigned material: Wood\n"
        // A mesh without a material name repeats its own name.
        "\nMesh 1:\n--------\nName: Camera01\nNumber of vertices: 0\nNumber of faces: 0\nAssigned material: Camera01\n"
        "\n\n\nObjects Description\n"
        "===================\n\n"
        "Vertices for mesh 0 [Box]:\n"
        "Vertex 0: X: 1.00, Y: 2.50, Z: -3.00  U: 0.50 V: 1.00\n"
        "Vertex 1: X: 0.00, Y: 0.00, Z: 0.00  U: 0.00 V: 0.00\n"
        "Vertex 2: X: 0.12, Y: 10.00, Z: 0.00  U: 0.00 V: 0.00\n"
        "\n"
        "Vertices for mesh 1 [Camera01]:\n"
        "\n"
        "CAMERAS\n"
        "=======\n"
        "Camera 0:\n"
        "Position: X: -10.00 Y: 0.00 Z: 5.00\n"
        "Target:   X: 0.00 Y: 0.00 Z: 0.00\n"
        // The "Fov:" line prints the bank, the "Lens:" line the field of view.
        "Fov:  0.00deg\n"
        "Lens: 48.00\n"
        "\n"
        "KEYFRAMER\n"
        "=========\n"
        "Frames start: 0\n"
        "Frames end:   100\n"
        "\n"
        "Number of track(s) found: 1\n"
        "Track 0: Camera01 \tobject number: 0\n"
        "Number of keys: 1\n"
        "frame:      10\n"
        "tension:    0.2\n"
        "continuity: 0.5\n"
        "bias:       0.5\n"
        "ease_from:  0.0\n"
        "ease_to:    0.0\n"
        "X: 1.00  Y:-2.00  Z:3.46\n\n";
    EXPECT_EQ(reportOf(scene), expected);
}

TEST(DebugReport, OneMeshIsSingularAndTwoArePlural) {
    Scene one;
    one.addMesh();
    EXPECT_NE(reportOf(one).find("There are 1 mesh in the scene\n"), std::string::npos);
    Scene two;
    two.addMesh();
    two.addMesh();
    two.addLight();
    two.addMaterial();
    two.addMaterial();
    two.addMaterial();
    std::string report = reportOf(two);
    EXPECT_NE(report.find("There are 2 meshes in the scene\n"), std::string::npos);
    EXPECT_NE(report.find("There are 1 light in the scene\n"), std::string::npos);
    EXPECT_NE(report.find("There are 3 materials in the scene\n"), std::string::npos);
}

TEST(DebugReport, LongNamesAreCutTo31Characters) {
    Scene scene;
    scene.addMesh();
    scene.getMesh(0)->setName(std::string(40, 'a').c_str());
    scene.getMesh(0)->setMaterialName(std::string(50, 'b').c_str());
    std::string report = reportOf(scene);
    EXPECT_NE(report.find("Name: " + std::string(31, 'a') + "\n"), std::string::npos) << report;
    EXPECT_NE(report.find("Assigned material: " + std::string(31, 'b') + "\n"), std::string::npos) << report;
}

TEST(DebugReport, UnwritablePathReturnsFalseAndCreatesNothing) {
    Scene scene;
    TempDir dir;
    const std::string path = dir.file("missing/report.txt");
    EXPECT_FALSE(scene.writeDebugReport(path.c_str()));
    struct stat st;
    EXPECT_NE(::stat(path.c_str(), &st), 0);
}

TEST(DebugReport, FullDiskIsAFailure) {
    Scene scene;
    for (int i = 0; i < 100; ++i) scene.addMesh();
    EXPECT_FALSE(scene.writeDebugReport("/dev/full"));
}

TEST(DebugReport, ReplacesAnExistingFile) {
    TempDir dir;
    const std::string path = dir.file("report.txt");
    {
        std::FILE* f = std::fopen(path.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs(std::string(5000, 'z').c_str(), f);
        std::fclose(f);
    }
    Scene scene;
    ASSERT_TRUE(scene.writeDebugReport(path.c_str()));
    EXPECT_EQ(readTextFile(path), kEmptyReport);
}

}  // namespace
