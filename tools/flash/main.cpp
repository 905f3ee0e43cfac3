// flash-count: plays the show offscreen as orvel-capture does and counts,
// frame by frame and place by place, its flashes and its harmful patterns
// against the general flash and red flash rule (tools/flash/flash_rule.h).
// It prints the worst one-second window of every second, the worst of all
// and the stretches with a harmful pattern; with --chart it counts the
// ordinary and the calm show and draws both in one picture.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "shell/frame_schedule.h"
#include "shell/framing.h"
#include "shell/plain_number.h"
#include "shell/program_start.h"
#include "shell/timeline.h"
#include "shell/timing.h"
#include "tools/player/progress_meter.h"
#include "tools/player/quiet_standard_output.h"
#include "tools/player/show_player.h"
#include "tools/flash/flash_chart.h"
#include "tools/flash/flash_counter.h"
#include "tools/flash/flash_tally.h"

namespace {

const char* const kUsage =
    "usage: flash-count [--version] [--calm] [--fps N] [--size WxH] [--from T0] [--to T1] [--segments LIST]\n"
    "                   [--timing FILE] [--chart OUT.svg]\n"
    "Counts the show's flashes and harmful patterns; exits with 0 when it keeps to the rule, 3 when it does not.\n"
    "--segments counts only the frames of those segments (1,4-9, say), each run of them on its own.\n"
    "--chart counts the ordinary and the calm show, draws both into OUT.svg and exits with 3 when the calm\n"
    "one breaks the rule.";

// The exit code of a show that breaks the rule: not a failure of the count.
constexpr int kOverTheRule = 3;
constexpr long kMaxSide = 1 << 20;
constexpr long kMaxFps = 1000;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

struct Options {
    bool calm = false;
    int fps = kFrameGridFps;
    int width = kPictureWidth;
    int height = kPictureHeight;
    double from = 0.0;
    double to = -1.0;
    // Which segments are counted, by number; all of them unless told.
    std::vector<bool> segments = std::vector<bool>(kSegmentCount + 1, true);
    std::string segmentsText;
    std::string timingPath;
    std::string chartPath;
};

// "1,4-9": segments and runs of them, each from 1 to the last.
bool parseSegments(const std::string& text, std::vector<bool>* segments) {
    std::vector<bool> chosen(kSegmentCount + 1, false);
    size_t at = 0;
    while (at <= text.size()) {
        const size_t comma = std::min(text.find(',', at), text.size());
        const std::string item = text.substr(at, comma - at);
        const size_t dash = item.find('-');
        long first = 0;
        long last = 0;
        if (!parseWholeNumber(item.substr(0, dash), 1, kSegmentCount, &first)) return false;
        last = first;
        if (dash != std::string::npos && !parseWholeNumber(item.substr(dash + 1), first, kSegmentCount, &last))
            return false;
        for (long s = first; s <= last; ++s) chosen[size_t(s)] = true;
        at = comma + 1;
    }
    *segments = chosen;
    return true;
}

const char* const kProgram = "flash-count";


// Empty when the arguments are understood; else what is wrong. *help for --help.
std::string parseOptions(int argc, char** argv, Options* options, bool* help) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            *help = true;
            return "";
        }
        if (name == "--calm") {
            options->calm = true;
            continue;
        }
        if (name != "--fps" && name != "--size" && name != "--from" && name != "--to" && name != "--segments" &&
            name != "--timing" && name != "--chart")
            return "unknown option " + name;
        if (i + 1 >= argc) return name + " needs a value";
        const std::string value = argv[++i];
        bool good = true;
        if (name == "--fps") {
            long fps = 0;
            good = parseWholeNumber(value, 1, kMaxFps, &fps);
            options->fps = int(fps);
        } else if (name == "--size") {
            good = parseFrameSize(value, kMaxSide, &options->width, &options->height);
        } else if (name == "--from") {
            good = parsePlainDecimal(value, &options->from);
        } else if (name == "--to") {
            good = parsePlainDecimal(value, &options->to);
        } else if (name == "--segments") {
            good = parseSegments(value, &options->segments);
            options->segmentsText = value;
        } else {
            good = !value.empty();
            (name == "--timing" ? options->timingPath : options->chartPath) = value;
        }
        if (!good) return "bad value for " + name + ": '" + value + "'";
    }
    if (options->to >= 0.0 && options->to < options->from) return "--to comes before --from";
    return "";
}

struct Count {
    std::unique_ptr<FieldGrid> grid;
    std::unique_ptr<FlashTally> tally;
    double drawSeconds = 0.0;
    double countSeconds = 0.0;
    long frames = 0;
};

// Whether the frame at time t shows a chosen segment: a frame on a bound
// shows the picture of the segment before it, and starts the next.
bool chosen(const Options& options, const Timing& timing, float t) {
    for (int s = 1; s <= kSegmentCount; ++s) {
        const double start = s == 1 ? -1.0 : timing.segmentStart(s);
        if (options.segments[size_t(s)] && start <= t && t <= timing.segmentEnd(s)) return true;
    }
    return false;
}

// Plays the show (calm or not) and counts the frames that the schedule
// writes of the chosen segments; each run of them starts a count of its
// own. Empty when it could; else why not.
std::string countShow(const Options& options, bool calm, const Timing& timing, const FrameSchedule& schedule,
                      Count* count) {
    ShowPlayer player(options.width, options.height);
    if (!player.ok()) return player.error();
    player.setTiming(timing);
    player.setCalm(calm);
    std::vector<std::string> failures;
    {
        // The loader's progress lines would come before the report on
        // standard output: they go nowhere.
        const QuietStandardOutput quiet;
        failures = player.start();
    }
    for (const std::string& f : failures) std::fprintf(stderr, "flash-count: cannot load %s\n", f.c_str());
    if (failures.size() == size_t(kSceneCount)) return "no scene could be loaded from the data folder";
    count->grid = std::make_unique<FieldGrid>(options.width, options.height);
    count->tally = std::make_unique<FlashTally>(*count->grid, options.fps);
    std::unique_ptr<FlashCounter> counter;
    auto counted = [&](long k) { return schedule.written(k) && chosen(options, timing, schedule.time(k)); };
    ProgressMeter progress(stderr, schedule.endFrame());
    Clock::time_point step = Clock::now();
    for (long k = player.playUntilPictures(schedule); k < schedule.endFrame(); ++k) {
        const float t = schedule.time(k);
        step = Clock::now();
        // A counted frame on a bound shows the picture before it.
        const FrameResult result = counted(k) || counted(k + 1) ? player.drawFrame(t) : player.playFrame(t);
        count->drawSeconds += secondsSince(step);
        if (result == FrameResult::Ended) break;
        if (!counted(k)) {
            counter.reset();
            continue;
        }
        step = Clock::now();
        if (!counter) counter = std::make_unique<FlashCounter>(options.width, options.height, options.fps);
        count->tally->add(double(k) / options.fps, counter->addFrame(player.pixels()));
        count->countSeconds += secondsSince(step);
        ++count->frames;
        progress.update(k, t);
    }
    progress.clear();
    return "";
}

const char* showName(bool calm) { return calm ? "the calm show" : "the ordinary show"; }

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--version") {
        printVersion(kProgram);
        return 0;
    }
    Options options;
    bool help = false;
    const std::string error = parseOptions(argc, argv, &options, &help);
    if (help) {
        std::printf("%s\n", kUsage);
        return 0;
    }
    if (!error.empty()) return usageError(kProgram, kUsage, error);
    int largestWidth = 0;
    int largestHeight = 0;
    std::string why;
    if (!OffscreenContext::largestSize(&largestWidth, &largestHeight, &why)) return failure(kProgram, why);
    if (options.width > largestWidth || options.height > largestHeight)
        return usageError(kProgram, kUsage,
                          "--size is larger than OSMesa's largest buffer of " + std::to_string(largestWidth) + "x" +
                              std::to_string(largestHeight));
    why = findData(startedDirectory(), kProgram, argv[0],
                   {{"--chart", &options.chartPath}, {"--timing", &options.timingPath}});
    if (!why.empty()) return failure(kProgram, why);
    const TimingRead timing = loadShowTiming(options.timingPath);
    if (!timing.ok) return failure(kProgram, timing.error);
    why = pastTheEnd("--from", options.from, timing.timing);
    if (!why.empty()) return usageError(kProgram, kUsage, why);
    const FrameSchedule schedule(timing.timing, options.fps, options.from, options.to);
    if (schedule.writtenCount() == 0)
        return usageError(kProgram, kUsage, "no frame of the show lies between --from and --to");

    const bool chart = !options.chartPath.empty();
    std::vector<bool> shows = chart ? std::vector<bool>{false, true} : std::vector<bool>{options.calm};
    std::vector<Count> counts(shows.size());
    bool within = true;
    for (size_t i = 0; i < shows.size(); ++i) {
        why = countShow(options, shows[i], timing.timing, schedule, &counts[i]);
        if (!why.empty()) return failure(kProgram, why);
        if (counts[i].frames == 0)
            return usageError(kProgram, kUsage, "no frame of the segments chosen lies between --from and --to");
        const FieldGrid& grid = *counts[i].grid;
        const std::string which = options.segmentsText.empty() ? "" : ", segments " + options.segmentsText;
        std::printf("flash-count: %s, %dx%d at %d frames a second, %.3f to %.3f s%s; fields of %dx%d pixels in "
                    "blocks of %d, counted over more than %ld pixels of one\n",
                    showName(shows[i]), options.width, options.height, options.fps,
                    double(schedule.firstWritten()) / options.fps, double(schedule.endFrame() - 1) / options.fps,
                    which.c_str(), grid.fieldWidth(), grid.fieldHeight(), grid.blockSize(), grid.areaLimit());
        std::printf("%s", counts[i].tally->report(true).c_str());
        std::fprintf(stderr, "flash-count: %s: drew %ld frames at %.1f frames/s, counted them at %.1f frames/s\n",
                     showName(shows[i]), counts[i].frames, counts[i].frames / counts[i].drawSeconds,
                     counts[i].frames / counts[i].countSeconds);
        // Beside the calm show on the chart, the ordinary one is counted, not judged.
        const bool judged = !chart || shows[i];
        if (judged) within = within && counts[i].tally->withinTheRule();
    }
    if (!chart) return within ? 0 : kOverTheRule;

    std::vector<ChartShow> chartShows;
    for (size_t i = 0; i < shows.size(); ++i) chartShows.push_back({showName(shows[i]), counts[i].tally.get()});
    char caption[160];
    std::snprintf(caption, sizeof caption,
                  "each frame's worst second, general or red, %dx%d at %d frames a second, "
                  "counted by build/flash-count",
                  options.width, options.height, options.fps);
    std::ofstream file(options.chartPath);
    file << flashChartSvg(chartShows, timing.timing, caption);
    file.close();
    if (!file) return failure(kProgram, "cannot write " + options.chartPath);
    return within ? 0 : kOverTheRule;
}
