#include "shell/show_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

TEST(ShowRunner, AWaitForTheMusicsDataIsLeftOutOfTheFrameRate) {
    ShowRunner runner;
    runner.startClock(0.0);
    const int32_t started = runner.state().startTicks;
    runner.pauseClock();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    runner.resumeClock(0.0, 12.5);
    // The frame rate's time starts later by the wait; the clock reads the
    // demo time the music plays on from.
    EXPECT_GE(runner.state().startTicks - started, 60);
    EXPECT_EQ(runner.state().demoTime, 12.5f);
    EXPECT_GE(runner.clockSeconds(), 12.5f);
    EXPECT_LT(runner.clockSeconds(), 13.5f);
}
