// orvel-capture as a program: its exit codes, its pictures and its videos,
// run in the show's directory on the generated content.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "shell/calm.h"
#include "shell/data_places.h"
#include "shell/schedule.h"
#include "shell/timing.h"
#include "tests/test_support.h"
#include "tools/capture/capture_options.h"
#include "tools/capture/png_file.h"
#include "tools/capture/video_encoder.h"

namespace {

const std::string kUsage = std::string(kCaptureUsage) + "\n";

// Runs orvel-capture with args in dir, with env put before it (NAME=value ...).
ToolRun capture(const std::string& args, const std::string& dir = SHOW_DATA_DIR, const std::string& env = "") {
    return runCommand(shellQuoted(CAPTURE_PATH) + " " + args, dir, env);
}

bool exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

RgbPicture picture(const std::string& path) {
    RgbPicture p;
    std::string error;
    EXPECT_TRUE(readPng(path, &p, &error)) << error;
    return p;
}

// The calm show's dimmed frames draw no channel above this.
constexpr int kDimmest = int(calm::kDimGrey * 255.0f + 0.5f);

std::string frameFile(const std::string& dir, int index) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%05d.png", index);
    return dir + name;
}

int countFiles(const std::string& dir) {
    const std::string command = "ls -A " + shellQuoted(dir) + " | wc -l";
    FILE* pipe = ::popen(command.c_str(), "r");
    int n = -1;
    if (pipe) {
        if (std::fscanf(pipe, "%d", &n) != 1) n = -1;
        ::pclose(pipe);
    }
    return n;
}

// The streams of a media file as ffprobe sees them: one map of fields each.
std::vector<std::map<std::string, std::string>> probeStreams(const std::string& path) {
    const char* const argv[] = {"ffprobe",
                                "-v",
                                "error",
                                "-show_entries",
                                "stream=codec_type,codec_name,width,height,pix_fmt,nb_frames,duration",
                                "-of",
                                "compact=p=0",
                                path.c_str(),
                                nullptr};
    std::string output;
    std::string error;
    EXPECT_TRUE(runForOutput(argv, &output, &error)) << error;
    std::vector<std::map<std::string, std::string>> streams;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::map<std::string, std::string> fields;
        std::istringstream parts(line);
        std::string part;
        while (std::getline(parts, part, '|')) {
            const size_t equals = part.find('=');
            if (equals != std::string::npos) fields[part.substr(0, equals)] = part.substr(equals + 1);
        }
        streams.push_back(fields);
    }
    return streams;
}

// A stand-in for ffmpeg first on the PATH, running script under bash.
std::string fakeFfmpeg(const TempDir& temp, const std::string& script) {
    const std::string bin = temp.file("bin");
    ::mkdir(bin.c_str(), 0755);
    const std::string path = bin + "/ffmpeg";
    std::ofstream(path) << "#!/bin/bash\n" << script << "\n";
    ::chmod(path.c_str(), 0755);
    return "PATH=" + shellQuoted(bin) + ":\"$PATH\"";
}

std::string realFfmpeg() {
    const char* const argv[] = {"sh", "-c", "command -v ffmpeg", nullptr};
    std::string output;
    std::string error;
    EXPECT_TRUE(runForOutput(argv, &output, &error)) << error;
    while (!output.empty() && output.back() == '\n') output.pop_back();
    return output;
}

TEST(CaptureTool, WrongCommandLinesExitWithTwoAndTheUsage) {
    TempDir temp;
    const std::string dir = temp.file("frames");
    const std::string cases[] = {
        "",
        "--bogus --png " + dir,
        "--fps x --png " + dir,
        "--size 640 --png " + dir,
        "--from -3 --png " + dir,
        "--png " + dir + " --video " + temp.file("out.mp4"),
        "--size 641x480 --video " + temp.file("out.mp4"),
        "--from 10.01 --to 10.02 --png " + dir,
    };
    for (const std::string& args : cases) {
        const ToolRun run = capture(args);
        EXPECT_EQ(run.exitCode, 2) << "'" << args << "'";
        EXPECT_EQ(run.err.compare(0, 15, "orvel-capture: "), 0) << "'" << args << "': " << run.err;
        ASSERT_GE(run.err.size(), kUsage.size()) << "'" << args << "'";
        EXPECT_EQ(run.err.substr(run.err.size() - kUsage.size()), kUsage) << "'" << args << "'";
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << "'" << args << "': " << run.err;
        EXPECT_FALSE(exists(dir)) << "'" << args << "' made the directory";
        EXPECT_FALSE(exists(temp.file("out.mp4"))) << "'" << args << "'";
    }
}

// A regression: --at 1e300 overflowed into a frame number before it was
// checked, and every frame of the show was written before exit 1.
TEST(CaptureTool, ATimeFarPastTheEndIsRefusedBeforeAnyFrame) {
    TempDir temp;
    const std::string dir = temp.file("frames");
    char end[32];
    std::snprintf(end, sizeof end, "%.2f", builtInTiming().end());
    const std::string far = "1" + std::string(300, '0');
    for (const std::string option : {"--at", "--from"}) {
        const ToolRun run = capture("--fps 1 --size 32x24 " + option + " " + far + " --png " + dir);
        EXPECT_EQ(run.exitCode, 2) << option;
        EXPECT_EQ(run.err, "orvel-capture: " + option + " lies past the end of the show (" + end + " s)\n" + kUsage);
        EXPECT_FALSE(exists(dir)) << option;
    }
    const ToolRun run = capture("--fps 1 --size 32x24 --at 1e300 --png " + dir);
    EXPECT_EQ(run.err, "orvel-capture: bad value for --at: '1e300'\n" + kUsage) << "a time is a plain decimal";
    EXPECT_FALSE(exists(dir));
}

TEST(CaptureTool, HelpPrintsTheUsageAndSucceeds) {
    const ToolRun run = capture("--help");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kUsage);
    EXPECT_EQ(run.err, "");
}

TEST(CaptureTool, PngDirectoryThatCannotBeMadeExitsWithOne) {
    TempDir temp;
    std::ofstream(temp.file("blocker")) << "a file\n";
    const ToolRun run = capture("--png " + temp.file("blocker/frames"));
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("orvel-capture: cannot make the directory " + temp.file("blocker/frames")),
              std::string::npos)
        << run.err;
}

TEST(CaptureTool, VideoThatCannotBeWrittenExitsWithOneBeforeDrawing) {
    TempDir temp;
    const std::string out = temp.file("missing/out.mp4");
    const ToolRun run = capture("--video " + out);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("orvel-capture: cannot write " + out + ": No such file or directory"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("frame "), std::string::npos) << "no frame is drawn: " << run.err;
}

TEST(CaptureTool, NoDataAnywhereNamesEveryPlaceLookedInAndExitsWithOne) {
    TempDir temp;
    const ToolRun run = capture("--png frames", temp.path());
    EXPECT_EQ(run.exitCode, 1);
    const std::string programFolder = std::string(CAPTURE_PATH).substr(0, std::string(CAPTURE_PATH).rfind('/'));
    EXPECT_EQ(run.err, "orvel-capture: " + noDataMessage({temp.path(), programFolder, INSTALLED_DATA_FOLDER}) + "\n");
    EXPECT_FALSE(exists(temp.file("frames"))) << "nothing is made before the data is found";
}

TEST(CaptureTool, DataFolderWithoutScenesExitsWithOne) {
    TempDir temp;
    ASSERT_EQ(::mkdir(temp.file("demodata").c_str(), 0755), 0);
    const ToolRun run = capture("--png frames", temp.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("orvel-capture: no scene could be loaded from the data folder"), std::string::npos)
        << run.err;
}

TEST(CaptureTool, WritesOnePictureForEachFrameOfTheRange) {
    TempDir temp;
    const std::string dir = temp.file("frames");
    const ToolRun run = capture("--from 50 --to 50.2 --fps 10 --size 160x120 --png " + dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(countFiles(dir), 3) << "frames at 50.0, 50.1 and 50.2";
    std::vector<RgbPicture> pictures;
    for (int i = 0; i < 3; ++i) {
        pictures.push_back(picture(frameFile(dir, i)));
        EXPECT_EQ(pictures.back().width, 160) << "frame " << i;
        EXPECT_EQ(pictures.back().height, 120) << "frame " << i;
    }
    EXPECT_NE(pictures[0].rgb, std::vector<unsigned char>(pictures[0].rgb.size(), 0)) << "segment 5 is not black";
    EXPECT_NE(pictures[0].rgb, pictures[1].rgb) << "the texture scrolls";
    EXPECT_NE(pictures[1].rgb, pictures[2].rgb) << "the texture scrolls";
    // Progress on one line rewritten in place, then the totals.
    EXPECT_NE(run.err.find("\rframe 503/503  t   50.20 s"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\norvel-capture: wrote 3 frames (50.00 to 50.20 s) to " + dir + " in "), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("; drew 503 frames at "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" render "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" read back "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" encode "), std::string::npos) << run.err;
}

TEST(CaptureTool, FrameOnAWindowBoundRepeatsThePreviousPicture) {
    TempDir temp;
    const std::string across = temp.file("across");
    ASSERT_EQ(capture("--from 4.9 --to 5.1 --fps 10 --size 160x120 --png " + across).exitCode, 0);
    const RgbPicture before = picture(frameFile(across, 0));
    EXPECT_EQ(picture(frameFile(across, 1)).rgb, before.rgb) << "t = 5.0 draws nothing";
    EXPECT_NE(picture(frameFile(across, 2)).rgb, before.rgb) << "t = 5.1 draws segment 2";

    const std::string on = temp.file("on");
    ASSERT_EQ(capture("--from 5 --to 5 --fps 10 --size 160x120 --png " + on).exitCode, 0);
    EXPECT_EQ(countFiles(on), 1);
    EXPECT_EQ(picture(frameFile(on, 0)).rgb, before.rgb) << "a capture that starts on the bound shows t = 4.9";
}

// Segment 5's first frame is modulated by the colour segment 4's last frame
// left: it comes out the same whether the frames before it were written or not.
TEST(CaptureTool, StartingLaterGivesThePictureOfPlayingThrough) {
    TempDir temp;
    const std::string through = temp.file("through");
    const std::string later = temp.file("later");
    ASSERT_EQ(capture("--from 42.8 --to 43.3 --fps 10 --size 160x120 --png " + through).exitCode, 0);
    ASSERT_EQ(capture("--from 43.3 --to 43.3 --fps 10 --size 160x120 --png " + later).exitCode, 0);
    EXPECT_EQ(picture(frameFile(later, 0)).rgb, picture(frameFile(through, 5)).rgb);
}

// The opening is one of the segments that the calm show dims.
TEST(CaptureTool, CalmRendersTheCalmShow) {
    TempDir temp;
    const std::string at = std::to_string(schedule::kSegmentMoments[0]);
    ASSERT_EQ(capture("--from " + at + " --to " + at + " --size 160x120 --png " + temp.file("ordinary")).exitCode, 0);
    ASSERT_EQ(capture("--calm --from " + at + " --to " + at + " --size 160x120 --png " + temp.file("calm")).exitCode,
              0);
    const RgbPicture ordinary = picture(frameFile(temp.file("ordinary"), 0));
    const RgbPicture calmShow = picture(frameFile(temp.file("calm"), 0));
    EXPECT_GT(*std::max_element(ordinary.rgb.begin(), ordinary.rgb.end()), 2 * kDimmest);
    EXPECT_LE(*std::max_element(calmShow.rgb.begin(), calmShow.rgb.end()), kDimmest);
}

TEST(CaptureTool, VideoHoldsEveryFrameAndTheMusic) {
    TempDir temp;
    const std::string out = temp.file("clip.mp4");
    const ToolRun run = capture("--from 50 --to 51 --fps 10 --size 160x120 --video " + out);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(exists(out + ".partial"));
    const auto streams = probeStreams(out);
    ASSERT_EQ(streams.size(), 2u);
    const auto& video = streams[0];
    EXPECT_EQ(video.at("codec_type"), "video");
    EXPECT_EQ(video.at("codec_name"), "h264");
    EXPECT_EQ(video.at("pix_fmt"), "yuv420p");
    EXPECT_EQ(video.at("width"), "160");
    EXPECT_EQ(video.at("height"), "120");
    EXPECT_EQ(video.at("nb_frames"), "11") << "frames at 50.0, 50.1, ... 51.0";
    EXPECT_NEAR(std::atof(video.at("duration").c_str()), 1.1, 0.001);
    const auto& audio = streams[1];
    EXPECT_EQ(audio.at("codec_type"), "audio");
    EXPECT_EQ(audio.at("codec_name"), "aac");
    EXPECT_NEAR(std::atof(audio.at("duration").c_str()), 1.1, 0.05);
    EXPECT_NE(run.err.find("(waiting for ffmpeg, which used "), std::string::npos) << run.err;
}

TEST(CaptureTool, VideoWithoutTheMusicFileWarnsAndHasNoSound) {
    TempDir temp;
    const std::string dir = temp.file("show");
    ::mkdir(dir.c_str(), 0755);
    ASSERT_EQ(::symlink((std::string(SHOW_DATA_DIR) + "/demodata").c_str(), (dir + "/demodata").c_str()), 0);
    const std::string out = temp.file("silent.mp4");
    const ToolRun run = capture("--from 50 --to 50.5 --fps 10 --size 160x120 --video " + out, dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string warning =
        "orvel-capture: warning: no \"dj ranko - quickbite.mp3\" here, the video has no sound\n";
    EXPECT_EQ(run.err.substr(0, warning.size()), warning);
    const auto streams = probeStreams(out);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].at("codec_type"), "video");
    EXPECT_EQ(streams[0].at("nb_frames"), "6");
}

// ffmpeg exits with 0 on an input cut short: the frames in the file are counted.
TEST(CaptureTool, VideoShortOfFramesIsAFailure) {
    TempDir temp;
    const std::string env = fakeFfmpeg(temp,
                                       "args=(\"$@\"); out=\"${args[-1]}\"; unset 'args[-1]'\n"
                                       "head -c " +
                                           std::to_string(160 * 120 * 4 * 3) + " | " + shellQuoted(realFfmpeg()) +
                                           " \"${args[@]}\" \"$out\"\n"
                                           "cat >/dev/null");
    const std::string out = temp.file("short.mp4");
    const ToolRun run = capture("--from 50 --to 51 --fps 10 --size 160x120 --video " + out, SHOW_DATA_DIR, env);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("orvel-capture: ffmpeg wrote 3 video frames, not 11\n"), std::string::npos) << run.err;
    EXPECT_FALSE(exists(out));
    EXPECT_FALSE(exists(out + ".partial"));
}

TEST(CaptureTool, FailingFfmpegExitsWithOneAndKeepsTheOldVideo) {
    TempDir temp;
    const std::string env = fakeFfmpeg(temp, "exit 1");
    const std::string out = temp.file("kept.mp4");
    std::ofstream(out) << "an earlier video";
    const ToolRun run = capture("--from 50 --to 51 --fps 10 --size 160x120 --video " + out, SHOW_DATA_DIR, env);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("orvel-capture: ffmpeg failed with exit code 1\n"), std::string::npos) << run.err;
    EXPECT_EQ(readTextFile(out), "an earlier video");
    EXPECT_FALSE(exists(out + ".partial"));
}

TEST(CaptureTool, MissingFfmpegExitsWithOne) {
    TempDir temp;
    const std::string empty = temp.file("empty");
    ::mkdir(empty.c_str(), 0755);
    const std::string out = temp.file("none.mp4");
    const ToolRun run =
        capture("--from 50 --to 51 --fps 10 --size 160x120 --video " + out, SHOW_DATA_DIR, "PATH=" + empty);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("orvel-capture: cannot run ffmpeg: No such file or directory\n"), std::string::npos)
        << run.err;
    EXPECT_FALSE(exists(out + ".partial"));
}

// A retimed show, segment 3 two seconds later: the frames before the change
// are the built-in show's and those after follow it, whether the timing is
// given on the command line or lies in the data folder as timing.txt.
TEST(CaptureTool, PlaysTheTimingItIsGivenOrFindsInItsDataFolder) {
    TempDir temp;
    std::string retimed = formatTiming(builtInTiming());
    retimed.replace(retimed.find("segment 3: 9.6\n"), 15, "segment 3: 11.6\n");
    std::ofstream(temp.file("retimed.txt")) << retimed;
    const std::string data = temp.file("data");
    ::mkdir(data.c_str(), 0755);
    for (const char* name : {"demodata", schedule::kMusicFile})
        ASSERT_EQ(::symlink((std::string(SHOW_DATA_DIR) + "/" + name).c_str(), (data + "/" + name).c_str()), 0);
    std::ofstream(data + "/timing.txt") << retimed;
    // The frame at t, in a folder of its own, given args and run in dir.
    auto frameAt = [&temp](const std::string& t, const std::string& args, const std::string& dir) {
        const std::string out = temp.file(t + (args.empty() ? "" : "-given") + (dir == SHOW_DATA_DIR ? "" : "-data"));
        const ToolRun run = capture("--at " + t + " --size 160x120 " + args + " --png " + out, dir);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return picture(frameFile(out, 0)).rgb;
    };
    const std::string given = "--timing " + temp.file("retimed.txt");
    EXPECT_EQ(frameAt("7", given, SHOW_DATA_DIR), frameAt("7", "", SHOW_DATA_DIR)) << "before the change";
    const std::vector<unsigned char> flight = frameAt("12", given, SHOW_DATA_DIR);
    EXPECT_EQ(flight, frameAt("10", "", SHOW_DATA_DIR)) << "0.4 s into segment 3's flight";
    EXPECT_NE(flight, frameAt("12", "", SHOW_DATA_DIR));
    EXPECT_EQ(frameAt("12", "", data), flight) << "timing.txt in the data folder";

    std::ofstream(data + "/timing.txt") << retimed << "end: 130\n";
    const ToolRun run = capture("--at 12 --png " + temp.file("refused"), data);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "orvel-capture: " + data +
                           "/timing.txt:" + std::to_string(std::count(retimed.begin(), retimed.end(), '\n') + 1) +
                           ": \"end\" again (first on line 21)\n");
    EXPECT_FALSE(exists(temp.file("refused"))) << "nothing is made from a timing that cannot be played";
}

}  // namespace
