#include "shell/shell_state.h"

const std::array<MenuEntry, 4> kRenderModeMenu = {{
    {"Dot", kRenderDot},
    {"Wireframe", kRenderWireframe},
    {"Flat", kRenderFlat},
    {"Texturemap", kRenderTexturemap},
}};

void applySpecialKey(ShellState& state, int key) {
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
        recordSyncMark(state);
        break;
    default:
        break;
    }
}

bool recordSyncMark(ShellState& state) {
    if (state.syncMarkCount >= kMaxSyncMarks) return false;
    state.syncMarks[std::size_t(state.syncMarkCount)] = state.demoTime;
    ++state.syncMarkCount;
    return true;
}

void applyMenuChoice(ShellState& state, int value) {
    if (value >= kRenderDot && value <= kRenderTexturemap) state.renderMode = value;
}
