#include "desktop/desktop.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace desktop {

std::string programFolder(const char* argv0) {
    namespace fs = std::filesystem;
    std::error_code failed;
    fs::path program = fs::read_symlink("/proc/self/exe", failed);
    // Without /proc (a chroot that does not mount it), a program started by
    // a path, not found on PATH, still names its own file.
    if (failed && argv0 != nullptr && std::string(argv0).find('/') != std::string::npos) {
        failed.clear();
        program = fs::canonical(argv0, failed);
    }
    if (failed || program.empty()) return "";
    return program.parent_path().string();
}

void reportFailure(const char* program, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", program, message.c_str());
}

std::FILE* temporaryFile() { return std::tmpfile(); }

}  // namespace desktop
