// Frames of the show compared with the reference pictures in tests/golden/,
// so that a change in what the show looks like fails here. The references
// are made by scripts/update-golden, never by these tests.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/capture/show_frames.h"
#include "shell/frame_schedule.h"
#include "shell/timing.h"
#include "tools/capture/png_file.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr int kFps = 30;

// Rendering is deterministic on one machine: the same build renders the
// same pixels (RenderingTwiceGivesIdenticalPixels). The tolerance is for
// another Mesa, whose rasteriser may put an edge a pixel over or filter a
// texture a few levels apart: a pixel differs when a channel moves by more
// than kChannelTolerance, and at most kDifferingShare of the pixels (48 of
// 19200) may differ. The share is kept below what one frame (1/30 s) of
// the slowest motion changes, a camera flight past white letters on black
// (70 to 100 pixels), so that even a frame drawn at the wrong time fails
// (ToleranceTellsNeighbouringFramesApart); a changed colour, angle, field
// of view or style moves thousands.
constexpr int kChannelTolerance = 24;
constexpr double kDifferingShare = 0.0025;

struct GoldenCase {
    std::string name;
    double time = 0.0;
    long frame = 0;
};

std::vector<GoldenCase> readGoldenList() {
    std::vector<GoldenCase> frames;
    std::ifstream in(std::string(GOLDEN_DIR) + "/frames.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        GoldenCase f;
        if (!(fields >> f.name >> f.time)) continue;
        f.frame = FrameSchedule(builtInTiming(), kFps, f.time, f.time).firstWritten();
        frames.push_back(f);
    }
    return frames;
}

const std::vector<GoldenCase>& goldenFrames() {
    static const std::vector<GoldenCase> frames = readGoldenList();
    return frames;
}

Pictures renderGoldenSize(const std::set<long>& wanted) { return renderFrames(wanted, kFps, kWidth, kHeight); }

// The golden frames, and with next the frame after each.
std::set<long> goldenFrameNumbers(bool next) {
    std::set<long> numbers;
    for (const GoldenCase& f : goldenFrames()) {
        numbers.insert(f.frame);
        if (next) numbers.insert(f.frame + 1);
    }
    return numbers;
}

// One pass for most tests: a show's worth of frames takes seconds.
const Pictures& renderedGoldenFrames() {
    static const Pictures pictures = renderGoldenSize(goldenFrameNumbers(true));
    return pictures;
}

struct Difference {
    long differing = 0;
    int largest = 0;
};

Difference compare(const RgbPicture& a, const RgbPicture& b) {
    Difference d;
    const size_t pixels = std::min(a.rgb.size(), b.rgb.size()) / 3;
    for (size_t i = 0; i < pixels; ++i) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int(a.rgb[3 * i + c]) - int(b.rgb[3 * i + c])));
        d.largest = std::max(d.largest, worst);
        if (worst > kChannelTolerance) ++d.differing;
    }
    return d;
}

long allowedDifferingPixels() { return long(kDifferingShare * kWidth * kHeight); }

TEST(GoldenFrames, EveryFrameLooksAsItsReference) {
    ASSERT_FALSE(goldenFrames().empty()) << "no frames in " << GOLDEN_DIR << "/frames.txt";
    const Pictures& rendered = renderedGoldenFrames();
    for (const GoldenCase& golden : goldenFrames()) {
        const std::string referencePath = std::string(GOLDEN_DIR) + "/" + golden.name + ".png";
        RgbPicture reference;
        std::string error;
        if (!readPng(referencePath, &reference, &error)) {
            ADD_FAILURE() << error << " (scripts/update-golden makes it)";
            continue;
        }
        if (reference.width != kWidth || reference.height != kHeight) {
            ADD_FAILURE() << referencePath << " is " << reference.width << "x" << reference.height << ", not "
                          << kWidth << "x" << kHeight;
            continue;
        }
        const auto found = rendered.find(golden.frame);
        ASSERT_NE(found, rendered.end()) << "frame " << golden.frame << " was not rendered";
        const Difference d = compare(found->second, reference);
        if (d.differing <= allowedDifferingPixels()) continue;
        // Left for a look: the picture as it is now.
        const std::string actualPath = std::string(GOLDEN_ACTUAL_DIR) + "/" + golden.name + ".png";
        std::string ignored;
        writePng(actualPath, found->second, &ignored);
        ADD_FAILURE() << golden.name << " at t = " << golden.time << " s (frame " << golden.frame << "): "
                      << d.differing << " pixels differ by more than " << kChannelTolerance << ", at most "
                      << allowedDifferingPixels() << " may (largest difference " << d.largest << ")\n"
                      << "  expected " << referencePath << "\n  actual   " << actualPath;
    }
}

TEST(GoldenFrames, ListNamesADozenFramesOnTheThirtyFramesGrid) {
    EXPECT_GE(goldenFrames().size(), 12u);
    for (const GoldenCase& f : goldenFrames())
        EXPECT_EQ(FrameSchedule(builtInTiming(), kFps, f.time, f.time).writtenCount(), 1)
            << f.name << ": " << f.time << " s is not a frame at " << kFps << " frames a second";
}

TEST(GoldenFrames, RenderingTwiceGivesIdenticalPixels) {
    const Pictures& first = renderedGoldenFrames();
    const Pictures second = renderGoldenSize(goldenFrameNumbers(false));
    for (const GoldenCase& f : goldenFrames()) {
        ASSERT_TRUE(first.count(f.frame) && second.count(f.frame)) << f.name;
        const Difference d = compare(first.at(f.frame), second.at(f.frame));
        EXPECT_EQ(d.largest, 0) << f.name << ": " << d.differing << " pixels differ between two runs";
    }
}

// The tolerance would be useless if it let the next frame pass: each golden
// frame must fail against the picture one frame (1/30 s) later.
TEST(GoldenFrames, ToleranceTellsNeighbouringFramesApart) {
    const Pictures& rendered = renderedGoldenFrames();
    for (const GoldenCase& f : goldenFrames()) {
        ASSERT_TRUE(rendered.count(f.frame) && rendered.count(f.frame + 1)) << f.name;
        const Difference d = compare(rendered.at(f.frame), rendered.at(f.frame + 1));
        EXPECT_GT(d.differing, allowedDifferingPixels())
            << f.name << ": frame " << f.frame << " and the next differ in only " << d.differing << " pixels";
    }
}

}  // namespace
