// A timing's words and scene lines in orvel-capture: the words' title draws
// what the generator's .3ds of them draws, a segment's own scene changes
// that segment's frames and no other, and a scene the loader refuses is said.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shell/schedule.h"
#include "shell/segment_scenes.h"
#include "shell/timing.h"
#include "shell/title_plans.h"
#include "tests/test_support.h"
#include "tools/capture/png_file.h"

namespace {

const std::string kBuiltIn = formatTiming(builtInTiming());

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// A data folder in temp: the generated show's files linked in, but for
// those named in own, which are written with the text given.
std::string dataFolder(const TempDir& temp, const std::string& name,
                       const std::vector<std::pair<std::string, std::string>>& own = {}) {
    const std::string data = temp.file(name);
    ::mkdir(data.c_str(), 0755);
    ::mkdir((data + "/" + schedule::kDataFolder).c_str(), 0755);
    const std::string shown = std::string(SHOW_DATA_DIR) + "/";
    EXPECT_EQ(::symlink((shown + schedule::kMusicFile).c_str(), (data + "/" + schedule::kMusicFile).c_str()), 0);
    for (const auto& entry : std::filesystem::directory_iterator(shown + schedule::kDataFolder))
        EXPECT_EQ(::symlink(entry.path().c_str(),
                            (data + "/" + schedule::kDataFolder + "/" + entry.path().filename().string()).c_str()),
                  0);
    for (const auto& file : own) {
        ::unlink((data + "/" + file.first).c_str());
        std::ofstream(data + "/" + file.first, std::ios::binary) << file.second;
    }
    return data;
}

// The frames of the whole show, two a second, small, played in dir.
std::vector<std::vector<unsigned char>> showFrames(const TempDir& temp, const std::string& dir) {
    const std::string out = dir + "-frames";
    const ToolRun run = runCommand(shellQuoted(CAPTURE_PATH) + " --from 0 --to 121 --fps 2 --size 80x60 --png " + out,
                                   dir, "");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::vector<unsigned char>> frames;
    for (int i = 0; i <= 242; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%05d.png", i);
        RgbPicture p;
        std::string error;
        EXPECT_TRUE(readPng(out + name, &p, &error)) << error;
        frames.push_back(p.rgb);
    }
    (void)temp;
    return frames;
}

std::string bytesText(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(SegmentScenes, TheBuiltInWordsMakeTheGeneratorsOwnFile) {
    EXPECT_EQ(bytesText(wordsSceneFile(2, "ZENTRIK", builtInTiming())),
              fileText(std::string(SHOW_DATA_DIR) + "/demodata/zentrik.3ds"));
    EXPECT_EQ(bytesText(wordsSceneFile(14, "radidar", builtInTiming())),
              fileText(std::string(SHOW_DATA_DIR) + "/demodata/radidar.3ds"))
        << "lower case drawn as upper case";
}

TEST(SegmentScenes, WordsDrawWhatTheGeneratorsFileOfThemDraws) {
    TempDir temp;
    const std::string words = "Our Group 42!";
    const std::string typed =
        dataFolder(temp, "typed", {{"timing.txt", kBuiltIn + "words 2: " + words + "\n"}});
    const std::string written = dataFolder(
        temp, "written", {{"demodata/zentrik.3ds", bytesText(wordsSceneFile(2, words, builtInTiming()))}});
    const std::vector<std::vector<unsigned char>> a = showFrames(temp, typed);
    const std::vector<std::vector<unsigned char>> b = showFrames(temp, written);
    const std::vector<std::vector<unsigned char>> builtIn = showFrames(temp, dataFolder(temp, "built-in"));
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i], b[i]) << "frame at " << double(i) / 2 << " s";
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double t = double(i) / 2;
        if (t > builtInTiming().segmentStart(2) && t < builtInTiming().segmentEnd(2)) {
            EXPECT_NE(a[i], builtIn[i]) << "frame at " << t << " s";
        }
    }
}

TEST(SegmentScenes, OwnWordsOrSceneChangeThatSegmentsFramesAndNoOther) {
    TempDir temp;
    const std::vector<std::vector<unsigned char>> builtIn = showFrames(temp, dataFolder(temp, "built-in"));
    const std::vector<std::vector<unsigned char>> same =
        showFrames(temp, dataFolder(temp, "same", {{"timing.txt", kBuiltIn + "words 13: TORNVIK\n"}}));
    EXPECT_EQ(same, builtIn) << "segment 13's own words, as built in";
    const struct {
        std::string line;
        std::vector<std::pair<std::string, std::string>> files;
        int segment;
    } changes[] = {
        {"words 13: HELLO\n", {}, 13},
        {"scene 9: ship.3ds\n", {{"ship.3ds", fileText(std::string(SHOW_DATA_DIR) + "/demodata/sphere.3ds")}}, 9},
    };
    int n = 0;
    for (const auto& change : changes) {
        auto files = change.files;
        files.push_back({"timing.txt", kBuiltIn + change.line});
        const std::vector<std::vector<unsigned char>> frames =
            showFrames(temp, dataFolder(temp, "changed" + std::to_string(n++), files));
        ASSERT_EQ(frames.size(), builtIn.size());
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const double t = double(i) / 2;
            if (t > builtInTiming().segmentStart(change.segment) && t < builtInTiming().segmentEnd(change.segment))
                EXPECT_NE(frames[i], builtIn[i]) << change.line << "frame at " << t << " s";
            else
                EXPECT_EQ(frames[i], builtIn[i]) << change.line << "frame at " << t << " s";
        }
    }
}

// A title's scene file without its camera, flown past in segment 2, draws
// what the title with the camera the generator placed draws.
TEST(SegmentScenes, ACameraLessSceneInATitleSegmentGetsTheTitlesCamera) {
    TempDir temp;
    SceneData title = titleScene("CUBE 3", titleStyleOf(2), float(builtInTiming().segmentEnd(2) -
                                                                 builtInTiming().segmentStart(2)),
                                 kFlightLens, schedule::kTilesTexture);
    const std::string withCamera = bytesText(encodeScene(title));
    title.cameras.clear();
    const std::string data = dataFolder(temp, "no-camera",
                                        {{"timing.txt", kBuiltIn + "scene 2: cube.3ds\n"},
                                         {"cube.3ds", bytesText(encodeScene(title))}});
    const std::vector<std::vector<unsigned char>> placed = showFrames(temp, data);
    const std::vector<std::vector<unsigned char>> written =
        showFrames(temp, dataFolder(temp, "camera", {{"demodata/zentrik.3ds", withCamera}}));
    const std::vector<std::vector<unsigned char>> builtIn = showFrames(temp, dataFolder(temp, "built-in"));
    for (std::size_t i = 0; i < placed.size(); ++i) {
        EXPECT_EQ(placed[i], written[i]) << "frame at " << double(i) / 2 << " s";
        if (double(i) / 2 > builtInTiming().segmentStart(2) && double(i) / 2 < builtInTiming().segmentEnd(2)) {
            EXPECT_NE(placed[i], builtIn[i]) << "frame at " << double(i) / 2 << " s";
        }
    }
}

TEST(SegmentScenes, ASceneTheLoaderRefusesIsSaidWithItsReasonAndNothingIsCaptured) {
    TempDir temp;
    const std::string data =
        dataFolder(temp, "refused", {{"timing.txt", kBuiltIn + "scene 9: junk.3ds\n"}, {"junk.3ds", "MM"}});
    const ToolRun run = runCommand(shellQuoted(CAPTURE_PATH) + " --at 85 --size 80x60 --png " + temp.file("out"),
                                   data, "");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "orvel-capture: cannot load junk.3ds: file too short for a 3D Studio main chunk\n");
    std::ifstream frame(temp.file("out") + "/frame-00000.png");
    EXPECT_FALSE(frame.good()) << "no frame of a show that cannot be played";
}

}  // namespace
