#pragma once

#include <array>
#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "shell/schedule.h"

// The flashes of segment 4 that a timing places.
constexpr int kFlashCount = int(std::size(schedule::kFlashes));

// The show's times that its authors tune by ear, and the music they tune
// them to: where each segment starts, where the show ends, and the moments
// inside segments 4 and 5 where the picture changes. The built-in timing is
// the schedule's (shell/schedule.h); a timing file, written as formatTiming
// writes it, replaces it in every build. The code keeps the rules (order,
// bounds); the file only moves the times.
struct Timing {
    // A file name in the show's data folder, no folder part.
    std::string music;
    // Segment s runs between bounds[s - 1] and bounds[s], both excluded;
    // bounds[0] is 0 and the last bound is the show's end.
    double bounds[schedule::kSegmentCount + 1] = {};
    schedule::Window flashes[kFlashCount] = {};
    double stripes = 0.0;
    double waves = 0.0;
    double pulse = 0.0;
    // What segment s draws instead of its built-in scene, at index s (index
    // 0 unused): the words a title segment flies past, or a .3ds file of the
    // data folder, no folder part. Empty for the built-in; at most one of
    // the two per segment.
    std::array<std::string, schedule::kSegmentCount + 1> words;
    std::array<std::string, schedule::kSegmentCount + 1> scenes;

    double segmentStart(int segment) const { return bounds[segment - 1]; }
    double segmentEnd(int segment) const { return bounds[segment]; }
    double end() const { return bounds[schedule::kSegmentCount]; }

    bool operator==(const Timing& other) const;
    bool operator!=(const Timing& other) const { return !(*this == other); }
};

const Timing& builtInTiming();

// What a line of a timing file sets.
enum class TimingKind { Music, Start, End, Flash, Stripes, Waves, Pulse };

struct TimingName {
    // The name before the colon: "segment 2", "flash 1", "stripes".
    std::string text;
    TimingKind kind;
    // The segment of a start, the flash's number; 0 for the others.
    int number;
};

// The names of a timing file in the order formatTiming writes them: the
// music, the starts of segments 2 on, the end, the flashes, the stripes,
// the waves and the pulse. Every list of the timing's times follows it.
const std::vector<TimingName>& timingNames();

// The names of the lines that give a segment other words or another scene:
// "words 2: OUR GROUP", "scene 9: model.3ds". They are not in timingNames(),
// which lists the times and the music that every timing file holds.
constexpr const char* kWordsName = "words";
constexpr const char* kSceneName = "scene";
// The most characters a title's words may have.
constexpr std::size_t kMaxWords = 16;

// Empty when words can be a title segment's words: 1 to kMaxWords letters
// (lower case drawn as upper case), digits, spaces and . , ! ? - ', not
// beginning or ending with a space, which a timing file does not keep; else
// why not, in words.
std::string wordsProblem(std::string_view words);

// The file a program reads from the show's data folder when it is given none.
constexpr const char* kTimingFile = "timing.txt";
constexpr std::size_t kMaxTimingFileBytes = 64 * 1024;
// The latest end a timing may give the show.
constexpr double kMaxShowEnd = 600.0;

// What a timing text was made into: the timing, or why not, in words, and
// the number of the line at fault (0 for the whole text).
struct TimingRead {
    bool ok = false;
    Timing timing;
    std::string error;
    int line = 0;
    // The line of each segment's scene line, for the faults found when its
    // file is looked for.
    std::array<int, schedule::kSegmentCount + 1> sceneLines{};
};

// Empty when name, a file of the data folder that a timing file names,
// reads back from the file exactly as written; else why not, in words
// ("holds a \"#\", which starts a comment in a timing file"). A name is
// refused when a person gives it, never saved to read back as another.
std::string fileNameProblem(std::string_view name);

// Reads a timing as formatTiming writes it: one "NAME: VALUE" line for
// each name, in any order, and at most one "words N: TEXT" or "scene N:
// FILE" line for a segment N, "#" starting a comment, LF or CR LF line ends,
// a UTF-8 byte order mark at the start skipped, times in plain decimal
// seconds (shell/plain_number.h). Every name once, and the timing keeps
// the rules of checkTiming.
TimingRead parseTiming(std::string_view text);

// Empty when the timing keeps the rules; else which time breaks which rule,
// in words. The music's name reads back from a timing file as written
// (fileNameProblem); segments start in order and each holds at least one frame of
// the 30 frames a second grid; the end is at most kMaxShowEnd; the flashes
// come in order inside segment 4, the stripes and then the waves inside
// segment 4, the pulse inside segment 5. Words only on a title segment and
// as wordsProblem takes them; a scene's name reads back; not both on one
// segment.
std::string checkTiming(const Timing& timing);

// The text of a timing file: a comment, then the music, the segments'
// starts, the end, the flashes, stripes, waves and pulse, each time in the
// fewest decimals that read back as the same number, then the segments'
// words and scenes, segment by segment (none for the built-in timing). A timing that
// checkTiming accepts reads back as itself; a music name that would not
// is left out, so that the text is refused rather than read as another.
std::string formatTiming(const Timing& timing);

// Reads the timing file at path. Its error names the file and the line:
// "PATH:7: ...".
TimingRead readTimingFile(const std::string& path);

// The timing a program plays, read in its data folder (the working
// directory): the file given on its command line (an absolute path, or ""),
// else kTimingFile where it is there, else the built-in timing. The music
// that a timing file names must be in the data folder, and so must its
// segments' scene files.
TimingRead loadShowTiming(const std::string& givenPath);
