#pragma once

#include <string>
#include <vector>

// Drum tracks made by the tests, whose beats are known: mono, at kMadeRate.
constexpr int kMadeRate = 44100;

struct MadeTrack {
    std::vector<float> samples;
    // The beats as made, in seconds, and which of them start bars.
    std::vector<double> beats;
    std::vector<double> downbeats;
};

enum class Kit {
    // A click on each beat, louder on each bar's first.
    Clicks,
    // Kick on beats 1 and 3, snare on 2 and 4, a quieter hat on every quaver.
    Drums,
    // The same with the hats' second quavers late, at two thirds of the beat.
    Swing,
};

struct TrackPlan {
    Kit kit = Kit::Clicks;
    double tempo = 120.0;
    // Where the first beat falls, and its place in its bar (0 for a downbeat).
    double firstBeat = 0.0;
    int firstBeatInBar = 0;
    double seconds = 30.0;
    // From this time on the tempo is changeTempo (0: no change).
    double changeAt = 0.0;
    double changeTempo = 0.0;
};

MadeTrack makeTrack(const TrackPlan& plan);

// Samples of white noise at half of full scale.
std::vector<float> whiteNoise(double seconds);

// A 16-bit mono WAV file of the samples, at kMadeRate.
void writeWav(const std::string& path, const std::vector<float>& samples);
