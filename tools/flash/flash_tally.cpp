#include "tools/flash/flash_tally.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/flash/flash_rule.h"

FlashTally::FlashTally(const FieldGrid& grid, int fps) : grid_(grid), fps_(fps) {}

void FlashTally::add(double time, const FrameFlashes& found) {
    const int second = int(std::floor(time));
    if (seconds_.empty()) firstSecond_ = second;
    while (int(seconds_.size()) <= second - firstSecond_) seconds_.push_back(Second{});
    Second& s = seconds_.back();
    ++s.frames;
    s.transitions = std::max(s.transitions, found.generalTransitions);
    s.redTransitions = std::max(s.redTransitions, found.redTransitions);
    if (found.pattern) ++s.patternFrames;
    if (found.generalTransitions > worstGeneral_.transitions)
        worstGeneral_ = Window{found.generalTransitions, time, found.generalField};
    if (found.redTransitions > worstRed_.transitions)
        worstRed_ = Window{found.redTransitions, time, found.redField};
    if (found.generalTransitions > flash_rule::kMostTransitions || found.redTransitions > flash_rule::kMostTransitions)
        ++windowsOver_;
    times_.push_back(time);
    transitions_.push_back(std::max(found.generalTransitions, found.redTransitions));
    if (!found.pattern) return;
    // Half a frame more for the rounding of the times.
    if (stretches_.empty() || time - stretches_.back().last > kPatternGapSeconds + 0.5 / fps_)
        stretches_.push_back(Stretch{time, time, 0});
    Stretch& stretch = stretches_.back();
    stretch.last = time;
    stretch.frames = std::lround((stretch.last - stretch.begin) * fps_) + 1;
}

bool FlashTally::harmful(const Stretch& stretch) const {
    return double(stretch.frames) >= flash_rule::kPatternSeconds * fps_;
}

bool FlashTally::withinTheRule() const {
    if (windowsOver_ > 0) return false;
    for (const Stretch& s : stretches_)
        if (harmful(s)) return false;
    return true;
}

std::string flashesText(int transitions) {
    char text[32];
    std::snprintf(text, sizeof text, "%d%s", transitions / 2, transitions % 2 ? ".5" : "");
    return text;
}

std::string FlashTally::fieldPlace(int field, bool rowsBottomUp) const {
    const int left = grid_.fieldLeft(field);
    int top = grid_.fieldBottom(field);
    if (rowsBottomUp) top = grid_.height() - top - grid_.fieldHeight();
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d", left, std::max(0, top));
    return text;
}

std::string FlashTally::report(bool rowsBottomUp) const {
    std::string text = "second  general flashes  red flashes  frames with a pattern\n";
    char line[160];
    for (size_t i = 0; i < seconds_.size(); ++i) {
        const Second& s = seconds_[i];
        if (s.frames == 0) continue;
        std::snprintf(line, sizeof line, "%6d  %15s  %11s  %21ld\n", firstSecond_ + int(i),
                      flashesText(s.transitions).c_str(), flashesText(s.redTransitions).c_str(), s.patternFrames);
        text += line;
    }
    const double windowLength = 1.0 - 1.0 / fps_;
    for (const auto& [name, worst] : {std::pair<const char*, const Window&>{"general", worstGeneral_},
                                      std::pair<const char*, const Window&>{"red", worstRed_}}) {
        if (worst.transitions == 0) {
            std::snprintf(line, sizeof line, "worst window: no %s flash\n", name);
        } else {
            std::snprintf(line, sizeof line, "worst window: %s %s flashes in the frames from %.3f to %.3f s, "
                          "in the field at %s\n", flashesText(worst.transitions).c_str(), name,
                          worst.end - windowLength, worst.end, fieldPlace(worst.field, rowsBottomUp).c_str());
        }
        text += line;
    }
    std::snprintf(line, sizeof line, "one-second windows with more than %d flashes: %ld of %zu\n",
                  flash_rule::kMostFlashes, windowsOver_, times_.size());
    text += line;
    std::string harmfulStretches;
    for (const Stretch& s : stretches_) {
        if (!harmful(s)) continue;
        std::snprintf(line, sizeof line, "%s%.3f to %.3f s (%ld frames)", harmfulStretches.empty() ? "" : ", ",
                      s.begin, s.last, s.frames);
        harmfulStretches += line;
    }
    text += "harmful patterns: " + (harmfulStretches.empty() ? std::string("none") : harmfulStretches) + "\n";
    text += withinTheRule() ? "within the rule: yes\n" : "within the rule: no\n";
    return text;
}
