#pragma once

#include <cstddef>
#include <vector>

#include "rhythm/onset_envelope.h"

// The beats and bars of a piece of music. A track holds one tempo, found
// over the whole of it; the beats follow the music's own hits around that
// tempo, so a track that drifts a little (a player, a ritardando of a few
// per cent) is followed, but one that changes tempo outright is not.
struct BeatGrid {
    // Seconds a beat, at the track's tempo; 0 when no beat was found.
    double beatSeconds = 0.0;
    // Each beat's time in seconds, in order; empty when none was found.
    std::vector<double> beats;
    int beatsPerBar = 4;
    // beats[firstDownbeat] starts the first bar, and every beatsPerBar-th
    // beat after it another.
    int firstDownbeat = 0;

    bool found() const { return !beats.empty(); }
    // The times of the bar lines: the downbeats.
    std::vector<double> bars() const;
};

struct BeatOptions {
    int beatsPerBar = 4;
    // The bars start where the onsets are strongest, moved on by this many
    // beats (negative: back), for music whose strongest beat is not its one.
    int downbeatShift = 0;
};

// The music's tempo by the autocorrelation of its onset envelope, and its
// beats by dynamic programming (D. P. W. Ellis, "Beat Tracking by Dynamic
// Programming", J. New Music Research 36(1), 2007): the beats that fall on
// strong onsets while keeping to the tempo. No beat is found in music
// shorter than kShortestMusicSeconds, in silence, or in music whose onsets
// repeat at no tempo between kSlowestTempo and kFastestTempo (noise).
BeatGrid findBeats(const OnsetEnvelope& envelope, const BeatOptions& options = {});

// The same, from count mono samples at sampleRate samples a second.
BeatGrid findBeats(const float* samples, std::size_t count, double sampleRate, const BeatOptions& options = {});

constexpr double kShortestMusicSeconds = 10.0;
// Beats a minute.
constexpr double kSlowestTempo = 60.0;
constexpr double kFastestTempo = 200.0;
