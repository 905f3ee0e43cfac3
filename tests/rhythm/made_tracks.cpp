#include "tests/rhythm/made_tracks.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <random>

namespace {

const double kPi = std::acos(-1.0);

// Adds a sound from `at` on: a decaying sine (a kick's falling pitch) or
// decaying noise (a snare, a hat, a click).
void addTone(std::vector<float>& out, double at, double hertz, double fallTo, double decay, double gain) {
    const std::size_t start = std::size_t(std::llround(at * kMadeRate));
    double phase = 0.0;
    for (std::size_t i = 0; start + i < out.size() && i < std::size_t(6 * decay * kMadeRate); ++i) {
        const double t = double(i) / kMadeRate;
        phase += 2.0 * kPi * (fallTo + (hertz - fallTo) * std::exp(-t / 0.03)) / kMadeRate;
        out[start + i] += float(gain * std::exp(-t / decay) * std::sin(phase));
    }
}

void addNoise(std::vector<float>& out, double at, double decay, double gain, std::mt19937& random) {
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    const std::size_t start = std::size_t(std::llround(at * kMadeRate));
    for (std::size_t i = 0; start + i < out.size() && i < std::size_t(6 * decay * kMadeRate); ++i)
        out[start + i] += float(gain * std::exp(-double(i) / kMadeRate / decay)) * noise(random);
}

}  // namespace

MadeTrack makeTrack(const TrackPlan& plan) {
    MadeTrack track;
    track.samples.assign(std::size_t(plan.seconds * kMadeRate), 0.0f);
    std::mt19937 random(7);
    double at = plan.firstBeat;
    for (int n = plan.firstBeatInBar; at < plan.seconds - 0.5; ++n) {
        const double tempo = plan.changeTempo > 0.0 && at >= plan.changeAt ? plan.changeTempo : plan.tempo;
        const double beat = 60.0 / tempo;
        const int place = n % 4;
        track.beats.push_back(at);
        if (place == 0) track.downbeats.push_back(at);
        switch (plan.kit) {
        case Kit::Clicks:
            addTone(track.samples, at, 1500.0, 1500.0, 0.01, place == 0 ? 0.8 : 0.4);
            break;
        case Kit::Drums:
        case Kit::Swing: {
            if (place % 2 == 0)
                addTone(track.samples, at, 150.0, 50.0, 0.08, place == 0 ? 0.9 : 0.7);
            else
                addNoise(track.samples, at, 0.05, 0.5, random);
            const double late = plan.kit == Kit::Swing ? 2.0 / 3.0 : 0.5;
            addNoise(track.samples, at, 0.01, 0.1, random);
            addNoise(track.samples, at + late * beat, 0.01, 0.1, random);
            break;
        }
        }
        at += beat;
    }
    return track;
}

std::vector<float> whiteNoise(double seconds) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    std::vector<float> samples(std::size_t(seconds * kMadeRate));
    for (float& s : samples) s = noise(random);
    return samples;
}

void writeWav(const std::string& path, const std::vector<float>& samples) {
    std::ofstream out(path, std::ios::binary);
    const auto put = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out.put(char((value >> (8 * i)) & 0xff));
    };
    const std::uint32_t dataBytes = std::uint32_t(samples.size() * 2);
    out.write("RIFF", 4);
    put(36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    put(16, 4);
    put(1, 2);  // PCM
    put(1, 2);  // mono
    put(kMadeRate, 4);
    put(kMadeRate * 2, 4);
    put(2, 2);
    put(16, 2);
    out.write("data", 4);
    put(dataBytes, 4);
    for (float s : samples) {
        const float clipped = s > 1.0f ? 1.0f : (s < -1.0f ? -1.0f : s);
        put(std::uint32_t(std::uint16_t(std::int16_t(std::lround(clipped * 32767.0f)))), 2);
    }
}
