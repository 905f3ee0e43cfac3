#include "shell/timing_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "rhythm/beat_tracker.h"
#include "tools/music_file/decoded_music.h"

namespace {

using schedule::kSegmentCount;

// Beats at a steady tempo from `first` on, through music `seconds` long,
// the first of them a downbeat.
MusicBeats steadyBeats(double tempo, double first, double seconds) {
    MusicBeats music;
    music.music = "song.ogg";
    music.seconds = seconds;
    for (double t = first; t <= seconds; t += 60.0 / tempo) music.beats.push_back(t);
    return music;
}

double segmentSeconds(const Timing& t, int s) { return t.segmentEnd(s) - t.segmentStart(s); }

// The bar of the music's found bars that a time falls on, or -1.
int barAt(const MusicBeats& music, double seconds) {
    int bar = 0;
    const std::size_t step = std::size_t(music.beatsPerBar);
    for (std::size_t i = std::size_t(music.firstDownbeat); i < music.beats.size(); i += step) {
        if (std::fabs(music.beats[i] - seconds) <= 0.0005) return bar;
        ++bar;
    }
    return -1;
}

// "" when every segment of the fitted timing ends on a bar line of the music.
std::string offTheBars(const MusicBeats& music, const Timing& t) {
    for (int s = 1; s <= kSegmentCount; ++s)
        if (barAt(music, t.bounds[s]) < 0) return "segment " + std::to_string(s) + " ends off the bars";
    return {};
}

// Bars of the built-in show, counted from its beat grid: four beats a bar
// up to segment 10 (an anchor at each bound), the closing titles' bars after.
int showBars(int s) {
    if (s < 10) return int((schedule::kTempoAnchors[s].beat - schedule::kTempoAnchors[s - 1].beat) / 4);
    return int(std::lround((schedule::segmentEnd(s) - schedule::segmentStart(s)) / schedule::kClosingBarSeconds));
}

}  // namespace

TEST(TimingFit, KeepsTheShowsBarsAtItsOwnTempo) {
    const MusicBeats music = steadyBeats(100.0, 0.5, 140.0);
    const FittedTiming fit = fitTiming(music);
    ASSERT_TRUE(fit.ok) << fit.error;
    const Timing& t = fit.timing;
    EXPECT_EQ(checkTiming(t), "");
    EXPECT_EQ(t.music, "song.ogg");
    EXPECT_EQ(offTheBars(music, t), "");
    for (int s = 1; s <= kSegmentCount; ++s)
        EXPECT_EQ(barAt(music, t.segmentEnd(s)) - (s == 1 ? 0 : barAt(music, t.segmentStart(s))), showBars(s))
            << "segment " << s;
    // The flashes in pairs a quaver apart, once a bar from beat 2; the
    // stripes on beat 11, the waves on 15, the pulse on segment 5's beat 8.
    const double beat = 0.6, start4 = t.segmentStart(4);
    const double flashBeats[kFlashCount] = {2, 2.5, 6, 6.5, 10, 10.5};
    for (int f = 0; f < kFlashCount; ++f) {
        EXPECT_NEAR(t.flashes[f].begin, start4 + flashBeats[f] * beat, 0.0006) << "flash " << f + 1;
        EXPECT_NEAR(t.flashes[f].end - t.flashes[f].begin, schedule::kFlashes[f].end - schedule::kFlashes[f].begin,
                    0.0011);
    }
    EXPECT_NEAR(t.stripes, start4 + 11 * beat, 0.0006);
    EXPECT_NEAR(t.waves, start4 + 15 * beat, 0.0006);
    EXPECT_NEAR(t.pulse, t.segmentStart(5) + 8 * beat, 0.0006);
}

TEST(TimingFit, ScalesTheBarsOfFastMusicToTheShowsSeconds) {
    const MusicBeats music = steadyBeats(180.0, 0.2, 200.0);
    const FittedTiming fit = fitTiming(music);
    ASSERT_TRUE(fit.ok) << fit.error;
    EXPECT_EQ(checkTiming(fit.timing), "");
    EXPECT_EQ(offTheBars(music, fit.timing), "");
    const double bar = 4 * 60.0 / 180.0;
    for (int s = 2; s <= kSegmentCount; ++s)
        EXPECT_LE(std::fabs(segmentSeconds(fit.timing, s) - segmentSeconds(builtInTiming(), s)), bar / 2 + 0.001)
            << "segment " << s;
    // Flashes a quaver apart at 180 are shorter than the built-in ones.
    for (int f = 1; f < kFlashCount; ++f)
        EXPECT_LE(fit.timing.flashes[f - 1].end, fit.timing.flashes[f].begin) << "flash " << f + 1;
}

TEST(TimingFit, ShortensTheLongestSegmentsForShortMusic) {
    const MusicBeats music = steadyBeats(100.0, 0.0, 60.0);
    const FittedTiming fit = fitTiming(music);
    ASSERT_TRUE(fit.ok) << fit.error;
    const Timing& t = fit.timing;
    EXPECT_EQ(checkTiming(t), "");
    EXPECT_EQ(offTheBars(music, t), "");
    EXPECT_LE(t.end(), music.seconds);
    // Every bar of the music is used, and a segment that lost bars is still
    // as long as any other but at most a bar, but segments 4 and 5, which
    // keep the bars their moments need.
    EXPECT_EQ(barAt(music, t.end()), int((music.beats.size() - 1) / 4));
    int longest = 0;
    const auto bars = [&](int s) { return barAt(music, t.segmentEnd(s)) - barAt(music, t.segmentStart(s)); };
    for (int s = 2; s <= kSegmentCount; ++s)
        if (s != 4 && s != 5) longest = std::max(longest, bars(s));
    for (int s = 2; s <= kSegmentCount; ++s) {
        if (bars(s) < showBars(s)) {
            EXPECT_GE(bars(s), longest - 1) << "segment " << s;
        }
    }
}

TEST(TimingFit, RefusesMusicTooShortOrANameATimingFileCannotKeep) {
    // One bar each, and as many as segment 4's waves and segment 5's pulse
    // need (beats 15 and 8: four and three bars): 23 bars.
    const FittedTiming short_ = fitTiming(steadyBeats(100.0, 0.0, 20.0));
    EXPECT_FALSE(short_.ok);
    EXPECT_EQ(short_.error, "the music holds 8 bars; the show needs at least 23");
    MusicBeats named = steadyBeats(100.0, 0.0, 140.0);
    named.music = "take #2.ogg";
    const FittedTiming hash = fitTiming(named);
    EXPECT_FALSE(hash.ok);
    EXPECT_EQ(hash.error, "the music's file name holds a \"#\", which starts a comment in a timing file");
    EXPECT_FALSE(fitTiming(MusicBeats{}).ok);
}

TEST(TimingFit, FitsTheShowsOwnMusicOnItsFoundBars) {
    const DecodedMusic decoded = decodeMusicFile(std::string(SHOW_DATA_DIR) + "/" + schedule::kMusicFile);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    const BeatGrid grid = findBeats(decoded.samples.data(), decoded.samples.size(), decoded.sampleRate);
    ASSERT_TRUE(grid.found());
    MusicBeats music;
    music.music = schedule::kMusicFile;
    music.seconds = decoded.seconds();
    music.beats = grid.beats;
    music.firstDownbeat = grid.firstDownbeat;
    music.beatsPerBar = grid.beatsPerBar;
    const FittedTiming fit = fitTiming(music);
    ASSERT_TRUE(fit.ok) << fit.error;
    EXPECT_EQ(checkTiming(fit.timing), "");
    EXPECT_EQ(offTheBars(music, fit.timing), "");
}
