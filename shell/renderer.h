#pragma once

#include "shell/framing.h"
#include "shell/scene_table.h"
#include "shell/shell_state.h"
#include "shell/timeline.h"

// The one place that issues the show's OpenGL calls. It draws into whatever
// context is current: the GLUT window of the show, or an offscreen context
// for tests, benchmarks and video.

// The fixed state, set once after the context exists. The light and the
// material are set but lighting stays off: they have no effect on the picture.
void initGraphicsState(ShellState& state);

// A new window size: the viewport is the largest 4:3 rectangle of the
// window, centred (the clear still blanks the whole window, so the bars on
// either side are black). A size of 0 changes nothing.
void reshapeView(int width, int height);

void setViewport(const Viewport& viewport);

enum class FrameResult {
    // A segment ran: the back buffer holds the new frame.
    Drawn,
    // t lies on a window bound: nothing was cleared or drawn.
    Skipped,
    // t lies past the end of the show: nothing was drawn.
    Ended,
};

// One frame of the show at time t, everything of a display call except
// the buffer swap, the clock and the exit: counts the frame, decides it and
// draws it. Leaves the matrix mode at GL_MODELVIEW.
FrameResult drawFrame(ShellState& state, const SceneTable& scenes, float t);

// Draws a frame that planFrame has decided.
void drawPlan(const FramePlan& plan, const ShellState& state, const SceneTable& scenes, float t);
