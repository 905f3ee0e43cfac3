#include "shell/frame_log.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

FrameLog::~FrameLog() {
    if (file_ != nullptr) std::fclose(file_);
}

bool FrameLog::openFromEnvironment(std::string* error) {
    const char* path = std::getenv("ORVEL_FRAME_LOG");
    if (path == nullptr || path[0] == '\0') return true;
    file_ = std::fopen(path, "w");
    if (file_ == nullptr) {
        *error = std::string("cannot write the frame log ") + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void FrameLog::shown(float drawnAt, float clockAt) {
    if (file_ == nullptr) return;
    const double now =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    std::fprintf(file_, "%.6f %.6f %.6f\n", now, double(drawnAt), double(clockAt));
    std::fflush(file_);
}
