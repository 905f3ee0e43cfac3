#pragma once

#include <string>
#include <vector>

#include "tools/flash/field_grid.h"
#include "tools/flash/flash_counter.h"

// The count of a run of frames, gathered frame by frame: each one-second
// window's flashes, the worst window, and the stretches that show a
// harmful pattern.
class FlashTally {
public:
    struct Window {
        // Transitions in the window and the field that made them; the
        // window ends with the frame at time end.
        int transitions = 0;
        double end = 0.0;
        int field = 0;
    };
    // The most in the windows that end within one second of the run.
    struct Second {
        long frames = 0;
        int transitions = 0;
        int redTransitions = 0;
        long patternFrames = 0;
    };
    // Frames from the first with a pattern to the last; the count may miss
    // a moving pattern in a frame or two, so frames without one for less
    // than kPatternGapSeconds do not end a stretch.
    struct Stretch {
        double begin = 0.0;
        // The time of the last frame with a pattern.
        double last = 0.0;
        long frames = 0;
    };
    static constexpr double kPatternGapSeconds = 0.1;

    FlashTally(const FieldGrid& grid, int fps);

    // The frame shown from time on, and what the count found up to it.
    void add(double time, const FrameFlashes& found);

    int fps() const { return fps_; }
    const Window& worstGeneral() const { return worstGeneral_; }
    const Window& worstRed() const { return worstRed_; }
    // Every frame's worst window, general or red, in frame order, with its time.
    const std::vector<double>& frameTimes() const { return times_; }
    const std::vector<int>& frameTransitions() const { return transitions_; }
    // Stretches of frames with a pattern; harmful ones last kPatternSeconds or more.
    const std::vector<Stretch>& patternStretches() const { return stretches_; }
    bool harmful(const Stretch& stretch) const;
    // Windows (one ends with each frame) with more than kMostFlashes general or red flashes.
    long windowsOverTheRule() const { return windowsOver_; }
    bool withinTheRule() const;

    // The report: a line for each second with frames, then the worst windows, the harmful
    // patterns and the verdict. Fields are placed from the picture's top
    // left; rowsBottomUp says that the frames came bottom row first, as
    // OpenGL holds them.
    std::string report(bool rowsBottomUp) const;

private:
    std::string fieldPlace(int field, bool rowsBottomUp) const;

    FieldGrid grid_;
    int fps_;
    Window worstGeneral_;
    Window worstRed_;
    int firstSecond_ = 0;
    std::vector<Second> seconds_;
    std::vector<double> times_;
    std::vector<int> transitions_;
    std::vector<Stretch> stretches_;
    long windowsOver_ = 0;
};

// Transitions as flashes: two to a flash, "3.5" for seven.
std::string flashesText(int transitions);
