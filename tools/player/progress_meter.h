#pragma once

#include <chrono>
#include <cstdio>
#include <string>

// The line on standard error that follows a capture: frame, demo time,
// frames a second and time left, rewritten in place a few times a second.
class ProgressMeter {
public:
    // totalFrames: every frame the capture draws, written or not.
    ProgressMeter(FILE* out, long totalFrames);

    // Frame k (counted from 0) at demo time t has been drawn.
    void update(long k, float t);
    // Ends the line in place, so that a message after it starts on its own line.
    void clear();

private:
    FILE* out_;
    long total_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastShown_;
    bool shown_ = false;
};

// "1:05" for 65 seconds.
std::string minutesAndSeconds(double seconds);
