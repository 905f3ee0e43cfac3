#pragma once

#include <string>
#include <vector>

#include "shell/timing.h"
#include "tools/flash/flash_tally.h"

// One show's count, for the chart.
struct ChartShow {
    std::string name;
    const FlashTally* tally = nullptr;
};

// A stand-alone SVG picture of the flashes per second along the show, each
// frame's worst one-second window, for every show given, over the
// segments' bounds in timing, with the rule's line and, under the axis, the
// stretches of harmful patterns. caption: a line under the title.
std::string flashChartSvg(const std::vector<ChartShow>& shows, const Timing& timing, const std::string& caption);
