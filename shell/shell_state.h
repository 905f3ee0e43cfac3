#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "geometry/vector_math.h"
#include "shell/shade_table.h"
#include "shell/sync_marks.h"

// Drawing modes of the opening segment, chosen from the pop-up menu.
enum RenderMode : int32_t {
    kRenderDot = 1,
    kRenderWireframe = 2,
    kRenderFlat = 3,
    kRenderTexturemap = 4,
};

// GLUT's special-key codes, repeated here so that the key handling can be
// tested without GLUT.
enum SpecialKey : int {
    kKeyF1 = 1,
    kKeyF2 = 2,
    kKeyPageUp = 104,
    kKeyPageDown = 105,
    kKeyHome = 106,
    kKeyEnd = 107,
};

constexpr unsigned char kKeyEscape = 27;

struct MenuEntry {
    const char* label;
    int value;
};

// The pop-up menu, in the order shown.
extern const std::array<MenuEntry, 4> kRenderModeMenu;

// The menu's last entry, after the render modes: it turns the calm show
// (shell/calm.h) on and off, and its label says which it is.
constexpr int kMenuCalm = 5;
const char* calmMenuLabel(bool calm);

// The current colour that a frame leaves for the next. Every colour the show
// sets is a grey: a level from glColor3f, or in the outlines a signed byte
// shade from glColor3b, which OpenGL turns into a level its own way.
struct CurrentGrey {
    bool isShade = false;
    float level = 1.0f;
    int8_t shade = 0;
};

// The texture matrix that a frame leaves for the next: the identity, or a
// translation.
struct TextureMatrix {
    bool translated = false;
    Vec3 translation;
};

// Everything the show remembers between frames and callbacks. What the
// drawing leaves in OpenGL for the next frame is kept here too, as plain
// values, so that the state before any frame can be reached without
// drawing the frames before it.
struct ShellState {
    int32_t renderMode = kRenderTexturemap;
    // The calm show (shell/calm.h), chosen on the command line, on the
    // page's first screen or from the menu.
    bool calm = false;
    // Starts above 180 on purpose: the opening segment keeps the value it
    // finds, and its first seconds are drawn with this very wide lens.
    float fieldOfView = 190.0f;
    // -1: the opening segment turns the scene with time; 1: it stays put.
    int32_t autoRotate = -1;
    float rotationX = 0.0f;
    float rotationY = 0.0f;
    float rotationZ = 0.0f;
    float zoom = 0.0f;
    // Moved by F1 and F2; nothing reads it.
    float stepValue = 0.0f;
    float demoTime = 0.0f;
    int32_t startTicks = 0;
    int32_t endTicks = 0;
    int32_t frameCount = 0;
    SyncMarks syncMarks;
    ShadeTable shadeTable = {};
    // White from the fixed state set at start-up.
    CurrentGrey colour;
    TextureMatrix textureMatrix;
};

// The effect of a GLUT special key; other keys change nothing. END marks
// the demo time, within a show that ends at showEnd.
void applySpecialKey(ShellState& state, int key, double showEnd);

// A menu choice from 1 to 4 becomes the render mode; kMenuCalm turns the
// calm show on or off; others are ignored.
void applyMenuChoice(ShellState& state, int value);
