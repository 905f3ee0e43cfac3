#include "desktop/desktop.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace desktop {

std::string programFolder(const char*) {
    // argv[0] is whatever the starter wrote (often the bare name); Windows
    // knows the file it loaded. A path longer than the buffer is cut short:
    // that is no folder, so the buffer grows until it fits.
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), DWORD(path.size()));
        if (length == 0) return "";
        if (length < path.size()) {
            std::string file(path.data(), length);
            const size_t slash = file.find_last_of("\\/");
            return slash == std::string::npos ? "" : file.substr(0, slash);
        }
        path.resize(path.size() * 2);
    }
}

void reportFailure(const char* program, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", program, message.c_str());
    std::fflush(stderr);
    // A double-clicked program's console closes when it ends: the message
    // stays in front of the person until they press OK.
    MessageBoxA(nullptr, message.c_str(), program, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

// Not tmpfile(), which makes its file at the root of the drive, where a
// user may not write. "D": deleted when closed.
std::FILE* temporaryFile() {
    char folder[MAX_PATH + 1];
    char path[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH || GetTempFileNameA(folder, "orv", 0, path) == 0) return nullptr;
    std::FILE* file = std::fopen(path, "w+bD");
    if (!file) DeleteFileA(path);
    return file;
}

}  // namespace desktop
