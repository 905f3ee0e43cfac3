#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "rhythm/beat_tracker.h"
#include "shell/timing.h"

// A piece of music's beats and bars and the show's timing fitted to them,
// as show-schedule --fit finds them, for the page: the music decoded by the
// browser, mixed to mono.
struct MusicFit {
    // The music's file name, with no folder part, and its length.
    std::string name;
    double seconds = 0.0;
    BeatGrid grid;
    // Where the music's strongest notes or hits start, in order: the
    // marks that author mode suggests.
    std::vector<double> strongOnsets;
    Timing timing;
    // The fitted timing, in the timing file's words; empty when refused.
    std::string timingText;
    // Why the music carries no show, in one line naming the music; empty when fitted.
    std::string error;

    bool ok() const { return error.empty(); }
};

// The fit of count mono samples at sampleRate, of the music file named
// name, its downbeat moved on by downbeatShift beats.
MusicFit fitMusic(const float* samples, std::size_t count, double sampleRate, const std::string& name,
                  int downbeatShift);

// The same music fitted again with its bars from beat firstDownbeat (0 to
// the beats of a bar less one), as an author who moves the first downbeat
// asks: the beats stay. False, and nothing changed, for music with no beat
// or a beat outside the first bar.
bool moveDownbeat(MusicFit& fit, int firstDownbeat);

// An onset is strong where it is the envelope's highest within this many
// seconds either side and at least kStrongOnsetShare of the level that
// only the strongest hundredth of the envelope's frames reach.
constexpr double kStrongOnsetSpacing = 0.25;
constexpr double kStrongOnsetShare = 0.6;
