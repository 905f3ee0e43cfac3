#include "tools/capture/capture_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
    ParseResult result;
    CaptureOptions options;
    std::string error;
};

Parsed parse(const std::vector<std::string>& args) {
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    Parsed p;
    p.result = parseCaptureOptions(int(argv.size()), argv.data(), &p.options, &p.error);
    return p;
}

std::string joined(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& a : args) text += (text.empty() ? "" : " ") + a;
    return text;
}

TEST(CaptureOptions, DefaultsAreThirtyFramesOfThePicturesSizeForTheWholeShow) {
    const Parsed p = parse({"--png", "frames"});
    ASSERT_EQ(p.result, ParseResult::Ok) << p.error;
    EXPECT_EQ(p.options.fps, 30);
    EXPECT_EQ(p.options.width, kPictureWidth);
    EXPECT_EQ(p.options.height, kPictureHeight);
    EXPECT_EQ(p.options.supersample, 1);
    EXPECT_FALSE(p.options.calm);
    EXPECT_EQ(p.options.from, 0.0);
    EXPECT_LT(p.options.to, 0.0) << "no end: until the show ends";
    EXPECT_EQ(p.options.pngDir, "frames");
    EXPECT_EQ(p.options.videoPath, "");
}

TEST(CaptureOptions, ReadsEveryOptionWithSpaceOrEqualsSign) {
    for (const auto& args :
         {std::vector<std::string>{"--fps", "10", "--size", "160x120", "--from", "50", "--to", "50.2", "--calm",
                                   "--video", "out.mp4"},
          std::vector<std::string>{"--calm", "--fps=10", "--size=160x120", "--from=50", "--to=50.2",
                                   "--video=out.mp4"}}) {
        const Parsed p = parse(args);
        ASSERT_EQ(p.result, ParseResult::Ok) << joined(args) << ": " << p.error;
        EXPECT_TRUE(p.options.calm) << joined(args);
        EXPECT_EQ(p.options.fps, 10) << joined(args);
        EXPECT_EQ(p.options.width, 160) << joined(args);
        EXPECT_EQ(p.options.height, 120) << joined(args);
        EXPECT_EQ(p.options.from, 50.0) << joined(args);
        EXPECT_EQ(p.options.to, 50.2) << joined(args);
        EXPECT_EQ(p.options.videoPath, "out.mp4") << joined(args);
        EXPECT_EQ(p.options.pngDir, "") << joined(args);
    }
}

TEST(CaptureOptions, WrongCommandLinesAreUsageErrorsThatNameTheFault) {
    struct Case {
        std::vector<std::string> args;
        const char* error;
    };
    const Case cases[] = {
        {{}, "choose an output: --png DIR or --video OUT.mp4"},
        {{"--fps", "30"}, "choose an output: --png DIR or --video OUT.mp4"},
        {{"--png", "a", "--video", "b.mp4"}, "choose one output: --png or --video, not both"},
        {{"--frames", "a"}, "unknown option --frames"},
        {{"frames"}, "unknown option frames"},
        {{"--calm=yes", "--png", "a"}, "unknown option --calm=yes"},
        {{"--png"}, "--png needs a value"},
        {{"--png", ""}, "bad value for --png: ''"},
        {{"--fps", "0", "--png", "a"}, "bad value for --fps: '0'"},
        {{"--fps", "2.5", "--png", "a"}, "bad value for --fps: '2.5'"},
        {{"--fps", "-30", "--png", "a"}, "bad value for --fps: '-30'"},
        {{"--fps", "30x", "--png", "a"}, "bad value for --fps: '30x'"},
        {{"--size", "640", "--png", "a"}, "bad value for --size: '640'"},
        {{"--size", "0x480", "--png", "a"}, "bad value for --size: '0x480'"},
        {{"--size", "640x", "--png", "a"}, "bad value for --size: '640x'"},
        {{"--size", "9999999x480", "--png", "a"}, "bad value for --size: '9999999x480'"},
        {{"--supersample", "0", "--png", "a"}, "--supersample takes 1, 2, 3 or 4, not '0'"},
        {{"--supersample", "5", "--png", "a"}, "--supersample takes 1, 2, 3 or 4, not '5'"},
        {{"--supersample", "1.5", "--png", "a"}, "--supersample takes 1, 2, 3 or 4, not '1.5'"},
        {{"--supersample=", "--png", "a"}, "--supersample takes 1, 2, 3 or 4, not ''"},
        {{"--from", "-1", "--png", "a"}, "bad value for --from: '-1'"},
        {{"--from", "abc", "--png", "a"}, "bad value for --from: 'abc'"},
        {{"--to", "nan", "--png", "a"}, "bad value for --to: 'nan'"},
        {{"--to", "inf", "--png", "a"}, "bad value for --to: 'inf'"},
        {{"--from", "60", "--to", "50", "--png", "a"}, "--to comes before --from"},
        {{"--at", "5", "--from", "3", "--png", "a"}, "--at names one frame: not with --from or --to"},
        {{"--to", "9", "--at", "5", "--png", "a"}, "--at names one frame: not with --from or --to"},
        {{"--at", "-1", "--png", "a"}, "bad value for --at: '-1'"},
        {{"--timing", "", "--png", "a"}, "bad value for --timing: ''"},
        {{"--size", "641x480", "--video", "a.mp4"}, "a video needs an even width and height, not 641x480"},
    };
    for (const Case& c : cases) {
        const Parsed p = parse(c.args);
        EXPECT_EQ(p.result, ParseResult::Usage) << "'" << joined(c.args) << "'";
        EXPECT_EQ(p.error, c.error) << "'" << joined(c.args) << "'";
    }
}

// The frames a command line writes depend on the show's end, which its
// timing gives.
TEST(CaptureOptions, WritesTheFramesOfTheTimingOrSaysWhyNone) {
    // 1e300 in plain digits.
    const std::string kFar = "1" + std::string(300, '0');
    struct Case {
        std::vector<std::string> args;
        double end;
        long first;
        long count;
        const char* error;
    };
    const Case cases[] = {
        // A time copied from sync.txt names the frame nearest it.
        {{"--at", "15.007812"}, 121.16, 450, 1, ""},
        {{"--at", "0.016667"}, 121.16, 1, 1, ""},
        {{"--fps", "10", "--at", "50.04"}, 121.16, 500, 1, ""},
        {{"--from", "120", "--to", "200"}, 121.16, 3600, 35, ""},
        {{"--from", "130"}, 121.16, 0, 0, "--from lies past the end of the show (121.16 s)"},
        {{"--from", "130"}, 200.0, 3900, 2101, ""},
        {{"--at", "130"}, 121.16, 0, 0, "--at lies past the end of the show (121.16 s)"},
        // A regression: 1e300 overflowed into a frame number before it was
        // checked, and every frame of the show was written.
        {{"--at", kFar}, 121.16, 0, 0, "--at lies past the end of the show (121.16 s)"},
        {{"--from", kFar}, 121.16, 0, 0, "--from lies past the end of the show (121.16 s)"},
        {{"--from", "120", "--to", kFar}, 121.16, 3600, 35, ""},
        // 121.15 is before the end, but its nearest frame is not.
        {{"--at", "121.15"},
         121.16,
         0,
         0,
         "--at names a frame past the end of the show (121.16 s) at 30 frames a second"},
        {{"--from", "10.01", "--to", "10.02"},
         121.16,
         0,
         0,
         "no frame of the show lies between --from and --to at 30 frames a second"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--png", "a"});
        const Parsed p = parse(args);
        ASSERT_EQ(p.result, ParseResult::Ok) << joined(args) << ": " << p.error;
        Timing timing = builtInTiming();
        timing.bounds[schedule::kSegmentCount] = c.end;
        std::string error;
        const FrameSchedule schedule = captureSchedule(p.options, timing, &error);
        EXPECT_EQ(error, c.error) << joined(args);
        EXPECT_EQ(schedule.writtenCount(), c.count) << joined(args);
        if (c.count > 0) {
            EXPECT_EQ(schedule.firstWritten(), c.first) << joined(args);
        }
    }
}

TEST(CaptureOptions, OddSizesAreFineForPictures) {
    const Parsed p = parse({"--size", "161x121", "--png", "a"});
    ASSERT_EQ(p.result, ParseResult::Ok) << p.error;
    EXPECT_EQ(p.options.width, 161);
    EXPECT_EQ(p.options.height, 121);
}

TEST(CaptureOptions, SupersampledFrameMustFitTheLargestBuffer) {
    const Parsed p = parse({"--size", "1920x1080", "--supersample=4", "--png", "a"});
    ASSERT_EQ(p.result, ParseResult::Ok) << p.error;
    EXPECT_EQ(p.options.supersample, 4);
    EXPECT_EQ(checkDrawingSize(p.options, 7680, 4320), "");
    EXPECT_EQ(checkDrawingSize(p.options, 7679, 16384),
              "--size 1920x1080 with --supersample 4 draws 7680x4320 pixels, more than OSMesa's largest buffer of "
              "7679x16384");
    CaptureOptions plain;
    plain.width = 20000;
    EXPECT_EQ(checkDrawingSize(plain, 16384, 16384),
              "--size 20000x480 draws 20000x480 pixels, more than OSMesa's largest buffer of 16384x16384");
}

TEST(CaptureOptions, HelpAsksForTheUsage) {
    EXPECT_EQ(parse({"--help"}).result, ParseResult::Help);
    EXPECT_EQ(parse({"--png", "a", "-h"}).result, ParseResult::Help);
}

}  // namespace
