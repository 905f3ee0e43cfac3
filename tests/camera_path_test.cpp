#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "scene/scene_writer.h"
#include "tests/test_support.h"

namespace {

using namespace scene_writer;

// Runs camera-path with args, shell words, in directory dir.
ToolRun cameraPath(const TempDir& dir, const std::string& args) {
    return runCommand(shellQuoted(CAMERA_PATH_PATH) + " " + args, dir.path());
}

bool exists(const std::string& path) { return std::ifstream(path).good(); }

std::vector<KeyData> twoKeys() {
    KeyData first;
    first.frame = 0;
    first.value = {0, 0, 0};
    KeyData second;
    second.frame = 4;
    second.value = {4, -8, 2};
    return {first, second};
}

// Two cameras. Track 0 moves camera 1's eye (node id 1) and track 10 camera
// 0's target, both from (0, 0, 0) at frame 0 to (4, -8, 2) at frame 4; the
// tracks in between belong to meshes.
void writeScene(const std::string& path, uint32_t framesStart = 0, uint32_t framesEnd = 4) {
    ChunkWriter w;
    beginSceneFile(w);
    writeCameraObject(w, "Camera0", {1, 2, 3}, {4, 5, 6}, 0.0f, 50.0f);
    writeCameraObject(w, "Camera1", {7, 8, 9}, {0, 0, 0}, 0.0f, 50.0f);
    endEditor(w);
    beginKeyframer(w, framesStart, framesEnd);
    writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_POS, "Camera1", 1, twoKeys());
    for (int i = 1; i < 10; ++i) writeNode(w, CHUNK_KEYFRAMER_TRACK_MESH, "Box" + std::to_string(i), 2, twoKeys());
    writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_TARGET, "Camera0.Target", 0, twoKeys());
    w.end();
    w.end();
    ASSERT_TRUE(w.save(path));
}

// With the initial tension 0.5 both tangents are (2, -4, 1), so the blend at
// u = 1/4, 1/2, 3/4 is exact in binary.
const char kSpline[] =
    "0 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000\n"
    "1 0.000000 0.000000 0.000000 0.812500 -1.625000 0.406250 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000\n"
    "2 0.000000 0.000000 0.000000 2.000000 -4.000000 1.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000\n"
    "3 0.000000 0.000000 0.000000 3.187500 -6.375000 1.593750 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000\n"
    "4 0.000000 0.000000 0.000000 4.000000 -8.000000 2.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000\n";

const char kLinear[] =
    "0 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000\n"
    "1 0.000000 0.000000 0.000000 1.000000 -2.000000 0.500000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000\n"
    "2 0.000000 0.000000 0.000000 2.000000 -4.000000 1.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000\n"
    "3 0.000000 0.000000 0.000000 3.000000 -6.000000 1.500000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000\n"
    "4 0.000000 0.000000 0.000000 4.000000 -8.000000 2.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000\n";

const char kLoop[] =
    "0 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000\n"
    "1 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.812500 -1.625000 0.406250 0.000000 0.000000 0.000000\n"
    "2 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 2.000000 -4.000000 1.000000 0.000000 0.000000 0.000000\n"
    "3 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 3.187500 -6.375000 1.593750 0.000000 0.000000 0.000000\n"
    "4 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 4.000000 -8.000000 2.000000 0.000000 0.000000 0.000000\n";

TEST(CameraPathTool, WritesEveryCameraForEveryFrameInEachMode) {
    TempDir dir;
    writeScene(dir.file("path.3ds"));
    struct Case {
        const char* mode;
        const char* expected;
    };
    for (const Case& c : {Case{"spline", kSpline}, Case{"linear", kLinear}, Case{"loop", kLoop}}) {
        ToolRun run = cameraPath(dir, std::string("path.3ds ") + c.mode + " out.txt 0 4");
        EXPECT_EQ(run.exitCode, 0) << c.mode << ": " << run.err;
        EXPECT_EQ(run.err, "") << c.mode;
        EXPECT_EQ(readTextFile(dir.file("out.txt")), c.expected) << c.mode;
    }
}

TEST(CameraPathTool, LoaderMessagesGoToStandardOutput) {
    TempDir dir;
    writeScene(dir.file("path.3ds"));
    ToolRun run = cameraPath(dir, "path.3ds linear out.txt");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("CHUNK_KEYFRAMER found!\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(" 0.000000"), std::string::npos) << "the path lines belong in the file only";
}

TEST(CameraPathTool, DefaultRangeIsTheKeyframerFrames) {
    TempDir dir;
    writeScene(dir.file("path.3ds"), 2, 5);
    ToolRun run = cameraPath(dir, "path.3ds linear out.txt");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string out = readTextFile(dir.file("out.txt"));
    EXPECT_EQ(lineCount(out), 4) << out;
    EXPECT_EQ(out.rfind("2 ", 0), 0u) << out;
    EXPECT_NE(out.find("\n5 0.000000 0.000000 0.000000 4.000000 -8.000000 2.000000 "), std::string::npos) << out;
}

TEST(CameraPathTool, NewProcessBlendsWithZeroTangentsUntilAKeyFrame) {
    TempDir dir;
    writeScene(dir.file("path.3ds"));
    ToolRun run = cameraPath(dir, "path.3ds spline out.txt 1 2");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // Only the h2 term of the blend remains: 0.15625 and 0.5 times (4, -8, 2).
    EXPECT_EQ(readTextFile(dir.file("out.txt")),
              "1 0.000000 0.000000 0.000000 0.625000 -1.250000 0.312500 0.000000 0.000000 0.000000 0.000000 0.000000 "
              "0.000000\n"
              "2 0.000000 0.000000 0.000000 2.000000 -4.000000 1.000000 0.000000 0.000000 0.000000 0.000000 0.000000 "
              "0.000000\n");
}

TEST(CameraPathTool, NegativeFramesAreIntegers) {
    TempDir dir;
    writeScene(dir.file("path.3ds"));
    ToolRun run = cameraPath(dir, "path.3ds linear out.txt -2 -1");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(readTextFile(dir.file("out.txt")),
              "-2 0.000000 0.000000 0.000000 -2.000000 4.000000 -1.000000 0.000000 0.000000 0.000000 0.000000 "
              "0.000000 0.000000\n"
              "-1 0.000000 0.000000 0.000000 -1.000000 2.000000 -0.500000 0.000000 0.000000 0.000000 0.000000 "
              "0.000000 0.000000\n");
}

TEST(CameraPathTool, FirstAfterLastWritesAnEmptyFile) {
    TempDir dir;
    writeScene(dir.file("path.3ds"));
    ToolRun run = cameraPath(dir, "path.3ds spline out.txt 5 4");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(exists(dir.file("out.txt")));
    EXPECT_EQ(readTextFile(dir.file("out.txt")), "");
}

TEST(CameraPathTool, WrongUsageExitsTwoWithAUsageLine) {
    TempDir dir;
    writeScene(dir.file("path.3ds"));
    const char* const cases[] = {
        "",
        "path.3ds spline",
        "path.3ds spline out.txt 0",
        "path.3ds spline out.txt 0 4 9",
        "path.3ds cubic out.txt",
        "path.3ds Spline out.txt",
        "path.3ds spline out.txt abc 4",
        "path.3ds spline out.txt 0 1.5",
        "path.3ds spline out.txt 0 4x",
        "path.3ds spline out.txt '' 4",
        "path.3ds spline out.txt 0 99999999999",
        "path.3ds spline out.txt --svg",
        "path.3ds spline out.txt 0 4 --svg",
    };
    for (const char* args : cases) {
        ToolRun run = cameraPath(dir, args);
        EXPECT_EQ(run.exitCode, 2) << "args: " << args;
        EXPECT_EQ(run.err.rfind("usage: camera-path ", 0), 0u) << "args: " << args << ", stderr: " << run.err;
        EXPECT_EQ(lineCount(run.err), 1) << "args: " << args;
        EXPECT_FALSE(exists(dir.file("out.txt"))) << "args: " << args;
    }
}

TEST(CameraPathTool, UnloadableSceneExitsOneWithOneLine) {
    TempDir dir;
    {
        std::ofstream text(dir.file("notes.3ds"));
        text << "not a scene\n";
    }
    for (const char* input : {"missing.3ds", "notes.3ds"}) {
        ToolRun run = cameraPath(dir, std::string(input) + " spline out.txt");
        EXPECT_EQ(run.exitCode, 1) << input;
        EXPECT_EQ(run.err.rfind(std::string("camera-path: ") + input + ": ", 0), 0u) << input << ": " << run.err;
        EXPECT_EQ(lineCount(run.err), 1) << input << ": " << run.err;
        EXPECT_FALSE(exists(dir.file("out.txt"))) << input;
    }
}

TEST(CameraPathTool, UnwritableOutputExitsOneWithOneLine) {
    TempDir dir;
    writeScene(dir.file("path.3ds"));
    for (const char* args : {"path.3ds spline missing/out.txt", "path.3ds spline out.txt --svg missing/path.svg"}) {
        ToolRun run = cameraPath(dir, args);
        EXPECT_EQ(run.exitCode, 1) << args;
        EXPECT_EQ(run.err.rfind("camera-path: missing/", 0), 0u) << args << ": " << run.err;
        EXPECT_EQ(lineCount(run.err), 1) << args << ": " << run.err;
    }
}

int count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// True when python3 (installed by scripts/deps) parses the file as XML.
bool wellFormedXml(const std::string& path) {
    EXPECT_EQ(std::system("python3 -c '' >/dev/null 2>&1"), 0) << "python3 is needed to parse the drawing";
    const std::string command =
        "python3 -c 'import sys, xml.dom.minidom as m; m.parse(sys.argv[1])' " + shellQuoted(path);
    return std::system(command.c_str()) == 0;
}

TEST(CameraPathTool, SvgDrawsBothViewsWithLabelledKeys) {
    TempDir dir;
    writeScene(dir.file("path.3ds"));
    ToolRun plain = cameraPath(dir, "path.3ds loop plain.txt 0 4");
    ToolRun run = cameraPath(dir, "path.3ds loop out.txt 0 4 --svg path.svg");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(readTextFile(dir.file("out.txt")), readTextFile(dir.file("plain.txt")));
    const std::string svg = readTextFile(dir.file("path.svg"));
    EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
    EXPECT_NE(svg.find(">Top view (x, y)</text>"), std::string::npos);
    EXPECT_NE(svg.find(">Side view (x, z)</text>"), std::string::npos);
    // Position and target of two cameras, in two views.
    EXPECT_EQ(count(svg, "<path "), 8) << svg;
    // The two keys of track 0, each marked and labelled in both views.
    EXPECT_EQ(count(svg, "\" font-size=\"11\">0</text>"), 2) << svg;
    EXPECT_EQ(count(svg, "\" font-size=\"11\">4</text>"), 2) << svg;
    EXPECT_NE(svg.find("keys of track 0 (Camera1, position)"), std::string::npos);
    EXPECT_TRUE(wellFormedXml(dir.file("path.svg"))) << svg;
}

TEST(CameraPathTool, SvgOfNoFramesIsStillADrawing) {
    TempDir dir;
    writeScene(dir.file("path.3ds"));
    ToolRun run = cameraPath(dir, "path.3ds spline out.txt 5 4 --svg path.svg");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(readTextFile(dir.file("out.txt")), "");
    const std::string svg = readTextFile(dir.file("path.svg"));
    EXPECT_NE(svg.find("no frames"), std::string::npos) << svg;
    EXPECT_TRUE(wellFormedXml(dir.file("path.svg"))) << svg;
}

}  // namespace
