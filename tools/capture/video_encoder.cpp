#include "tools/capture/video_encoder.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

extern char** environ;

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

// Starts argv[0] from the PATH with standard input or output (or neither)
// on the given pipe end. Returns the process id, or -1 with error set.
pid_t spawn(const std::vector<std::string>& args, int stdinFd, int stdoutFd, std::string* error) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdinFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdinFd, STDIN_FILENO);
    if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    pid_t pid = -1;
    const int failure = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0) {
        *error = "cannot run " + args[0] + ": " + std::strerror(failure);
        return -1;
    }
    return pid;
}

// Waits for pid; true when it exited with 0. Adds its processor time to cpuSeconds.
bool waitForExit(pid_t pid, const std::string& name, double* cpuSeconds, std::string* error) {
    int status = 0;
    rusage usage{};
    pid_t done;
    do {
        done = wait4(pid, &status, 0, &usage);
    } while (done < 0 && errno == EINTR);
    if (done < 0) {
        *error = "cannot wait for " + name + ": " + std::strerror(errno);
        return false;
    }
    if (cpuSeconds) {
        *cpuSeconds += double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) * 1e-6 +
                       double(usage.ru_stime.tv_sec) + double(usage.ru_stime.tv_usec) * 1e-6;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    if (WIFEXITED(status))
        *error = name + " failed with exit code " + std::to_string(WEXITSTATUS(status));
    else
        *error = name + " was killed by signal " + std::to_string(WTERMSIG(status));
    return false;
}

}  // namespace

bool runForOutput(const char* const* argv, std::string* output, std::string* error) {
    std::vector<std::string> args;
    for (const char* const* a = argv; *a; ++a) args.push_back(*a);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        *error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    const pid_t pid = spawn(args, -1, fds[1], error);
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return false;
    }
    output->clear();
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n > 0) {
            output->append(buffer, size_t(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    close(fds[0]);
    return waitForExit(pid, args[0], nullptr, error);
}

VideoEncoder::~VideoEncoder() { abandon(); }

bool VideoEncoder::start(const Settings& settings, std::string* error) {
    // A stopped ffmpeg must show as a failed write, not end this process.
    signal(SIGPIPE, SIG_IGN);
    settings_ = settings;
    frameBytes_ = size_t(settings.width) * size_t(settings.height) * 4;
    temporaryPath_ = settings.outputPath + ".partial";

    // Find out now, not after minutes of rendering, that the place is writable.
    const int probe = open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (probe < 0) {
        *error = "cannot write " + settings.outputPath + ": " + std::strerror(errno);
        return false;
    }
    close(probe);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        *error = std::string("cannot make a pipe: ") + std::strerror(errno);
        unlink(temporaryPath_.c_str());
        return false;
    }
    // A frame is a megabyte or more: a pipe that holds one lets the next
    // frame be drawn while ffmpeg is still reading this one.
    fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);

    const std::string size = std::to_string(settings.width) + "x" + std::to_string(settings.height);
    std::vector<std::string> args = {
        "ffmpeg", "-hide_banner", "-loglevel", "error", "-nostats", "-y",
        "-f", "rawvideo", "-pix_fmt", "rgba", "-video_size", size, "-framerate", std::to_string(settings.fps),
        "-i", "pipe:0",
    };
    const bool music = !settings.musicPath.empty();
    if (music) {
        // Demo time 0 is the start of the music.
        args.insert(args.end(), {"-ss", number(settings.musicStart), "-t", number(settings.duration),
                                 "-i", settings.musicPath});
    }
    args.insert(args.end(), {"-map", "0:v:0"});
    if (music) args.insert(args.end(), {"-map", "1:a:0"});
    // OpenGL's rows come bottom first; ffmpeg turns them on its own threads.
    // The encoder shares two cores with the renderer: superfast takes 30 %
    // less processor time than veryfast for a file 12 % larger.
    args.insert(args.end(), {"-vf", "vflip", "-c:v", "libx264", "-preset", "superfast", "-crf", "23",
                             "-pix_fmt", "yuv420p"});
    if (music) args.insert(args.end(), {"-c:a", "aac", "-b:a", "192k"});
    args.insert(args.end(), {"-movflags", "+faststart", "-f", "mp4", temporaryPath_});

    child_ = spawn(args, fds[0], -1, error);
    close(fds[0]);
    if (child_ < 0) {
        close(fds[1]);
        unlink(temporaryPath_.c_str());
        return false;
    }
    pipe_ = fds[1];
    return true;
}

bool VideoEncoder::writeFrame(const unsigned char* rgbaBottomUp, std::string* error) {
    const auto begin = std::chrono::steady_clock::now();
    size_t sent = 0;
    while (sent < frameBytes_) {
        const ssize_t n = write(pipe_, rgbaBottomUp + sent, frameBytes_ - sent);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int writeErrno = errno;
            waitSeconds_ += secondsSince(begin);
            std::string why;
            if (!reap(&why)) {
                *error = why;
            } else {
                *error = std::string("ffmpeg stopped reading frames: ") + std::strerror(writeErrno);
            }
            abandon();
            return false;
        }
        sent += size_t(n);
    }
    waitSeconds_ += secondsSince(begin);
    return true;
}

bool VideoEncoder::reap(std::string* error) {
    if (pipe_ >= 0) {
        close(pipe_);
        pipe_ = -1;
    }
    if (child_ < 0) return true;
    const pid_t pid = child_;
    child_ = -1;
    return waitForExit(pid, "ffmpeg", &encoderCpuSeconds_, error);
}

bool VideoEncoder::finish(long expectedFrames, std::string* error) {
    const auto begin = std::chrono::steady_clock::now();
    const bool exited = reap(error);
    waitSeconds_ += secondsSince(begin);
    if (!exited) {
        abandon();
        return false;
    }

    // Count what the container holds: the frames ffmpeg actually wrote.
    const char* const probe[] = {"ffprobe", "-v", "error", "-show_entries", "stream=codec_type,nb_frames",
                                 "-of", "csv=p=0", temporaryPath_.c_str(), nullptr};
    std::string streams;
    if (!runForOutput(probe, &streams, error)) {
        *error = "cannot check the video ffmpeg wrote: " + *error;
        abandon();
        return false;
    }
    long videoFrames = -1;
    bool audio = false;
    std::istringstream lines(streams);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, 6, "video,") == 0) videoFrames = std::atol(line.c_str() + 6);
        if (line.compare(0, 6, "audio,") == 0) audio = true;
    }
    if (videoFrames != expectedFrames) {
        *error = "ffmpeg wrote " + std::to_string(videoFrames < 0 ? 0 : videoFrames) + " video frames, not " +
                 std::to_string(expectedFrames);
        abandon();
        return false;
    }
    if (!settings_.musicPath.empty() && !audio) {
        *error = "ffmpeg wrote no sound track";
        abandon();
        return false;
    }
    if (std::rename(temporaryPath_.c_str(), settings_.outputPath.c_str()) != 0) {
        *error = "cannot write " + settings_.outputPath + ": " + std::strerror(errno);
        abandon();
        return false;
    }
    temporaryPath_.clear();
    return true;
}

// After a failure: stops ffmpeg if it still runs and removes its file.
void VideoEncoder::abandon() {
    if (pipe_ >= 0) {
        close(pipe_);
        pipe_ = -1;
    }
    if (child_ >= 0) {
        kill(child_, SIGTERM);
        std::string ignored;
        waitForExit(child_, "ffmpeg", &encoderCpuSeconds_, &ignored);
        child_ = -1;
    }
    if (!temporaryPath_.empty()) {
        unlink(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
}
