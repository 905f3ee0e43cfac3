#pragma once

#include <string>

// The show's special key (shell/shell_state.h) of a browser key name
// (KeyboardEvent.key): "End", "Home", "PageUp", "PageDown", "F1", "F2". 0
// for any other key.
int specialKeyOfDomKey(const std::string& key);

// KeyboardEvent.key of the key that ends the show.
constexpr const char* kDomEscapeKey = "Escape";
