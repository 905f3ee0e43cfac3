// The page's fit of a music (web/music_fit.h): the refusal in one line
// naming the music, the first downbeat moved without a new analysis, and
// the strongest onsets that author mode suggests as marks.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "shell/sync_marks.h"
#include "tests/rhythm/made_tracks.h"
#include "web/music_fit.h"

namespace {

MusicFit fitTrack(const MadeTrack& track, int downbeatShift = 0) {
    return fitMusic(track.samples.data(), track.samples.size(), kMadeRate, "made.wav", downbeatShift);
}

// How far t is from the nearest made hit: a beat, or a quaver between two.
double offHit(const MadeTrack& track, double t) {
    double best = 1e9;
    for (std::size_t i = 0; i < track.beats.size(); ++i) {
        best = std::min(best, std::abs(track.beats[i] - t));
        if (i > 0) best = std::min(best, std::abs((track.beats[i - 1] + track.beats[i]) / 2 - t));
    }
    // The quaver after the last beat.
    if (track.beats.size() > 1) {
        const double half = (track.beats[1] - track.beats[0]) / 2;
        best = std::min(best, std::abs(track.beats.back() + half - t));
    }
    return best;
}

TEST(MusicFit, MusicWithNoBeatIsRefusedInOneLineNamingIt) {
    const std::vector<float> silence(std::size_t(20 * kMadeRate), 0.0f);
    const MusicFit fit = fitMusic(silence.data(), silence.size(), kMadeRate, "quiet.ogg", 0);
    EXPECT_FALSE(fit.ok());
    EXPECT_EQ(fit.error, "quiet.ogg: no beat found in the music");
    EXPECT_TRUE(fit.timingText.empty());
    EXPECT_TRUE(fit.strongOnsets.empty());
}

TEST(MusicFit, MovingTheDownbeatRefitsOnTheSameBeats) {
    const MadeTrack track = makeTrack({Kit::Drums, 120.0, 0.5, 0, 150.0});
    MusicFit fit = fitTrack(track);
    ASSERT_TRUE(fit.ok()) << fit.error;
    EXPECT_NE(fit.timingText.find("music: made.wav\n"), std::string::npos) << fit.timingText;
    const MusicFit shifted = fitTrack(track, 1);
    const std::vector<double> beats = fit.grid.beats;
    const int next = (fit.grid.firstDownbeat + 1) % fit.grid.beatsPerBar;

    ASSERT_TRUE(moveDownbeat(fit, next));
    EXPECT_EQ(fit.grid.beats, beats);
    EXPECT_EQ(fit.grid.firstDownbeat, next);
    // As the analysis itself moves it when asked.
    EXPECT_EQ(fit.timingText, shifted.timingText);
    // Segment 2 on a bar line of the moved bars, which it was not on before.
    const auto onBar = [](const std::vector<double>& bars, double t) {
        return std::any_of(bars.begin(), bars.end(), [t](double bar) { return std::abs(bar - t) <= 0.0005; });
    };
    EXPECT_TRUE(onBar(fit.grid.bars(), fit.timing.bounds[1])) << fit.timing.bounds[1];
    EXPECT_FALSE(onBar(shifted.grid.bars(), fitTrack(track).timing.bounds[1]));

    const std::string before = fit.timingText;
    EXPECT_FALSE(moveDownbeat(fit, fit.grid.beatsPerBar));
    EXPECT_FALSE(moveDownbeat(fit, -1));
    EXPECT_EQ(fit.grid.firstDownbeat, next);
    EXPECT_EQ(fit.timingText, before);
}

TEST(MusicFit, StrongOnsetsFallOnTheHitsInOrderAndFillNoMoreThanTheMarksList) {
    const MadeTrack track = makeTrack({Kit::Drums, 100.0, 0.3, 0, 40.0});
    const MusicFit fit = fitTrack(track);
    // Too short for the show, but not for marks.
    ASSERT_TRUE(fit.grid.found());
    ASSERT_GE(fit.strongOnsets.size(), 10u);
    for (std::size_t i = 0; i < fit.strongOnsets.size(); ++i) {
        EXPECT_LE(offHit(track, fit.strongOnsets[i]), 0.02) << "onset " << i << " at " << fit.strongOnsets[i];
        if (i > 0) {
            EXPECT_GE(fit.strongOnsets[i] - fit.strongOnsets[i - 1], kStrongOnsetSpacing);
        }
    }

    // Five minutes of hits: the list's room, the strongest, in order of time.
    const MadeTrack longer = makeTrack({Kit::Clicks, 150.0, 0.2, 0, 300.0});
    const MusicFit many = fitTrack(longer);
    ASSERT_TRUE(many.grid.found());
    ASSERT_EQ(many.strongOnsets.size(), std::size_t(kMaxSyncMarks));
    EXPECT_TRUE(std::is_sorted(many.strongOnsets.begin(), many.strongOnsets.end()));
    for (double t : many.strongOnsets) EXPECT_LE(offHit(longer, t), 0.02) << t;
}

}  // namespace
