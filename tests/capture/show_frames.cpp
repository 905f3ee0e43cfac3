#include "tests/capture/show_frames.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "shell/frame_schedule.h"
#include "tools/player/show_player.h"

Pictures renderFrames(const std::set<long>& wanted, int fps, int width, int height, int supersample, bool calm) {
    Pictures pictures;
    if (wanted.empty()) return pictures;
    if (::chdir(SHOW_DATA_DIR) != 0) {
        ADD_FAILURE() << "no generated show content in " << SHOW_DATA_DIR;
        return pictures;
    }
    ShowPlayer player(width, height, supersample);
    if (!player.ok()) {
        ADD_FAILURE() << player.error();
        return pictures;
    }
    player.setCalm(calm);
    testing::internal::CaptureStdout();
    const std::vector<std::string> failures = player.start();
    testing::internal::GetCapturedStdout();
    if (!failures.empty()) {
        ADD_FAILURE() << "cannot load " << failures.front();
        return pictures;
    }
    const FrameSchedule schedule(builtInTiming(), fps, 0.0, -1.0);
    for (long k = 0; k <= *wanted.rbegin(); ++k) {
        const float t = schedule.time(k);
        // As in orvel-capture: a frame that no picture is taken of (or of
        // the next) is only played for what it leaves behind.
        if (wanted.count(k) || wanted.count(k + 1)) {
            player.drawFrame(t);
        } else {
            player.playFrame(t);
        }
        if (wanted.count(k)) pictures[k] = uprightRgb(player.pixels(), width, height);
    }
    return pictures;
}
