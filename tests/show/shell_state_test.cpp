#include "shell/shell_state.h"

#include <gtest/gtest.h>

#include <string>

#include "shell/shade_table.h"
#include "tests/show/show_test_support.h"

namespace {

TEST(ShellState, StartsWithTexturemapWideLensAndAutoRotation) {
    ShellState state;
    EXPECT_EQ(state.renderMode, 4);
    EXPECT_EQ(state.fieldOfView, 190.0f);
    EXPECT_EQ(state.autoRotate, -1);
    EXPECT_EQ(state.zoom, 0.0f);
    EXPECT_EQ(state.syncMarks.count, 0);
    EXPECT_EQ(state.frameCount, 0);
}

TEST(ShellState, HomeTwiceRestoresAutoRotate) {
    ShellState state;
    press(state, kKeyHome);
    EXPECT_EQ(state.autoRotate, 1) << "after one HOME";
    press(state, kKeyHome);
    EXPECT_EQ(state.autoRotate, -1) << "after two HOMEs";
}

TEST(ShellState, PageUpTwiceAndPageDownOnceLeaveZoomAtOne) {
    ShellState state;
    press(state, kKeyPageUp);
    press(state, kKeyPageUp);
    press(state, kKeyPageDown);
    EXPECT_EQ(state.zoom, 1.0f);
}

TEST(ShellState, FunctionKeysAndOtherKeysChangeNothingTheShowReads) {
    ShellState state;
    for (int key : {int(kKeyF1), int(kKeyF1), int(kKeyF2), 3, 100, 101, 108}) press(state, key);
    EXPECT_EQ(state.stepValue, 1.0f);
    EXPECT_EQ(state.zoom, 0.0f);
    EXPECT_EQ(state.autoRotate, -1);
    EXPECT_EQ(state.syncMarks.count, 0);
    EXPECT_EQ(state.renderMode, 4);
}

TEST(ShellState, EndRecordsTheDemoTimeInOrder) {
    ShellState state;
    for (float t : {1.25f, 2.5f, 7.75f}) {
        state.demoTime = t;
        press(state, kKeyEnd);
    }
    ASSERT_EQ(state.syncMarks.count, 3);
    EXPECT_EQ(state.syncMarks.times[0], 1.25f);
    EXPECT_EQ(state.syncMarks.times[1], 2.5f);
    EXPECT_EQ(state.syncMarks.times[2], 7.75f);
}

TEST(ShellState, MenuOffersTheFourModesInOrder) {
    const char* labels[4] = {"Dot", "Wireframe", "Flat", "Texturemap"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(std::string(kRenderModeMenu[size_t(i)].label), labels[i]) << "entry " << i;
        EXPECT_EQ(kRenderModeMenu[size_t(i)].value, i + 1) << "entry " << i;
    }
}

TEST(ShellState, MenuChoiceSetsTheRenderModeAndIgnoresOtherValues) {
    ShellState state;
    applyMenuChoice(state, 3);
    EXPECT_EQ(state.renderMode, 3) << "after Flat";
    for (int value : {0, 6, -1}) {
        applyMenuChoice(state, value);
        EXPECT_EQ(state.renderMode, 3) << "after value " << value;
    }
    applyMenuChoice(state, 1);
    EXPECT_EQ(state.renderMode, 1) << "after Dot";
}

TEST(ShellState, MenuCalmEntryFollowsTheModesTurnsTheCalmShowOnAndOffAndSaysWhich) {
    EXPECT_EQ(kMenuCalm, int(kRenderModeMenu.size()) + 1);
    ShellState state;
    EXPECT_STREQ(calmMenuLabel(state.calm), "Calm: off");
    applyMenuChoice(state, kMenuCalm);
    EXPECT_TRUE(state.calm);
    EXPECT_EQ(state.renderMode, kRenderTexturemap);
    EXPECT_STREQ(calmMenuLabel(state.calm), "Calm: on");
    applyMenuChoice(state, kMenuCalm);
    EXPECT_FALSE(state.calm);
}

TEST(ShadeTable, GeneratorStartsWithTheClassicDraws) {
    ShadeRandom random;
    EXPECT_EQ(random.next(), 41);
    EXPECT_EQ(random.next(), 18467);
    EXPECT_EQ(random.next(), 6334);
}

TEST(ShadeTable, FirstShadesAreFixedAndAllLieIn32To123) {
    ShadeTable table;
    fillShadeTable(table);
    EXPECT_EQ(table[0], 73);
    EXPECT_EQ(table[1], 99);
    EXPECT_EQ(table[2], 110);
    int low = 127;
    int high = -128;
    for (int8_t s : table) {
        low = std::min(low, int(s));
        high = std::max(high, int(s));
    }
    EXPECT_EQ(low, 32);
    EXPECT_EQ(high, 123);
}

TEST(ShadeTable, FaceNumbersPastTheTableWrapAround) {
    ShadeTable table;
    fillShadeTable(table);
    EXPECT_EQ(shadeOfFace(table, 23999), table[23999]);
    EXPECT_EQ(shadeOfFace(table, 24000), table[0]);
    EXPECT_EQ(shadeOfFace(table, 24002), table[2]);
    EXPECT_EQ(shadeOfFace(table, 48001), table[1]);
}

}  // namespace
