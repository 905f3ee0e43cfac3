#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "shell/timing.h"
#include "tools/flash/flash_chart.h"
#include "tools/flash/flash_counter.h"
#include "tools/flash/flash_rule.h"
#include "tools/flash/flash_tally.h"

namespace {

using Colour = std::array<unsigned char, 3>;

constexpr Colour kBlack{0, 0, 0};
constexpr Colour kWhite{255, 255, 255};
constexpr int kFps = 60;

// An RGBA frame to paint, one colour at first.
struct Frame {
    int width;
    int height;
    std::vector<unsigned char> rgba;

    Frame(int w, int h, Colour colour) : width(w), height(h), rgba(size_t(w) * size_t(h) * 4) {
        fill(0, 0, w, h, colour);
    }
    void fill(int left, int top, int w, int h, Colour colour) {
        for (int y = top; y < top + h; ++y)
            for (int x = left; x < left + w; ++x)
                for (int c = 0; c < 3; ++c) rgba[(size_t(y) * size_t(width) + size_t(x)) * 4 + size_t(c)] = colour[c];
    }
};

// Counts seconds of frames, frameAt(k) the kth, at kFps.
FlashTally countFrames(int width, int height, double seconds, const std::function<const Frame&(long)>& frameAt) {
    FlashCounter counter(width, height, kFps);
    FlashTally tally(counter.grid(), kFps);
    for (long k = 0; k < long(seconds * kFps); ++k)
        tally.add(double(k) / kFps, counter.addFrame(frameAt(k).rgba.data()));
    return tally;
}

// Two colours in turn, hertz times a second each way, over a 4:3 block of
// share of the screen in its middle (the rest black).
FlashTally alternation(int width, int height, double hertz, double share, Colour a, Colour b) {
    const int w = std::min(width, int(std::sqrt(share * width * height * 4.0 / 3.0)));
    const int h = std::min(height, int(double(w) * 3.0 / 4.0 + 0.5));
    Frame frames[2] = {Frame(width, height, kBlack), Frame(width, height, kBlack)};
    frames[0].fill((width - w) / 2, (height - h) / 2, w, h, a);
    frames[1].fill((width - w) / 2, (height - h) / 2, w, h, b);
    return countFrames(width, height, 3.0,
                       [&](long k) -> const Frame& { return frames[long(double(k) * 2.0 * hertz / kFps) % 2]; });
}

TEST(FlashCount, FullScreenBlackWhiteAtFourHertzBreaksTheRuleAndTwoHertzKeepsToIt) {
    const FlashTally four = alternation(320, 240, 4.0, 1.0, kBlack, kWhite);
    EXPECT_EQ(four.worstGeneral().transitions, 8);
    EXPECT_FALSE(four.withinTheRule());
    const FlashTally two = alternation(320, 240, 2.0, 1.0, kBlack, kWhite);
    EXPECT_EQ(two.worstGeneral().transitions, 4);
    EXPECT_EQ(two.windowsOverTheRule(), 0);
    EXPECT_TRUE(two.withinTheRule());
}

// The rule's area is a quarter of a 10 degree field, 341 x 256 pixels of a
// 1024 x 768 screen: 21,824 pixels, 2.8 % of it, and the same share of a
// screen of any size.
TEST(FlashCount, FourHertzOverLessThanAQuarterOfAFieldKeepsToTheRuleAndOverMoreBreaksIt) {
    for (const auto& [width, height] : {std::pair{1024, 768}, std::pair{640, 480}}) {
        EXPECT_TRUE(alternation(width, height, 4.0, 0.025, kBlack, kWhite).withinTheRule()) << width;
        EXPECT_FALSE(alternation(width, height, 4.0, 0.030, kBlack, kWhite).withinTheRule()) << width;
    }
}

// Two blocks of 2 % each: within one field together they break the rule;
// far apart, no field holds more than one.
TEST(FlashCount, FlashesAddUpWithinOneFieldOnly) {
    auto twoBlocks = [](int apart) {
        Frame frames[2] = {Frame(1024, 768, kBlack), Frame(1024, 768, kBlack)};
        frames[1].fill(20, 20, 145, 109, kWhite);
        frames[1].fill(20 + apart, 20, 145, 109, kWhite);
        return countFrames(1024, 768, 2.0, [&](long k) -> const Frame& { return frames[(k / 8) % 2]; });
    };
    EXPECT_FALSE(twoBlocks(160).withinTheRule());
    EXPECT_TRUE(twoBlocks(800).withinTheRule());
}

// A checkerboard of squares a fifth of a degree (two pixels of 320 x 240)
// that swaps them four times a second: its places go up and down at once,
// so the light of the screen does not flash, but it is a harmful pattern.
TEST(FlashCount, ACheckerboardSwappingItsSquaresIsAPatternNotAFlash) {
    Frame frames[2] = {Frame(320, 240, kBlack), Frame(320, 240, kBlack)};
    for (int y = 0; y < 240; y += 2)
        for (int x = 0; x < 320; x += 2) frames[(x + y) / 2 % 2].fill(x, y, 2, 2, kWhite);
    const FlashTally swapping =
        countFrames(320, 240, 1.0, [&](long k) -> const Frame& { return frames[(k * 8 / kFps) % 2]; });
    EXPECT_EQ(swapping.windowsOverTheRule(), 0);
    EXPECT_FALSE(swapping.withinTheRule()) << "a harmful pattern";
}

// The darker state must lie below 0.8: between white and a grey of 0.85
// there is no flash, between white and one of 0.75 there is.
TEST(FlashCount, OnlyChangesWithTheDarkerStateBelowPointEightFlash) {
    const Colour grey85{237, 237, 237};
    const Colour grey75{225, 225, 225};
    EXPECT_EQ(alternation(320, 240, 4.0, 1.0, kWhite, grey85).worstGeneral().transitions, 0);
    EXPECT_EQ(alternation(320, 240, 4.0, 1.0, kWhite, grey75).worstGeneral().transitions, 8);
}

// A saturated red against a grey as bright: no general flash, but a red one.
// A pink as bright is no saturated red.
TEST(FlashCount, SaturatedRedAlternationCountsAsRed) {
    const Colour red{255, 0, 0};
    const Colour grey{127, 127, 127};
    const Colour pink{255, 150, 150};
    const Colour lightGrey{196, 196, 196};
    const FlashTally redFlashes = alternation(320, 240, 4.0, 1.0, red, grey);
    EXPECT_EQ(redFlashes.worstGeneral().transitions, 0);
    EXPECT_EQ(redFlashes.worstRed().transitions, 8);
    EXPECT_FALSE(redFlashes.withinTheRule());
    const FlashTally pinkFlashes = alternation(320, 240, 4.0, 1.0, pink, lightGrey);
    EXPECT_EQ(pinkFlashes.worstGeneral().transitions, 0);
    EXPECT_EQ(pinkFlashes.worstRed().transitions, 0);
}

// A regression: the chart's axis was sized by the general flashes alone,
// while it plots the worse of general and red, and red peaks ran up into
// the title.
TEST(FlashChart, TheAxisReachesTheRedPeaksItPlots) {
    const FlashTally red = alternation(320, 240, 10.0, 1.0, {255, 0, 0}, {127, 127, 127});
    ASSERT_EQ(red.worstGeneral().transitions, 0);
    ASSERT_EQ(red.worstRed().transitions, 20);
    const std::string svg = flashChartSvg({{"red", &red}}, builtInTiming(), "");
    // The axis's numbers, and the plotted line's heights.
    const std::string label = "text-anchor=\"end\">";
    int top = -1;
    double topY = 0.0;
    for (std::size_t at = svg.find(label); at != std::string::npos; at = svg.find(label, at + 1)) {
        const std::size_t digits = at + label.size();
        const std::string text = svg.substr(digits, svg.find("</text>", digits) - digits);
        if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) continue;
        const int v = std::stoi(text);
        if (v <= top) continue;
        top = v;
        const std::size_t y = svg.rfind(" y=\"", at);
        topY = std::stod(svg.substr(y + 4)) - 4.0;
    }
    EXPECT_GE(top, 10) << "the axis reaches 10 red flashes a second";
    const std::size_t points = svg.find("points=\"");
    ASSERT_NE(points, std::string::npos);
    std::istringstream line(svg.substr(points + 8, svg.find('"', points + 8) - points - 8));
    double highest = 1e9;
    for (double x, y; line >> x && line.get() == ',' && line >> y;) highest = std::min(highest, y);
    EXPECT_GE(highest, topY) << "the line stays under the axis's top";
}

// Still black and white stripes over the left half of the screen, across
// the rows or along them, as long as the screen or `length` pixels, shown
// for seconds; with a gap, none in frame gapFrame.
FlashTally stripes(int count, bool across, double seconds, int length = 480, long gapFrame = -1) {
    Frame frame(640, 480, kBlack);
    for (int i = 0; i < count; i += 2) {
        if (across) {
            frame.fill(i * 320 / count, 0, (i + 1) * 320 / count - i * 320 / count, length, kWhite);
        } else {
            frame.fill(0, i * 480 / count, std::min(320, length), (i + 1) * 480 / count - i * 480 / count, kWhite);
        }
    }
    const Frame none(640, 480, kBlack);
    return countFrames(640, 480, seconds, [&](long k) -> const Frame& { return k == gapFrame ? none : frame; });
}

TEST(FlashCount, TwelveStripesOverHalfTheScreenAreAHarmfulPatternAndThreeAreNot) {
    for (bool across : {true, false}) {
        const FlashTally twelve = stripes(12, across, 1.0);
        ASSERT_EQ(twelve.patternStretches().size(), 1u) << across;
        EXPECT_EQ(twelve.patternStretches()[0].frames, kFps) << across;
        EXPECT_FALSE(twelve.withinTheRule()) << across;
        EXPECT_TRUE(stripes(3, across, 1.0).patternStretches().empty()) << across;
    }
}

// Twelve strokes as short as letters are a line of text, not a grating.
TEST(FlashCount, StripesAreLongBars) {
    EXPECT_TRUE(stripes(12, true, 1.0, 60).patternStretches().empty());
    EXPECT_FALSE(stripes(12, true, 1.0, 160).patternStretches().empty());
}

// A frame without it is the count missing a moving pattern: the stretch goes on.
TEST(FlashCount, APatternIsHarmfulFromHalfASecondOnAFrameWithoutItIncluded) {
    EXPECT_TRUE(stripes(12, true, 0.49).withinTheRule());
    EXPECT_FALSE(stripes(12, true, 0.5).withinTheRule());
    const FlashTally gap = stripes(12, true, 0.5, 480, kFps / 4);
    ASSERT_EQ(gap.patternStretches().size(), 1u);
    EXPECT_FALSE(gap.withinTheRule());
}

}  // namespace
