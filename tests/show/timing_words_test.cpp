// The timing file's words and scene lines: a segment's own words or .3ds
// read, written back as given, and every misuse refused with its line.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "shell/timing.h"
#include "tests/test_support.h"

namespace {

const std::string kBuiltIn = formatTiming(builtInTiming());
// The line after the built-in text's last.
const int kNextLine = int(std::count(kBuiltIn.begin(), kBuiltIn.end(), '\n')) + 1;

TEST(TimingWords, WordsAndScenesReadAndWriteBackAsGiven) {
    const TimingRead read = parseTiming(kBuiltIn + "words 2: Our Group 42!\nscene 9: my model.3ds\n"
                                                   "words 18: IT'S - OK, BYE?.\n");
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.timing.words[2], "Our Group 42!");
    EXPECT_EQ(read.timing.words[18], "IT'S - OK, BYE?.");
    EXPECT_EQ(read.timing.scenes[9], "my model.3ds");
    EXPECT_EQ(read.timing.words[3], "");
    EXPECT_NE(read.timing, builtInTiming());
    const std::string written = formatTiming(read.timing);
    EXPECT_EQ(written, kBuiltIn + "words 2: Our Group 42!\nscene 9: my model.3ds\nwords 18: IT'S - OK, BYE?.\n");
    const TimingRead again = parseTiming(written);
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_EQ(again.timing, read.timing);
}

TEST(TimingWords, EveryMisuseIsRefusedWithItsLine) {
    const struct {
        std::string lines;
        std::string error;
    } cases[] = {
        {"words 2: A_B", "the words \"A_B\" of segment 2 hold \"_\", which the letters cannot make: "
                         "they make A to Z, 0 to 9, space and . , ! ? - '"},
        {"words 2: ABCDEFGHIJKLMNOPQ", "the words \"ABCDEFGHIJKLMNOPQ\" of segment 2 have 17 characters, more than 16"},
        {"words 2:", "the words \"\" of segment 2 are empty"},
        {"words 9: HELLO", "words on segment 9, which draws an object: words go on a segment that flies past a title "
                           "(2, 3, 10 to 18)"},
        {"words 1: HELLO", "words on segment 1, which draws an object: words go on a segment that flies past a title "
                           "(2, 3, 10 to 18)"},
        {"scene 4: models/ship.3ds",
         "the scene \"models/ship.3ds\" of segment 4 has a folder part: the file must be in the data folder itself"},
        {"scene 4:", "the scene \"\" of segment 4 is empty"},
        {"words 19: HI", "\"words 19\" names no segment: segments are 1 to 18"},
        {"scene 02: a.3ds", "\"scene 02\" names no segment: segments are 1 to 18"},
        {"wordsy 2: HI", "unknown name \"wordsy 2\""},
    };
    for (const auto& c : cases) {
        const TimingRead read = parseTiming(kBuiltIn + c.lines + "\n");
        EXPECT_FALSE(read.ok) << c.lines;
        EXPECT_EQ(read.error, c.error) << c.lines;
        EXPECT_EQ(read.line, kNextLine) << c.lines;
    }
    TimingRead read = parseTiming(kBuiltIn + "words 3: HI\nscene 3: a.3ds\n");
    EXPECT_EQ(read.error, "segment 3 has words and a scene: a segment takes one of the two");
    EXPECT_EQ(read.line, kNextLine + 1);
    read = parseTiming(kBuiltIn + "scene 3: a.3ds\nwords 3: HI\n");
    EXPECT_EQ(read.error, "segment 3 has words and a scene: a segment takes one of the two");
    EXPECT_EQ(read.line, kNextLine);
    read = parseTiming(kBuiltIn + "words 3: HI\nwords 3: HO\n");
    EXPECT_EQ(read.error, "\"words 3\" again (first on line " + std::to_string(kNextLine) + ")");
    EXPECT_EQ(read.line, kNextLine + 1);
}

TEST(TimingWords, WordsThatWouldNotReadBackAreRefusedAndNeverWritten) {
    Timing timing = builtInTiming();
    timing.words[2] = " LEADING";
    EXPECT_EQ(checkTiming(timing), "the words \" LEADING\" of segment 2 begin or end with a blank, which a timing "
                                   "file does not keep");
    EXPECT_FALSE(parseTiming(formatTiming(timing)).ok) << formatTiming(timing);
    timing.words[2] = "A#B";
    EXPECT_EQ(formatTiming(timing), kBuiltIn + "words 2: \n");
    timing = builtInTiming();
    timing.scenes[5] = "a#b.3ds";
    EXPECT_EQ(checkTiming(timing), "the scene \"a#b.3ds\" of segment 5 holds a \"#\", which starts a comment in a "
                                   "timing file");
    EXPECT_EQ(formatTiming(timing), kBuiltIn + "scene 5: \n");
}

TEST(TimingWords, TheShowRefusesASceneFileThatIsNotInTheDataFolder) {
    const TempDir dir;
    const WorkingDirectory inside(dir.path());
    std::ofstream(dir.path() + "/" + builtInTiming().music) << "ID3";
    std::ofstream(dir.path() + "/timing.txt") << kBuiltIn << "scene 9: ship.3ds\n";
    TimingRead read = loadShowTiming("");
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.error, dir.path() + "/timing.txt:" + std::to_string(kNextLine) +
                              ": the scene \"ship.3ds\" of segment 9 is not in the data folder " + dir.path());
    std::ofstream(dir.path() + "/ship.3ds") << "MM";
    read = loadShowTiming("");
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.timing.scenes[9], "ship.3ds");
}

}  // namespace
