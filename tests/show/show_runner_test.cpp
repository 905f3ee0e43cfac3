#include "shell/show_runner.h"

#include <gtest/gtest.h>

#include "tests/show/show_test_support.h"

TEST(ShowRunner, AWaitForTheMusicsDataIsLeftOutOfTheFrameRate) {
    TestCounter counter(5000);
    ShowRunner runner;
    runner.useCounter(counter);
    runner.startClock(0.0);
    EXPECT_EQ(runner.state().startTicks, 5000);
    counter.advance(2000);
    EXPECT_EQ(runner.clockSeconds(), 2.0f);
    runner.pauseClock();
    counter.advance(60);
    runner.resumeClock(0.0, 12.5);
    // The frame rate's time starts later by the wait; the clock reads the
    // demo time the music plays on from.
    EXPECT_EQ(runner.state().startTicks, 5060);
    EXPECT_EQ(runner.state().demoTime, 12.5f);
    EXPECT_EQ(runner.clockSeconds(), 12.5f);
    counter.advance(250);
    EXPECT_EQ(runner.clockSeconds(), 12.75f);
    runner.stop();
    EXPECT_EQ(runner.state().endTicks - runner.state().startTicks, 2250) << "2 s before the wait, 0.25 s after";
}
