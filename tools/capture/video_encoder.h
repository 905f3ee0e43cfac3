#pragma once

#include <sys/types.h>

#include <string>

// An H.264 MP4 made by ffmpeg, fed raw frames through a pipe. The file
// appears under its name only when ffmpeg has written every frame; until
// then ffmpeg writes a temporary file beside it, so that a failed capture
// leaves an earlier video of the same name alone.
class VideoEncoder {
public:
    struct Settings {
        std::string outputPath;
        int width = 0;
        int height = 0;
        int fps = 30;
        // Empty: a video without sound.
        std::string musicPath;
        // Where in the music the first frame lies, and how long the video is.
        double musicStart = 0.0;
        double duration = 0.0;
    };

    VideoEncoder() = default;
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // Starts ffmpeg. False when the output cannot be created or ffmpeg cannot
    // run. Ignores SIGPIPE from then on, so that an ffmpeg that stopped
    // shows as a failed write.
    bool start(const Settings& settings, std::string* error);

    // Sends one picture, RGBA, bottom row first (ffmpeg turns it upright).
    bool writeFrame(const unsigned char* rgbaBottomUp, std::string* error);

    // Ends the input, waits for ffmpeg, and checks the file it wrote: it must
    // hold expectedFrames video frames (and a sound track when music was
    // given), since ffmpeg also succeeds on an input cut short.
    bool finish(long expectedFrames, std::string* error);

    // Seconds spent waiting for ffmpeg: blocked on the full pipe, then for
    // its last frames. And the processor time ffmpeg used, all its threads.
    double waitSeconds() const { return waitSeconds_; }
    double encoderCpuSeconds() const { return encoderCpuSeconds_; }

private:
    // Closes the pipe and waits for ffmpeg; false unless it exited with 0.
    bool reap(std::string* error);
    void abandon();

    Settings settings_;
    std::string temporaryPath_;
    pid_t child_ = -1;
    int pipe_ = -1;
    size_t frameBytes_ = 0;
    double waitSeconds_ = 0.0;
    double encoderCpuSeconds_ = 0.0;
};

// Runs a program found on the PATH and returns what it wrote on standard
// output. False when it could not run or did not exit with 0.
bool runForOutput(const char* const* argv, std::string* output, std::string* error);
