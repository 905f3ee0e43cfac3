#include "tools/player/quiet_standard_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

QuietStandardOutput::QuietStandardOutput() {
    // What stdio holds back belongs before the silence.
    std::fflush(stdout);
    const int nowhere = open("/dev/null", O_WRONLY);
    if (nowhere < 0) return;
    saved_ = dup(STDOUT_FILENO);
    if (saved_ >= 0 && dup2(nowhere, STDOUT_FILENO) < 0) {
        close(saved_);
        saved_ = -1;
    }
    close(nowhere);
}

QuietStandardOutput::~QuietStandardOutput() {
    if (saved_ < 0) return;
    // What stdio holds back of the silence goes nowhere, not after it.
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
}
