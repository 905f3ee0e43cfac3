#pragma once

#include <string>
#include <vector>

// A music file decoded for the analysis of its beats: mono samples in
// [-1, 1], the channels averaged.
struct DecodedMusic {
    bool ok = false;
    std::vector<float> samples;
    double sampleRate = 0.0;
    // Why the file was not decoded, in words, without the file's name.
    std::string error;

    double seconds() const { return sampleRate > 0.0 ? double(samples.size()) / sampleRate : 0.0; }
};

// Decodes an MP3, Ogg Vorbis or WAV file with SDL2_mixer, as the show plays
// it, at kDecodedSampleRate. Needs no sound device: SDL's dummy output is
// opened only to tell the mixer the format to decode into. Not to be called
// while the mixer is open for playing.
DecodedMusic decodeMusicFile(const std::string& path);

constexpr int kDecodedSampleRate = 44100;
