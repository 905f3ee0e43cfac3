// orvel-capture: plays the show offscreen with a fixed step instead of the
// clock, and writes its frames as PNG pictures or as an MP4 video with the
// music. No display and no sound card needed. It finds the show's data as
// the show does (shell/program_start.h); relative output paths are taken
// from the directory it was started in.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "shell/program_start.h"
#include "shell/timing.h"
#include "tools/capture/capture_options.h"
#include "shell/frame_schedule.h"
#include "tools/capture/png_file.h"
#include "tools/player/progress_meter.h"
#include "tools/player/show_player.h"
#include "tools/capture/video_encoder.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

const char* const kProgram = "orvel-capture";

std::string frameFileName(const std::string& dir, long index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%05ld.png", index);
    return dir + "/" + name;
}

// Drawing (until the pixels are in memory), waiting for their averaging
// when supersampling (it runs beside the drawing of the next frame),
// reading them back (turned upright for a PNG file; a video
// takes them straight from memory, ffmpeg turns them) and encoding (PNG
// compression, or waiting for ffmpeg) are timed apart.
struct Timings {
    double load = 0.0;
    double render = 0.0;
    double average = 0.0;
    double readBack = 0.0;
    double encode = 0.0;
};

// Empty when the directory is there or could be made; else why not.
std::string makeDirectory(const std::string& dir) {
    std::error_code made;
    std::filesystem::create_directories(dir, made);
    if (!made && std::filesystem::is_directory(dir)) return "";
    return "cannot make the directory " + dir + (made ? ": " + made.message() : ": a file of that name is in the way");
}

// Starts ffmpeg for the frames the schedule writes, with the timing's music
// from the first of them when it is here.
bool startVideo(VideoEncoder& encoder, const CaptureOptions& options, const FrameSchedule& schedule,
                const Timing& timing, std::string* error) {
    VideoEncoder::Settings settings;
    settings.outputPath = options.videoPath;
    settings.width = options.width;
    settings.height = options.height;
    settings.fps = options.fps;
    if (access(timing.music.c_str(), R_OK) == 0) {
        settings.musicPath = timing.music;
    } else {
        std::fprintf(stderr, "orvel-capture: warning: no \"%s\" here, the video has no sound\n", timing.music.c_str());
    }
    settings.musicStart = double(schedule.firstWritten()) / options.fps;
    settings.duration = double(schedule.writtenCount()) / options.fps;
    return encoder.start(settings, error);
}

// Writes one picture to the encoder or, as the next PNG file, to the directory.
bool writePicture(const unsigned char* pixels, const ShowPlayer& player, const CaptureOptions& options,
                  VideoEncoder* encoder, Timings& timings, long& written, std::string* error) {
    if (encoder) {
        if (!encoder->writeFrame(pixels, error)) return false;
    } else {
        Clock::time_point step = Clock::now();
        const RgbPicture picture = uprightRgb(pixels, player.width(), player.height());
        timings.readBack += secondsSince(step);
        step = Clock::now();
        if (!writePng(frameFileName(options.pngDir, written), picture, error)) {
            *error = "cannot write " + *error;
            return false;
        }
        timings.encode += secondsSince(step);
    }
    ++written;
    return true;
}

// Plays every frame of the schedule, draws those that need a picture and
// writes those it asks for, to PNG files or to the encoder. Counts what it wrote in written. A supersampled
// frame is averaged while the next one is drawn, so its picture is written
// after that drawing.
bool captureFrames(ShowPlayer& player, const FrameSchedule& schedule, const CaptureOptions& options,
                   VideoEncoder* encoder, ProgressMeter& progress, Timings& timings, long& written,
                   std::string* error) {
    written = 0;
    bool waiting = false;
    const double waitedBefore = player.averageWaitSeconds();
    Clock::time_point step = Clock::now();
    const long firstDrawn = player.playUntilPictures(schedule);
    timings.render += secondsSince(step);
    for (long k = firstDrawn; k < schedule.endFrame(); ++k) {
        const float t = schedule.time(k);
        step = Clock::now();
        const FrameResult result = player.drawFrame(t);
        timings.render += secondsSince(step);
        if (result == FrameResult::Ended) break;
        if (waiting && !writePicture(player.previousPixels(), player, options, encoder, timings, written, error))
            return false;
        waiting = false;
        // On a window bound nothing is drawn and the previous picture
        // stays: the show then swaps in a buffer it did not draw.
        if (schedule.written(k)) {
            if (player.averagesBeside()) {
                waiting = true;
            } else if (!writePicture(player.pixels(), player, options, encoder, timings, written, error)) {
                return false;
            }
        }
        progress.update(k, t);
    }
    // The waits for averaging in the drawing are counted apart from it.
    timings.render -= player.averageWaitSeconds() - waitedBefore;
    if (waiting && !writePicture(player.pixels(), player, options, encoder, timings, written, error)) return false;
    timings.average = player.averageWaitSeconds() - waitedBefore;
    return true;
}

void printTotals(const CaptureOptions& options, const FrameSchedule& schedule, long written, const Timings& timings,
                 double loopSeconds, double total, const VideoEncoder* encoder) {
    const long first = schedule.firstWritten();
    const double shown = double(written) / options.fps;
    std::fprintf(stderr,
                 "orvel-capture: wrote %ld frames (%.2f to %.2f s) to %s in %.1f s, %.2f times real time; "
                 "drew %ld frames at %.1f frames/s; load %.1f s, render %.1f s, average %.1f s, read back %.1f s, "
                 "encode %.1f s",
                 written, double(first) / options.fps, double(first + written - 1) / options.fps,
                 encoder ? options.videoPath.c_str() : options.pngDir.c_str(), total, shown / total,
                 schedule.endFrame(), double(schedule.endFrame()) / loopSeconds, timings.load, timings.render,
                 timings.average, timings.readBack, timings.encode);
    if (encoder)
        std::fprintf(stderr, " (waiting for ffmpeg, which used %.1f s of processor time)",
                     encoder->encoderCpuSeconds());
    std::fprintf(stderr, "\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--version") {
        printVersion(kProgram);
        return 0;
    }
    const Clock::time_point begin = Clock::now();
    CaptureOptions options;
    std::string error;
    switch (parseCaptureOptions(argc - 1, argv + 1, &options, &error)) {
    case ParseResult::Help:
        std::printf("%s\n", kCaptureUsage);
        return 0;
    case ParseResult::Usage:
        return usageError(kProgram, kCaptureUsage, error);
    case ParseResult::Ok:
        break;
    }
    int largestWidth = 0;
    int largestHeight = 0;
    if (!OffscreenContext::largestSize(&largestWidth, &largestHeight, &error)) return failure(kProgram, error);
    error = checkDrawingSize(options, largestWidth, largestHeight);
    if (!error.empty()) return usageError(kProgram, kCaptureUsage, error);

    error = findData(startedDirectory(), kProgram, argv[0],
                     {{"--png", &options.pngDir}, {"--video", &options.videoPath}, {"--timing", &options.timingPath}});
    if (!error.empty()) return failure(kProgram, error);
    const TimingRead timing = loadShowTiming(options.timingPath);
    if (!timing.ok) return failure(kProgram, timing.error);
    const FrameSchedule schedule = captureSchedule(options, timing.timing, &error);
    if (!error.empty()) return usageError(kProgram, kCaptureUsage, error);

    const bool video = !options.videoPath.empty();
    if (!video) {
        error = makeDirectory(options.pngDir);
        if (!error.empty()) return failure(kProgram, error);
    }

    ShowPlayer player(options.width, options.height, options.supersample);
    if (!player.ok()) return failure(kProgram, player.error());
    player.setTiming(timing.timing);
    player.setCalm(options.calm);
    Timings timings;
    const Clock::time_point loadBegin = Clock::now();
    const std::vector<std::string> failures = player.start();
    timings.load = secondsSince(loadBegin);
    // A scene that the timing names and that cannot be drawn is refused, not
    // captured as a black segment.
    if (!player.segmentSceneFailures().empty())
        return failure(kProgram, "cannot load " + player.segmentSceneFailures().front());
    for (const std::string& f : failures) std::fprintf(stderr, "orvel-capture: cannot load %s\n", f.c_str());
    if (failures.size() == size_t(kSceneCount))
        return failure(kProgram, "no scene could be loaded from the data folder");

    VideoEncoder encoder;
    if (video && !startVideo(encoder, options, schedule, timing.timing, &error)) return failure(kProgram, error);

    ProgressMeter progress(stderr, schedule.endFrame());
    // A failure's line replaces the progress line.
    auto stopped = [&progress](const std::string& message) {
        progress.clear();
        return failure(kProgram, message);
    };
    const Clock::time_point loopBegin = Clock::now();
    long written = 0;
    if (!captureFrames(player, schedule, options, video ? &encoder : nullptr, progress, timings, written, &error))
        return stopped(error);
    if (written != schedule.writtenCount())
        return stopped("the show ended after " + std::to_string(written) + " of " +
                       std::to_string(schedule.writtenCount()) + " frames");
    if (video) {
        if (!encoder.finish(written, &error)) return stopped(error);
        timings.encode = encoder.waitSeconds();
    }
    progress.clear();
    printTotals(options, schedule, written, timings, secondsSince(loopBegin), secondsSince(begin),
                video ? &encoder : nullptr);
    return 0;
}
