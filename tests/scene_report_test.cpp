#include <gtest/gtest.h>

#include <string>

#include "scene/chunk.h"
#include "scene/scene_writer.h"
#include "tests/test_support.h"

using namespace scene_writer;

namespace {

// Runs scene-report with args, shell words, in directory dir.
ToolRun sceneReport(const TempDir& dir, const std::string& args) {
    return runCommand(shellQuoted(SCENE_REPORT_PATH) + " " + args, dir.path());
}

TEST(SceneReportTool, LoadsInTheWorkingDirectoryAndWritesTheReport) {
    TempDir dir;
    writeJpeg(dir.file("wood.jpg"), 32, 32);
    ChunkWriter w;
    beginSceneFile(w);
    writeMaterial(w, "Wood", "wood.jpg");
    MeshData m;
    m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    m.faces = {{0, 1, 2}};
    m.material = "Wood";
    writeMeshObject(w, "Box", m);
    endEditor(w);
    w.end();
    ASSERT_TRUE(w.save(dir.file("box.3ds")));

    ToolRun run = sceneReport(dir, "box.3ds report.txt");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "3D Studio Version 3 found!\n---------------------------\n"
              "3D Editor Version 3 chunk found!\n"
              "CHUNK_MATERIAL found!\n"
              "CHUNK_OBJECT found!\nCHUNK_OBJECT_MESH found!\n");
    EXPECT_EQ(run.err, "");
    std::string report = readTextFile(dir.file("report.txt"));
    EXPECT_NE(report.find("Assigned material: Wood\n"), std::string::npos) << report;
}

TEST(SceneReportTool, FailedLoadStillWritesTheEmptyReportAndExitsOne) {
    TempDir dir;
    ToolRun run = sceneReport(dir, "missing.3ds report.txt");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(lineCount(run.err), 1) << run.err;
    EXPECT_NE(run.err.find("missing.3ds"), std::string::npos) << run.err;
    EXPECT_NE(readTextFile(dir.file("report.txt")).find("There are no meshes in the scene\n"), std::string::npos);
}

TEST(SceneReportTool, TruncatedFileExitsOneAfterItsMessages) {
    TempDir dir;
    ChunkWriter w;
    beginSceneFile(w);
    endEditor(w);
    w.end();
    ChunkWriter cut;
    cut.raw(w.bytes().data(), w.bytes().size() - 1);
    ASSERT_TRUE(cut.save(dir.file("cut.3ds")));
    ToolRun run = sceneReport(dir, "cut.3ds report.txt");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out,
              "3D Studio Version 3 found!\n---------------------------\n"
              "3D Editor Version 3 chunk found!\n");
    EXPECT_EQ(lineCount(run.err), 1) << run.err;
}

TEST(SceneReportTool, UnwritableReportExitsOne) {
    TempDir dir;
    ChunkWriter w;
    w.begin(CHUNK_MAIN);
    w.end();
    ASSERT_TRUE(w.save(dir.file("empty.3ds")));
    ToolRun run = sceneReport(dir, "empty.3ds no/such/dir/report.txt");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(lineCount(run.err), 1) << run.err;
}

TEST(SceneReportTool, WrongArgumentCountExitsTwoWithUsage) {
    TempDir dir;
    for (const char* args : {"", "one.3ds", "a b c"}) {
        ToolRun run = sceneReport(dir, args);
        EXPECT_EQ(run.exitCode, 2) << "args: " << args;
        EXPECT_EQ(run.out, "") << "args: " << args;
        EXPECT_NE(run.err.find("usage: scene-report INPUT.3ds REPORT.txt"), std::string::npos) << run.err;
    }
}

}  // namespace
