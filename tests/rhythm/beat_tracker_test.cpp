#include "rhythm/beat_tracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <sstream>
#include <string>

#include "shell/schedule.h"
#include "tests/rhythm/made_tracks.h"
#include "tools/music_file/decoded_music.h"

namespace {

// How near a found beat must lie to the beat it stands for: the show's own
// bound between sound and picture.
constexpr double kTolerance = schedule::kSyncTolerance;

double nearest(const std::vector<double>& times, double t) {
    double best = 1e9;
    for (double x : times) best = std::min(best, std::fabs(x - t));
    return best;
}

// "" when every found beat lies within kTolerance of a made one and every
// made beat from `from` to `to` seconds has a found beat that near; else
// the first beat that has not.
std::string mismatch(const std::vector<double>& found, const std::vector<double>& made, double from, double to) {
    std::ostringstream why;
    for (double t : found)
        if (t >= from && t <= to && nearest(made, t) > kTolerance) {
            why << "found beat " << t << " s is " << nearest(made, t) * 1000 << " ms from the nearest made beat";
            return why.str();
        }
    for (double t : made)
        if (t >= from && t <= to && nearest(found, t) > kTolerance) {
            why << "made beat " << t << " s is " << nearest(found, t) * 1000 << " ms from the nearest found beat";
            return why.str();
        }
    return {};
}

BeatGrid findInTrack(const MadeTrack& track, const BeatOptions& options = {}) {
    return findBeats(track.samples.data(), track.samples.size(), kMadeRate, options);
}

struct Case {
    const char* name;
    TrackPlan plan;
};

}  // namespace

TEST(BeatTracker, FindsTheMadeBeatsAtEachTempoAndOffset) {
    const Case cases[] = {
        {"clicks at 70", {Kit::Clicks, 70.0, 0.37, 0, 30.0, 0.0, 0.0}},
        {"drums at 70", {Kit::Drums, 70.0, 0.2, 0, 30.0, 0.0, 0.0}},
        {"drums at 95", {Kit::Drums, 95.0, 1.1, 0, 30.0, 0.0, 0.0}},
        {"drums at 128", {Kit::Drums, 128.0, 0.05, 2, 30.0, 0.0, 0.0}},
        {"drums at 150", {Kit::Drums, 150.0, 2.5, 1, 30.0, 0.0, 0.0}},
        {"clicks at 180", {Kit::Clicks, 180.0, 0.6, 3, 30.0, 0.0, 0.0}},
        {"swing at 110", {Kit::Swing, 110.0, 0.8, 0, 30.0, 0.0, 0.0}},
    };
    for (const Case& c : cases) {
        const MadeTrack track = makeTrack(c.plan);
        const BeatGrid grid = findInTrack(track);
        ASSERT_TRUE(grid.found()) << c.name;
        EXPECT_NEAR(grid.beatSeconds, 60.0 / c.plan.tempo, 0.005) << c.name;
        EXPECT_EQ(mismatch(grid.beats, track.beats, 0.0, c.plan.seconds), "") << c.name;
    }
}

TEST(BeatTracker, FollowsASmallTempoChange) {
    const TrackPlan plan{Kit::Drums, 120.0, 0.4, 0, 40.0, 20.0, 123.0};
    const MadeTrack track = makeTrack(plan);
    const BeatGrid grid = findInTrack(track);
    ASSERT_TRUE(grid.found());
    EXPECT_EQ(mismatch(grid.beats, track.beats, 0.0, plan.seconds), "");
}

TEST(BeatTracker, StartsTheBarsOnTheStrongestBeatOrWhereTold) {
    // The first beat is the bar's second: the first bar starts three beats on.
    const MadeTrack track = makeTrack({Kit::Clicks, 100.0, 0.3, 1, 30.0, 0.0, 0.0});
    const BeatGrid grid = findInTrack(track);
    ASSERT_TRUE(grid.found());
    ASSERT_FALSE(grid.bars().empty());
    EXPECT_EQ(mismatch(grid.bars(), track.downbeats, 0.0, 30.0), "");
    const BeatGrid moved = findInTrack(track, {4, 1});
    ASSERT_GE(moved.bars().size(), 2u);
    EXPECT_NEAR(moved.bars()[0], grid.bars()[0] - 3 * 0.6, kTolerance);
    EXPECT_NEAR(moved.bars()[1], grid.bars()[0] + 0.6, kTolerance);
}

TEST(BeatTracker, FindsNoBeatInSilenceNoiseOrAFewSeconds) {
    const std::vector<float> silence(std::size_t(20 * kMadeRate), 0.0f);
    EXPECT_FALSE(findBeats(silence.data(), silence.size(), kMadeRate).found());
    const std::vector<float> noise = whiteNoise(20.0);
    EXPECT_FALSE(findBeats(noise.data(), noise.size(), kMadeRate).found());
    const MadeTrack short_ = makeTrack({Kit::Clicks, 120.0, 0.1, 0, 3.0, 0.0, 0.0});
    EXPECT_FALSE(findInTrack(short_).found());
    EXPECT_FALSE(findBeats(nullptr, 0, kMadeRate).found());
}

// The show's music is built on the beat grid of schedule::kTempoAnchors; from
// segment 4 on, its tempo holds within a per cent up to the last title,
// whose closing chord rings on without a beat.
TEST(BeatTracker, FindsTheShowsOwnMusicOnItsBeatGrid) {
    const DecodedMusic music = decodeMusicFile(std::string(SHOW_DATA_DIR) + "/" + schedule::kMusicFile);
    ASSERT_TRUE(music.ok) << music.error;
    const BeatGrid grid = findBeats(music.samples.data(), music.samples.size(), music.sampleRate);
    ASSERT_TRUE(grid.found());
    std::vector<double> made;
    const auto& anchors = schedule::kTempoAnchors;
    for (std::size_t i = 0; i + 1 < std::size(anchors); ++i) {
        const schedule::TempoAnchor& a = anchors[i];
        const schedule::TempoAnchor& b = anchors[i + 1];
        for (double beat = a.beat; beat < b.beat; ++beat)
            made.push_back(a.seconds + (beat - a.beat) * (b.seconds - a.seconds) / (b.beat - a.beat));
    }
    const double lastTitle = schedule::segmentStart(schedule::kSegmentCount);
    EXPECT_EQ(mismatch(grid.beats, made, schedule::segmentStart(4), lastTitle), "");
}
