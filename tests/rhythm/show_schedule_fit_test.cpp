#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "rhythm/beat_tracker.h"
#include "shell/timing.h"
#include "shell/timing_fit.h"
#include "tests/rhythm/made_tracks.h"
#include "tests/test_support.h"
#include "tools/music_file/decoded_music.h"

// show-schedule --fit MUSIC: the timing it writes is the fit of the beats
// found in the decoded file, and music it cannot fit the show to is refused
// in one line on standard error, with exit code 1 and nothing written.

TEST(ShowScheduleFit, WritesTheTimingFittedToTheMusicsBeats) {
    TempDir dir;
    const std::string path = dir.file("drums at 112.wav");
    // A minute: the fit shortens the show to it.
    writeWav(path, makeTrack({Kit::Drums, 112.0, 0.7, 0, 60.0, 0.0, 0.0}).samples);
    const ToolRun run = runProgram({SHOW_SCHEDULE_PATH, "--fit", path});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const TimingRead read = parseTiming(run.out);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.timing.music, "drums at 112.wav");

    const DecodedMusic decoded = decodeMusicFile(path);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    const BeatGrid grid = findBeats(decoded.samples.data(), decoded.samples.size(), decoded.sampleRate);
    MusicBeats music{"drums at 112.wav", decoded.seconds(), grid.beats, grid.firstDownbeat, grid.beatsPerBar};
    const FittedTiming fit = fitTiming(music);
    ASSERT_TRUE(fit.ok) << fit.error;
    EXPECT_EQ(run.out, formatTiming(fit.timing));
}

TEST(ShowScheduleFit, RefusesMusicWithoutABeatInOneLine) {
    TempDir dir;
    struct Case {
        const char* name;
        std::vector<float> samples;
        const char* error;
    };
    const Case cases[] = {
        {"silence.wav", std::vector<float>(std::size_t(20 * kMadeRate), 0.0f), "no beat found in the music"},
        {"noise.wav", whiteNoise(20.0), "no beat found in the music"},
        {"clicks.wav", makeTrack({Kit::Clicks, 120.0, 0.1, 0, 3.0, 0.0, 0.0}).samples, "no beat found in the music"},
        {"short.wav", makeTrack({Kit::Clicks, 120.0, 0.1, 0, 30.0, 0.0, 0.0}).samples,
         "the music holds 14 bars; the show needs at least 23"},
    };
    for (const Case& c : cases) {
        writeWav(dir.file(c.name), c.samples);
        const ToolRun run = runProgram({SHOW_SCHEDULE_PATH, "--fit", dir.file(c.name)});
        EXPECT_EQ(run.exitCode, 1) << c.name;
        EXPECT_EQ(run.out, "") << c.name;
        EXPECT_EQ(run.err, "show-schedule: " + dir.file(c.name) + ": " + c.error + "\n");
    }
}

TEST(ShowScheduleFit, RefusesAFileItCannotReadInOneLine) {
    TempDir dir;
    std::ofstream(dir.file("notes.mp3")) << "not music\n";
    for (const std::string& path : {dir.file("missing.ogg"), dir.file("notes.mp3")}) {
        const ToolRun run = runProgram({SHOW_SCHEDULE_PATH, "--fit", path});
        EXPECT_EQ(run.exitCode, 1) << path;
        EXPECT_EQ(run.out, "") << path;
        EXPECT_EQ(run.err.rfind("show-schedule: " + path + ": cannot ", 0), 0u) << run.err;
        EXPECT_EQ(lineCount(run.err), 1) << run.err;
    }
    const ToolRun bare = runProgram({SHOW_SCHEDULE_PATH, "--fit"});
    EXPECT_EQ(bare.exitCode, 2);
    EXPECT_EQ(bare.err, "usage: show-schedule [--timing]\n");
}
