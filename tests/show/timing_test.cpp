// The timing file: the built-in timing written and read back, every rule
// refused in words with its line, and the show's moments placed in a
// retimed show.

#include "shell/timing.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "shell/timeline.h"
#include "tests/test_support.h"

namespace {

const std::string kBuiltIn = formatTiming(builtInTiming());

// The built-in timing's text with the line that begins with name replaced
// by line ("" takes it out).
std::string withLine(const std::string& name, const std::string& line) {
    const std::size_t at = kBuiltIn.find("\n" + name + ":");
    EXPECT_NE(at, std::string::npos) << name;
    const std::size_t end = kBuiltIn.find('\n', at + 1);
    return kBuiltIn.substr(0, at + 1) + line + (line.empty() ? "" : "\n") + kBuiltIn.substr(end + 1);
}

// The line of the built-in text that begins with name, counted from 1.
int lineOf(const std::string& name) {
    const std::size_t at = kBuiltIn.find("\n" + name + ":");
    int line = 1;
    for (std::size_t i = 0; i <= at; ++i) line += kBuiltIn[i] == '\n';
    return line;
}

TEST(Timing, TheBuiltInTimingReadsBackAsItself) {
    const TimingRead read = parseTiming(kBuiltIn);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.timing, builtInTiming());
    EXPECT_EQ(checkTiming(builtInTiming()), "");
    EXPECT_NE(kBuiltIn.find("\nsegment 3: 9.6\n"), std::string::npos) << kBuiltIn;
    EXPECT_NE(kBuiltIn.find("\nflash 1: 15.48 15.68\n"), std::string::npos) << kBuiltIn;
    EXPECT_NE(kBuiltIn.find("\nmusic: dj ranko - quickbite.mp3\n"), std::string::npos) << kBuiltIn;
}

TEST(Timing, ShowScheduleWritesTheBuiltInTiming) {
    const ToolRun run = runProgram({SHOW_SCHEDULE_PATH, "--timing"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, kBuiltIn);
}

// Written by another program: any order, comments, blanks, CR LF.
TEST(Timing, ReadsLinesInAnyOrderWithCommentsAndCrLf) {
    std::string text = "# made by hand\r\n";
    std::string rest = kBuiltIn;
    std::string reversed;
    for (std::size_t end; (end = rest.find('\n')) != std::string::npos; rest = rest.substr(end + 1))
        reversed = "  " + rest.substr(0, end) + "\t# a note\r\n\r\n" + reversed;
    const TimingRead read = parseTiming(text + reversed);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.timing, builtInTiming());
}

TEST(Timing, EveryBrokenRuleIsRefusedWithItsLine) {
    struct Case {
        std::string text;
        int line;
        std::string error;
    };
    const std::string big = kBuiltIn + std::string(kMaxTimingFileBytes, '#');
    const Case cases[] = {
        {big, 0, "larger than 64 KB: not a timing file"},
        {kBuiltIn + "\x89PNG\x1a\n", 0, "binary: not a timing file"},
        {"", 0, "no \"music\" line"},
        {withLine("pulse", ""), 0, "no \"pulse\" line"},
        {withLine("waves", "waves 23.6"), lineOf("waves"), "\"waves 23.6\" is not a line of the form \"NAME: TIME\""},
        {withLine("waves", "wave: 23.6"), lineOf("waves"), "unknown name \"wave\""},
        {withLine("waves", "segment 1: 0"), lineOf("waves"), "unknown name \"segment 1\""},
        {withLine("waves", "segment 19: 130"), lineOf("waves"), "unknown name \"segment 19\""},
        {kBuiltIn + "end: 130\n", lineOf("pulse") + 1,
         "\"end\" again (first on line " + std::to_string(lineOf("end")) + ")"},
        {withLine("segment 3", "segment 3: 9,6"), lineOf("segment 3"),
         "segment 3 takes a time in plain decimal seconds, not \"9,6\""},
        {withLine("segment 3", "segment 3: -9.6"), lineOf("segment 3"),
         "segment 3 takes a time in plain decimal seconds, not \"-9.6\""},
        {withLine("end", "end: inf"), lineOf("end"), "end takes a time in plain decimal seconds, not \"inf\""},
        {withLine("end", "end:"), lineOf("end"), "end takes a time in plain decimal seconds, not \"\""},
        {withLine("end", "end: 121.16 130"), lineOf("end"),
         "end takes a time in plain decimal seconds, not \"121.16 130\""},
        {withLine("flash 2", "flash 2: 15.8"), lineOf("flash 2"),
         "flash 2 takes two times in seconds, its beginning and its end, not \"15.8\""},
        {withLine("end", "end: 1.2116e2"), lineOf("end"),
         "end takes a time in plain decimal seconds, not \"1.2116e2\""},
        {withLine("segment 3", "segment 3: 0x9.6p0"), lineOf("segment 3"),
         "segment 3 takes a time in plain decimal seconds, not \"0x9.6p0\""},
        {withLine("music", "music: ../song.ogg"), lineOf("music"),
         "the music \"../song.ogg\" has a folder part: the file must be in the data folder itself"},
        {withLine("music", "music: music/song.ogg"), lineOf("music"),
         "the music \"music/song.ogg\" has a folder part: the file must be in the data folder itself"},
        {withLine("music", "music: song\r\r.ogg"), lineOf("music"),
         "the music \"song\r\r.ogg\" holds a control character, which a timing file cannot keep"},
        {withLine("music", "music: .."), lineOf("music"),
         "the music \"..\" has a folder part: the file must be in the data folder itself"},
        {withLine("music", "music: # none"), lineOf("music"), "the music \"\" is empty"},
        {withLine("segment 2", "segment 2: 0"), lineOf("segment 2"),
         "segment 2 starts at 0 s, not after the show's start (0 s)"},
        {withLine("segment 4", "segment 4: 9.6"), lineOf("segment 4"),
         "segment 4 starts at 9.6 s, not after segment 3's start (9.6 s)"},
        {withLine("end", "end: 118"), lineOf("end"), "the end is at 118 s, not after segment 18's start (118.16 s)"},
        {withLine("end", "end: 600.5"), lineOf("end"), "the end is at 600.5 s, past the latest end, 600 s"},
        // Frame 288 lies at 9.6 s, but the float that the show's clock hands
        // over is 9.6000004 s: a segment to 9.6000001 s holds no frame.
        {withLine("segment 4", "segment 4: 9.6000001"), lineOf("segment 4"),
         "segment 3 (9.6 to 9.6000001 s) holds no frame of a run at 30 frames a second: a segment lasts at least a "
         "frame"},
        {withLine("end", "end: 118.165"), lineOf("end"),
         "segment 18 (118.16 to 118.165 s) holds no frame of a run at 30 frames a second: a segment lasts at least "
         "a frame"},
        {withLine("flash 3", "flash 3: 18.08 18.08"), lineOf("flash 3"),
         "flash 3 ends at 18.08 s, not after it begins (18.08 s)"},
        {withLine("flash 2", "flash 2: 15.6 16"), lineOf("flash 2"),
         "flash 2 begins at 15.6 s, before flash 1 ends (15.68 s)"},
        {withLine("flash 1", "flash 1: 14 14.5"), lineOf("flash 1"),
         "flash 1 (14 to 14.5 s) is not inside segment 4 (14.4 to 43.24 s)"},
        {withLine("flash 6", "flash 6: 43 43.5"), lineOf("flash 6"),
         "flash 6 (43 to 43.5 s) is not inside segment 4 (14.4 to 43.24 s)"},
        {withLine("stripes", "stripes: 14.4"), lineOf("stripes"),
         "the stripes start at 14.4 s, not inside segment 4 (14.4 to 43.24 s)"},
        {withLine("waves", "waves: 21"), lineOf("waves"), "the waves start at 21 s, not after the stripes (21 s)"},
        {withLine("waves", "waves: 43.24"), lineOf("waves"),
         "the waves start at 43.24 s, not inside segment 4 (14.4 to 43.24 s)"},
        {withLine("pulse", "pulse: 53"), lineOf("pulse"),
         "the pulse starts at 53 s, not inside segment 5 (43.24 to 52.81 s)"},
    };
    for (const Case& c : cases) {
        const TimingRead read = parseTiming(c.text);
        EXPECT_FALSE(read.ok) << c.error;
        EXPECT_EQ(read.error, c.error);
        EXPECT_EQ(read.line, c.line) << c.error;
    }
}

// A regression: an editor's byte order mark made the first line no line
// of the form "NAME: TIME".
TEST(Timing, SkipsAByteOrderMarkAtTheStart) {
    const TimingRead read = parseTiming("\xEF\xBB\xBF" + kBuiltIn);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.timing, builtInTiming());
    const std::string marked = withLine("pulse", "\xEF\xBB\xBFpulse: 52");
    EXPECT_EQ(parseTiming(marked).line, lineOf("pulse")) << "only at the very start";
}

// A regression: "song #2.wav" was written as it is and read back as "song".
TEST(Timing, AMusicNameThatWouldNotReadBackIsRefusedAndNeverWritten) {
    const struct {
        const char* name;
        const char* error;
    } refused[] = {
        {"song #2.wav", "the music \"song #2.wav\" holds a \"#\", which starts a comment in a timing file"},
        {" song.wav", "the music \" song.wav\" begins or ends with a blank, which a timing file does not keep"},
        {"song.wav ", "the music \"song.wav \" begins or ends with a blank, which a timing file does not keep"},
        {"song\n.wav", "the music \"song\n.wav\" holds a control character, which a timing file cannot keep"},
        {"", "the music \"\" is empty"},
    };
    for (const auto& c : refused) {
        Timing timing = builtInTiming();
        timing.music = c.name;
        EXPECT_EQ(checkTiming(timing), c.error);
        const TimingRead read = parseTiming(formatTiming(timing));
        EXPECT_FALSE(read.ok) << '"' << c.name << "\" was written and read back as \"" << read.timing.music << '"';
        EXPECT_EQ(read.line, lineOf("music")) << c.name;
    }
    for (const char* name : {"song 2 (live).wav", "na\xC3\xAFve.ogg", "a  b.ogg", "x"}) {
        Timing timing = builtInTiming();
        timing.music = name;
        EXPECT_EQ(checkTiming(timing), "") << name;
        const TimingRead read = parseTiming(formatTiming(timing));
        ASSERT_TRUE(read.ok) << name << ": " << read.error;
        EXPECT_EQ(read.timing.music, name);
    }
}

TEST(Timing, AFileIsNamedWithTheLineAtFault) {
    const TempDir dir;
    const std::string path = dir.path() + "/timing.txt";
    std::ofstream(path) << withLine("pulse", "pulse: 53");
    const TimingRead read = readTimingFile(path);
    EXPECT_EQ(read.error, path + ":" + std::to_string(lineOf("pulse")) +
                              ": the pulse starts at 53 s, not inside segment 5 (43.24 to 52.81 s)");
    EXPECT_EQ(readTimingFile(dir.path() + "/none.txt").error, dir.path() + "/none.txt: cannot be read");
    EXPECT_EQ(readTimingFile(dir.path()).error, dir.path() + ": cannot be read");
}

// The data folder's timing.txt is read where it is there; the music it
// names must be there too.
TEST(Timing, TheShowReadsTheDataFoldersTimingAndItsMusic) {
    const TempDir dir;
    const WorkingDirectory inside(dir.path());
    TimingRead read = loadShowTiming("");
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.timing, builtInTiming()) << "no timing.txt: the built-in timing";

    std::ofstream(dir.path() + "/timing.txt") << withLine("music", "music: other.ogg");
    read = loadShowTiming("");
    EXPECT_EQ(read.error, dir.path() + "/timing.txt: the music \"other.ogg\" is not in the data folder " + dir.path());
    std::ofstream(dir.path() + "/other.ogg") << "OggS";
    read = loadShowTiming("");
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.timing.music, "other.ogg");

    std::ofstream(dir.path() + "/given.txt") << withLine("end", "end: 1");
    EXPECT_EQ(loadShowTiming(dir.path() + "/given.txt").line, lineOf("end")) << "a given file comes first";
}

// The show plays to the timing it is given: its segments' windows and the
// moments where segment 4's picture changes.
TEST(Timing, TheTimelineFollowsTheTiming) {
    Timing timing = builtInTiming();
    timing.bounds[1] = 8.0;
    timing.stripes = 30.0;
    timing.bounds[schedule::kSegmentCount] = 150.0;
    EXPECT_EQ(findSegment(timing, 6.0f), 1);
    EXPECT_EQ(findSegment(timing, 8.5f), 2);
    EXPECT_EQ(findSegment(timing, 140.0f), 18);
    EXPECT_FALSE(showHasEnded(timing, 149.9f));
    EXPECT_TRUE(showHasEnded(timing, 150.1f));
    const auto scenes = std::make_unique<SceneTable>();
    ShellState state;
    EXPECT_EQ(planFrame(state, *scenes, timing, 25.0f).style, DrawStyle::Outline);
    EXPECT_EQ(planFrame(state, *scenes, builtInTiming(), 25.0f).style, DrawStyle::Banded);
}

}  // namespace
