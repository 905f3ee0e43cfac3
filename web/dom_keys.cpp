#include "web/dom_keys.h"

#include <utility>

#include "shell/shell_state.h"

int specialKeyOfDomKey(const std::string& key) {
    static const std::pair<const char*, int> kKeys[] = {
        {"F1", kKeyF1},           {"F2", kKeyF2},     {"PageUp", kKeyPageUp},
        {"PageDown", kKeyPageDown}, {"Home", kKeyHome}, {"End", kKeyEnd},
    };
    for (const auto& k : kKeys)
        if (key == k.first) return k.second;
    return 0;
}
