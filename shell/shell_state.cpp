#include "shell/shell_state.h"

const std::array<MenuEntry, 4> kRenderModeMenu = {{
    {"Dot", kRenderDot},
    {"Wireframe", kRenderWireframe},
    {"Flat", kRenderFlat},
    {"Texturemap", kRenderTexturemap},
}};

const char* calmMenuLabel(bool calm) { return calm ? "Calm: on" : "Calm: off"; }

void applySpecialKey(ShellState& state, int key, double showEnd) {
    switch (key) {
    case kKeyF1:
        state.stepValue += 1.0f;
        break;
    case kKeyF2:
        state.stepValue -= 1.0f;
        break;
    case kKeyPageUp:
        state.zoom += 1.0f;
        break;
    case kKeyPageDown:
        state.zoom -= 1.0f;
        break;
    case kKeyHome:
        state.autoRotate = -state.autoRotate;
        break;
    case kKeyEnd:
        addSyncMark(state.syncMarks, state.demoTime, showEnd);
        break;
    default:
        break;
    }
}

void applyMenuChoice(ShellState& state, int value) {
    if (value >= kRenderDot && value <= kRenderTexturemap) state.renderMode = value;
    if (value == kMenuCalm) state.calm = !state.calm;
}
