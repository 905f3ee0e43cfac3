#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "scene/chunk.h"
#include "scene/scene_writer.h"
#include "tests/test_support.h"

using namespace scene_writer;

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs scene-report with args in directory dir, capturing both streams.
ToolRun sceneReport(const TempDir& dir, const std::string& args) {
    const std::string command = "cd '" + dir.path() + "' && '" SCENE_REPORT_PATH "' " + args + " >stdout.txt 2>stderr.txt";
    int status = std::system(command.c_str());
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readTextFile(dir.file("stdout.txt"));
    run.err = readTextFile(dir.file("stderr.txt"));
    return run;
}

int lines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
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
    EXPECT_EQ(lines(run.err), 1) << run.err;
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
    EXPECT_EQ(lines(run.err), 1) << run.err;
}

TEST(SceneReportTool, UnwritableReportExitsOne) {
    TempDir dir;
    ChunkWriter w;
    w.begin(CHUNK_MAIN);
    w.end();
    ASSERT_TRUE(w.save(dir.file("empty.3ds")));
    ToolRun run = sceneReport(dir, "empty.3ds no/such/dir/report.txt");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(lines(run.err), 1) << run.err;
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
