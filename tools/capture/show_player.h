#pragma once

#include <string>
#include <vector>

#include "offscreen/offscreen_context.h"
#include "shell/renderer.h"
#include "shell/scene_table.h"
#include "shell/shell_state.h"

// The show drawn into memory instead of a window: the same renderer, the
// same start-up state and the same projection, in an OSMesa context of the
// capture's size. Time is handed in by the caller instead of read from a clock.
class ShowPlayer {
public:
    ShowPlayer(int width, int height);

    // False when no offscreen context could be made; error() says why.
    bool ok() const { return context_.ok(); }
    const std::string& error() const { return context_.error(); }
    int width() const { return context_.width(); }
    int height() const { return context_.height(); }

    // Loads the show's scenes from the working directory, as the show does
    // before its first frame. Returns one line per scene that failed.
    std::vector<std::string> loadScenes();

    // Draws the frame at demo time t and waits until its pixels are in
    // memory. On Skipped the picture is the previous one: the show then
    // swaps in a buffer that nothing drew.
    FrameResult drawFrame(float t);

    // Plays the frame at demo time t for its effects only: the angles and
    // field of view it stores, the colour and texture matrix it leaves. It
    // is drawn into a viewport of one pixel, which leaves the rest of the
    // picture undefined until the next drawFrame that clears.
    FrameResult playFrame(float t);

    // The picture, RGBA, 4 bytes a pixel, bottom row first.
    const unsigned char* pixels() const { return context_.pixels(); }

private:
    // Declared first: the scenes' textures live in this context.
    OffscreenContext context_;
    ShellState state_;
    SceneTable scenes_;
};
