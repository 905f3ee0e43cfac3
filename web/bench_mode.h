#pragma once

#include <string>
#include <vector>

#include "shell/frame_schedule.h"
#include "web/web_show.h"

// The page's bench mode: the whole show at a fixed step, each frame drawn
// whole and finished, timed by segment; the report goes to the console and
// to the page.
class BenchMode {
public:
    // At fps frames a second of demo time.
    BenchMode(WebShow& show, int fps);

    // Every scene has arrived: the run starts soon after, once.
    void scenesReady();

private:
    WebShow& show_;
    FrameSchedule schedule_;
    long next_ = 0;
    // By segment (1 the first): the frames drawn and the time they took.
    std::vector<long> frames_;
    std::vector<double> milliseconds_;
    bool started_ = false;

    std::string report() const;
    // Draws frames for a while, then lets the page breathe before the next step.
    static void step(void* self);
};
