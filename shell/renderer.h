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

// Sets what the frames before left in OpenGL, from the plain values that
// the state keeps of it: the current colour and the texture matrix.
void restoreCarriedState(const ShellState& state);

// Draws a frame that planFrame has decided. Leaves the matrix mode at
// GL_MODELVIEW.
void drawPlan(const FramePlan& plan, const ShellState& state, const SceneTable& scenes);
