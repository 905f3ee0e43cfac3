#include "shell/timing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "shell/frame_schedule.h"
#include "shell/plain_number.h"
#include "shell/text_lines.h"
#include "shell/title_plans.h"
#include "titles/letters.h"

namespace {

using schedule::kSegmentCount;
using schedule::Window;

int nameIndex(TimingKind kind, int number = 0) {
    for (std::size_t i = 0; i < timingNames().size(); ++i)
        if (timingNames()[i].kind == kind && timingNames()[i].number == number) return int(i);
    return -1;
}

// The line that sets the end of segment s: the next one's start, or the end.
int endOfSegment(int segment) {
    return segment == kSegmentCount ? nameIndex(TimingKind::End) : nameIndex(TimingKind::Start, segment + 1);
}

// The fewest decimals that read back as the same number: 5, 9.6, 15.48.
std::string seconds(double t) {
    char text[64];
    for (int decimals = 0; decimals <= 17; ++decimals) {
        std::snprintf(text, sizeof text, "%.*f", decimals, t);
        if (std::strtod(text, nullptr) == t) break;
    }
    return text;
}

std::string span(double begin, double end) { return seconds(begin) + " to " + seconds(end) + " s"; }

std::string segmentSpan(const Timing& timing, int segment) {
    return "segment " + std::to_string(segment) + " (" +
           span(timing.segmentStart(segment), timing.segmentEnd(segment)) + ")";
}

// True when the window of segment s holds a frame of the grid that ?at=,
// author mode and orvel-capture step on, at the time the show hands it over.
bool holdsAFrame(const Timing& timing, int segment) {
    const double start = timing.segmentStart(segment);
    const double end = timing.segmentEnd(segment);
    long k = segment == 1 ? 0 : long(std::floor(start * kFrameGridFps));
    while (segment != 1 && double(FrameSchedule::timeOf(k, kFrameGridFps)) <= start) ++k;
    return double(FrameSchedule::timeOf(k, kFrameGridFps)) < end;
}

struct Fault {
    // Index into timingNames() of the time at fault, or the segment whose
    // words or scene line is at fault.
    int name = -1;
    std::string what;
    int wordsSegment = 0;
    int sceneSegment = 0;
};

std::string segmentName(int segment) { return "segment " + std::to_string(segment); }

Fault wordsFault(int segment, std::string what) { return {-1, std::move(what), segment, 0}; }
Fault sceneFault(int segment, std::string what) { return {-1, std::move(what), 0, segment}; }

std::string wordsFaultText(int segment, std::string_view words) {
    const std::string problem = wordsProblem(words);
    if (problem.empty()) return problem;
    return "the words \"" + std::string(words) + "\" of " + segmentName(segment) + " " + problem;
}

std::string sceneFaultText(int segment, std::string_view scene) {
    const std::string problem = fileNameProblem(scene);
    if (problem.empty()) return problem;
    return "the scene \"" + std::string(scene) + "\" of " + segmentName(segment) + " " + problem;
}

// What a segment's words or scene break, if anything.
Fault findSegmentFault(const Timing& t) {
    for (int s = 1; s <= kSegmentCount; ++s) {
        const std::string& words = t.words[std::size_t(s)];
        const std::string& scene = t.scenes[std::size_t(s)];
        if (!words.empty()) {
            if (!isTitleSegment(s))
                return wordsFault(s, "words on " + segmentName(s) +
                                         ", which draws an object: words go on a segment that flies past a title "
                                         "(2, 3, 10 to 18)");
            const std::string fault = wordsFaultText(s, words);
            if (!fault.empty()) return wordsFault(s, fault);
        }
        if (!scene.empty()) {
            const std::string fault = sceneFaultText(s, scene);
            if (!fault.empty()) return sceneFault(s, fault);
            if (!words.empty())
                return sceneFault(s, segmentName(s) + " has words and a scene: a segment takes one of the two");
        }
    }
    return {};
}

// Why music cannot be the timing's music, in words; empty when it can.
std::string musicFault(std::string_view music) {
    const std::string problem = fileNameProblem(music);
    return problem.empty() ? problem : "the music \"" + std::string(music) + "\" " + problem;
}

Fault findFault(const Timing& t) {
    // A name that would not read back as written is refused here, so that
    // no timing holding one is taken or written.
    const std::string music = musicFault(t.music);
    if (!music.empty()) return {nameIndex(TimingKind::Music), music};
    for (int s = 2; s <= kSegmentCount + 1; ++s) {
        if (t.bounds[s - 1] > t.bounds[s - 2]) continue;
        const std::string before =
            s == 2 ? "the show's start (0 s)"
                   : "segment " + std::to_string(s - 1) + "'s start (" + seconds(t.bounds[s - 2]) + " s)";
        const std::string what = s <= kSegmentCount ? "segment " + std::to_string(s) + " starts at " : "the end is at ";
        return {s <= kSegmentCount ? nameIndex(TimingKind::Start, s) : nameIndex(TimingKind::End),
                what + seconds(t.bounds[s - 1]) + " s, not after " + before};
    }
    if (t.end() > kMaxShowEnd)
        return {nameIndex(TimingKind::End),
                "the end is at " + seconds(t.end()) + " s, past the latest end, " + seconds(kMaxShowEnd) + " s"};
    for (int s = 1; s <= kSegmentCount; ++s) {
        if (holdsAFrame(t, s)) continue;
        return {endOfSegment(s), segmentSpan(t, s) + " holds no frame of a run at " + std::to_string(kFrameGridFps) +
                                     " frames a second: a segment lasts at least a frame"};
    }
    for (int f = 1; f <= kFlashCount; ++f) {
        const Window& flash = t.flashes[f - 1];
        const std::string name = "flash " + std::to_string(f);
        if (!(flash.begin < flash.end))
            return {nameIndex(TimingKind::Flash, f),
                    name + " ends at " + seconds(flash.end) + " s, not after it begins (" + seconds(flash.begin) +
                        " s)"};
        if (f > 1 && flash.begin < t.flashes[f - 2].end)
            return {nameIndex(TimingKind::Flash, f), name + " begins at " + seconds(flash.begin) + " s, before flash " +
                                                         std::to_string(f - 1) + " ends (" +
                                                         seconds(t.flashes[f - 2].end) + " s)"};
        if (flash.begin < t.segmentStart(4) || flash.end > t.segmentEnd(4))
            return {nameIndex(TimingKind::Flash, f),
                    name + " (" + span(flash.begin, flash.end) + ") is not inside " + segmentSpan(t, 4)};
    }
    if (!(t.stripes > t.segmentStart(4) && t.stripes < t.segmentEnd(4)))
        return {nameIndex(TimingKind::Stripes),
                "the stripes start at " + seconds(t.stripes) + " s, not inside " + segmentSpan(t, 4)};
    if (!(t.waves > t.stripes))
        return {nameIndex(TimingKind::Waves),
                "the waves start at " + seconds(t.waves) + " s, not after the stripes (" + seconds(t.stripes) + " s)"};
    if (!(t.waves < t.segmentEnd(4)))
        return {nameIndex(TimingKind::Waves),
                "the waves start at " + seconds(t.waves) + " s, not inside " + segmentSpan(t, 4)};
    if (!(t.pulse > t.segmentStart(5) && t.pulse < t.segmentEnd(5)))
        return {nameIndex(TimingKind::Pulse),
                "the pulse starts at " + seconds(t.pulse) + " s, not inside " + segmentSpan(t, 5)};
    return findSegmentFault(t);
}

// The segment of a "words N" or "scene N" name: N when key is prefix, a
// blank and a segment's number as formatTiming writes it; 0 when key is not
// prefix's; -1 when the number is no segment's.
int segmentOfKey(std::string_view key, std::string_view prefix) {
    if (key.substr(0, prefix.size()) != prefix || key.size() == prefix.size() || key[prefix.size()] != ' ') return 0;
    const std::string_view number = key.substr(prefix.size() + 1);
    for (int s = 1; s <= kSegmentCount; ++s)
        if (number == std::to_string(s)) return s;
    return -1;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// One or two plain decimal times, separated by blanks.
bool readTimes(std::string_view text, double* times, int count) {
    for (int i = 0; i < count; ++i) {
        text = trimmed(text);
        std::size_t end = 0;
        while (end < text.size() && !isBlank(text[end])) ++end;
        if (end == 0 || !parsePlainDecimal(std::string(text.substr(0, end)), &times[i])) return false;
        text.remove_prefix(end);
    }
    return trimmed(text).empty();
}

// Sets a name's value in timing; false when the value is not one.
bool setValue(Timing& timing, const TimingName& name, std::string_view value) {
    switch (name.kind) {
    case TimingKind::Music:
        if (!fileNameProblem(value).empty()) return false;
        timing.music = std::string(value);
        return true;
    case TimingKind::Start:
        return readTimes(value, &timing.bounds[name.number - 1], 1);
    case TimingKind::End:
        return readTimes(value, &timing.bounds[kSegmentCount], 1);
    case TimingKind::Flash: {
        double window[2] = {};
        if (!readTimes(value, window, 2)) return false;
        timing.flashes[name.number - 1] = Window{window[0], window[1]};
        return true;
    }
    case TimingKind::Stripes:
        return readTimes(value, &timing.stripes, 1);
    case TimingKind::Waves:
        return readTimes(value, &timing.waves, 1);
    case TimingKind::Pulse:
        return readTimes(value, &timing.pulse, 1);
    }
    return false;
}

std::string badValue(const TimingName& name, std::string_view value) {
    const std::string quoted = "\"" + std::string(value) + "\"";
    switch (name.kind) {
    case TimingKind::Music:
        return musicFault(value);
    case TimingKind::Flash:
        return name.text + " takes two times in seconds, its beginning and its end, not " + quoted;
    default:
        return name.text + " takes a time in plain decimal seconds, not " + quoted;
    }
}

TimingRead refused(std::string what, int line = 0) {
    TimingRead read;
    read.error = std::move(what);
    read.line = line;
    return read;
}

}  // namespace

const std::vector<TimingName>& timingNames() {
    static const std::vector<TimingName> list = [] {
        std::vector<TimingName> n{{"music", TimingKind::Music, 0}};
        for (int s = 2; s <= kSegmentCount; ++s) n.push_back({"segment " + std::to_string(s), TimingKind::Start, s});
        n.push_back({"end", TimingKind::End, 0});
        for (int f = 1; f <= kFlashCount; ++f) n.push_back({"flash " + std::to_string(f), TimingKind::Flash, f});
        n.push_back({"stripes", TimingKind::Stripes, 0});
        n.push_back({"waves", TimingKind::Waves, 0});
        n.push_back({"pulse", TimingKind::Pulse, 0});
        return n;
    }();
    return list;
}

const Timing& builtInTiming() {
    static const Timing timing = [] {
        Timing t;
        t.music = schedule::kMusicFile;
        for (int i = 0; i <= kSegmentCount; ++i) t.bounds[i] = schedule::kSegmentBounds[i];
        for (int f = 0; f < kFlashCount; ++f) t.flashes[f] = schedule::kFlashes[f];
        t.stripes = schedule::kStripesFrom;
        t.waves = schedule::kWavesFrom;
        t.pulse = schedule::kPulseFrom;
        return t;
    }();
    return timing;
}

bool Timing::operator==(const Timing& other) const {
    for (int i = 0; i <= kSegmentCount; ++i)
        if (bounds[i] != other.bounds[i]) return false;
    for (int f = 0; f < kFlashCount; ++f)
        if (flashes[f].begin != other.flashes[f].begin || flashes[f].end != other.flashes[f].end) return false;
    return music == other.music && stripes == other.stripes && waves == other.waves && pulse == other.pulse &&
           words == other.words && scenes == other.scenes;
}

std::string wordsProblem(std::string_view words) {
    if (words.empty()) return "are empty";
    for (char c : words)
        if (!hasGlyph(c))
            return "hold \"" + std::string(1, c) +
                   "\", which the letters cannot make: they make A to Z, 0 to 9, space and . , ! ? - '";
    if (words.size() > kMaxWords)
        return "have " + std::to_string(words.size()) + " characters, more than " + std::to_string(kMaxWords);
    if (isBlank(words.front()) || isBlank(words.back()))
        return "begin or end with a blank, which a timing file does not keep";
    return {};
}

std::string fileNameProblem(std::string_view name) {
    if (name.empty()) return "is empty";
    if (name == "." || name == ".." || name.find_first_of("/\\:") != std::string_view::npos)
        return "has a folder part: the file must be in the data folder itself";
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }))
        return "holds a control character, which a timing file cannot keep";
    if (name.find('#') != std::string_view::npos) return "holds a \"#\", which starts a comment in a timing file";
    if (isBlank(name.front()) || isBlank(name.back()))
        return "begins or ends with a blank, which a timing file does not keep";
    return {};
}

std::string checkTiming(const Timing& timing) { return findFault(timing).what; }

TimingRead parseTiming(std::string_view text) {
    if (text.size() > kMaxTimingFileBytes)
        return refused("larger than " + std::to_string(kMaxTimingFileBytes / 1024) + " KB: not a timing file");
    text = withoutByteOrderMark(text);
    if (isBinaryText(text)) return refused("binary: not a timing file");
    TimingRead read;
    read.timing.bounds[0] = 0.0;
    std::vector<int> lineOf(timingNames().size(), 0);
    std::array<int, kSegmentCount + 1> lineOfWords{};
    std::array<int, kSegmentCount + 1> lineOfScene{};
    for (int number = 1; !text.empty(); ++number) {
        std::string_view line = takeLine(text);
        line = trimmed(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return refused("\"" + std::string(line) + "\" is not a line of the form \"NAME: TIME\"", number);
        const std::string_view key = trimmed(line.substr(0, colon));
        const std::string_view value = trimmed(line.substr(colon + 1));
        std::size_t i = 0;
        while (i < timingNames().size() && timingNames()[i].text != key) ++i;
        if (i == timingNames().size()) {
            const int words = segmentOfKey(key, kWordsName);
            const int scene = segmentOfKey(key, kSceneName);
            const int segment = words != 0 ? words : scene;
            if (words == 0 && scene == 0) return refused("unknown name \"" + std::string(key) + "\"", number);
            if (segment < 0)
                return refused("\"" + std::string(key) + "\" names no segment: segments are 1 to " +
                                   std::to_string(kSegmentCount),
                               number);
            int& first = (words > 0 ? lineOfWords : lineOfScene)[std::size_t(segment)];
            if (first != 0)
                return refused("\"" + std::string(key) + "\" again (first on line " + std::to_string(first) + ")",
                               number);
            first = number;
            const std::string fault =
                words > 0 ? wordsFaultText(segment, value) : sceneFaultText(segment, value);
            if (!fault.empty()) return refused(fault, number);
            (words > 0 ? read.timing.words : read.timing.scenes)[std::size_t(segment)] = std::string(value);
            continue;
        }
        if (lineOf[i] != 0)
            return refused("\"" + timingNames()[i].text + "\" again (first on line " + std::to_string(lineOf[i]) + ")",
                           number);
        lineOf[i] = number;
        if (!setValue(read.timing, timingNames()[i], value)) return refused(badValue(timingNames()[i], value), number);
    }
    for (std::size_t i = 0; i < timingNames().size(); ++i)
        if (lineOf[i] == 0) return refused("no \"" + timingNames()[i].text + "\" line");
    const Fault fault = findFault(read.timing);
    if (!fault.what.empty())
        return refused(fault.what, fault.wordsSegment > 0   ? lineOfWords[std::size_t(fault.wordsSegment)]
                                   : fault.sceneSegment > 0 ? lineOfScene[std::size_t(fault.sceneSegment)]
                                                            : lineOf[std::size_t(fault.name)]);
    read.ok = true;
    read.sceneLines = lineOfScene;
    return read;
}

std::string formatTiming(const Timing& timing) {
    std::string text =
        "# orvel's timing: where each segment starts and the show ends, and the moments inside\n"
        "# segments 4 and 5 where the picture changes, in seconds; the music in the data folder.\n";
    for (const TimingName& name : timingNames()) {
        text += name.text + ": ";
        switch (name.kind) {
        case TimingKind::Music:
            // A name that would read back as another (checkTiming refuses
            // it) is left out: the file is then refused where it is read,
            // never played with some other music.
            if (fileNameProblem(timing.music).empty()) text += timing.music;
            break;
        case TimingKind::Start:
            text += seconds(timing.segmentStart(name.number));
            break;
        case TimingKind::End:
            text += seconds(timing.end());
            break;
        case TimingKind::Flash:
            text += seconds(timing.flashes[name.number - 1].begin) + " " + seconds(timing.flashes[name.number - 1].end);
            break;
        case TimingKind::Stripes:
            text += seconds(timing.stripes);
            break;
        case TimingKind::Waves:
            text += seconds(timing.waves);
            break;
        case TimingKind::Pulse:
            text += seconds(timing.pulse);
            break;
        }
        text += "\n";
    }
    // Words or a name that would read back as others (checkTiming refuses
    // them) are left out, as the music's is.
    for (int s = 1; s <= kSegmentCount; ++s) {
        const std::string& words = timing.words[std::size_t(s)];
        const std::string& scene = timing.scenes[std::size_t(s)];
        if (!words.empty())
            text += std::string(kWordsName) + " " + std::to_string(s) + ": " +
                    (wordsProblem(words).empty() ? words : std::string()) + "\n";
        if (!scene.empty())
            text += std::string(kSceneName) + " " + std::to_string(s) + ": " +
                    (fileNameProblem(scene).empty() ? scene : std::string()) + "\n";
    }
    return text;
}

TimingRead readTimingFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string text(kMaxTimingFileBytes + 1, '\0');
    if (file) file.read(text.data(), std::streamsize(text.size()));
    if (!file && !file.eof()) return refused(path + ": cannot be read");
    text.resize(std::size_t(file.gcount()));
    TimingRead read = parseTiming(text);
    if (!read.ok) read.error = path + ":" + (read.line > 0 ? std::to_string(read.line) + ":" : "") + " " + read.error;
    return read;
}

TimingRead loadShowTiming(const std::string& givenPath) {
    namespace fs = std::filesystem;
    std::error_code unknown;
    std::string path = givenPath;
    if (path.empty() && fs::exists(kTimingFile, unknown)) path = (fs::current_path(unknown) / kTimingFile).string();
    if (path.empty()) {
        TimingRead read;
        read.ok = true;
        read.timing = builtInTiming();
        return read;
    }
    TimingRead read = readTimingFile(path);
    if (read.ok && !fs::is_regular_file(read.timing.music, unknown)) {
        read.ok = false;
        read.error = path + ": the music \"" + read.timing.music + "\" is not in the data folder " +
                     fs::current_path(unknown).string();
    }
    for (int s = 1; read.ok && s <= kSegmentCount; ++s) {
        const std::string& scene = read.timing.scenes[std::size_t(s)];
        if (scene.empty() || fs::is_regular_file(scene, unknown)) continue;
        read.ok = false;
        read.line = read.sceneLines[std::size_t(s)];
        read.error = path + ":" + std::to_string(read.line) + ": the scene \"" + scene + "\" of " + segmentName(s) +
                     " is not in the data folder " + fs::current_path(unknown).string();
    }
    return read;
}
