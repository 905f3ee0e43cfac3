// Every cut, flash and change inside a segment lands on an accent of the
// music, and the track is as loud as streaming services expect.
//
// An accent is measured the way a listener's ear would pick it out of the
// track: the decoded MP3, mono at 22050 Hz, cut into frames of 1024 samples
// every 256, each Hann-windowed and transformed; the spectral flux of a frame
// is how much its log spectrum L = log(1 + 10 |X|) rose over the previous
// frame's, summed over the bins. An onset is a local peak of the flux above
// 1.3 times the median flux of the second either side; an event's strength
// is its nearest onset's flux over the median flux of the other onsets
// within two seconds either side.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "geometry/vector_math.h"
#include "shell/schedule.h"
#include "tests/demodata/generated_content.h"
#include "tests/test_support.h"

namespace {

constexpr int kRate = 22050;
constexpr size_t kFrame = 1024;
constexpr size_t kHop = 256;
constexpr size_t kBins = kFrame / 2 + 1;

// The accent an event needs: an onset within the schedule's sync tolerance,
// this much stronger than the onsets around it.
constexpr double kLeastStrength = 2.5;

double frameSeconds(size_t frame) { return double(frame * kHop + kFrame / 2) / kRate; }

// An in-place radix-2 FFT; size a power of two.
void fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const double angle = -2.0 * double(kPi) / double(length);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += length) {
            std::complex<double> w(1.0);
            for (size_t j = 0; j < length / 2; ++j) {
                const std::complex<double> u = a[i + j];
                const std::complex<double> v = a[i + j + length / 2] * w;
                a[i + j] = u + v;
                a[i + j + length / 2] = u - v;
                w *= step;
            }
        }
    }
}

double median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// The spectral flux of every whole frame; the first frame has no previous
// one and a flux of 0.
std::vector<double> spectralFlux(const std::vector<float>& samples) {
    std::vector<double> window(kFrame);
    for (size_t i = 0; i < kFrame; ++i) window[i] = 0.5 - 0.5 * std::cos(2.0 * double(kPi) * double(i) / double(kFrame - 1));
    std::vector<double> flux;
    std::vector<double> previous(kBins, 0.0);
    std::vector<std::complex<double>> spectrum(kFrame);
    for (size_t start = 0; kFrame <= samples.size() - std::min(samples.size(), start); start += kHop) {
        for (size_t i = 0; i < kFrame; ++i) spectrum[i] = double(samples[start + i]) * window[i];
        fft(spectrum);
        double rise = 0.0;
        for (size_t k = 0; k < kBins; ++k) {
            const double level = std::log(1.0 + 10.0 * std::abs(spectrum[k]));
            if (start > 0) rise += std::max(0.0, level - previous[k]);
            previous[k] = level;
        }
        flux.push_back(rise);
    }
    return flux;
}

// The frames that are onsets: above the previous frame, at least the next,
// and above 1.3 times the median of the frames within a second either side.
std::vector<size_t> findOnsets(const std::vector<double>& flux) {
    std::vector<size_t> onsets;
    for (size_t n = 1; n + 1 < flux.size(); ++n) {
        if (!(flux[n] > flux[n - 1] && flux[n] >= flux[n + 1])) continue;
        std::vector<double> around;
        for (size_t m = n; m > 0 && frameSeconds(n) - frameSeconds(m - 1) <= 1.0; --m) around.push_back(flux[m - 1]);
        for (size_t m = n; m < flux.size() && frameSeconds(m) - frameSeconds(n) <= 1.0; ++m) around.push_back(flux[m]);
        if (flux[n] > 1.3 * median(around)) onsets.push_back(n);
    }
    return onsets;
}

struct Accent {
    double offset;    // seconds from the event to its nearest onset
    double strength;  // that onset's flux over the median of the others near it
};

Accent accentAt(const std::vector<double>& flux, const std::vector<size_t>& onsets, double seconds) {
    if (onsets.empty()) return Accent{std::nan(""), 0.0};
    size_t nearest = onsets[0];
    for (size_t onset : onsets)
        if (std::fabs(frameSeconds(onset) - seconds) < std::fabs(frameSeconds(nearest) - seconds)) nearest = onset;
    std::vector<double> others;
    for (size_t onset : onsets)
        if (onset != nearest && std::fabs(frameSeconds(onset) - frameSeconds(nearest)) <= 2.0)
            others.push_back(flux[onset]);
    const double typical = median(others);
    return Accent{frameSeconds(nearest) - seconds, typical > 0.0 ? flux[nearest] / typical : 0.0};
}

struct Event {
    std::string name;
    double seconds;
};

// Every moment the picture changes at: the segment changes, the flashes and
// the changes inside segments.
std::vector<Event> showEvents() {
    std::vector<Event> events;
    for (int segment = 2; segment <= schedule::kSegmentCount; ++segment)
        events.push_back({"segment " + std::to_string(segment), schedule::segmentStart(segment)});
    for (const schedule::Window& flash : schedule::kFlashes) events.push_back({"flash", flash.begin});
    events.push_back({"stripes", schedule::kStripesFrom});
    events.push_back({"waves", schedule::kWavesFrom});
    events.push_back({"pulse", schedule::kPulseFrom});
    return events;
}

std::string musicPath() { return generatedDir() + "/" + schedule::kMusicFile; }

// The track as ffmpeg decodes it: mono 16-bit at 22050 Hz, scaled to [-1, 1].
std::vector<float> decodedMono() {
    TempDir dir;
    const std::string raw = dir.file("music.raw");
    const std::string command = "ffmpeg -v error -i " + shellQuoted(musicPath()) + " -f s16le -ac 1 -ar " +
                                std::to_string(kRate) + " " + shellQuoted(raw);
    std::vector<float> samples;
    if (std::system(command.c_str()) != 0) return samples;
    std::ifstream in(raw, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    samples.resize(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        int16_t s;
        std::memcpy(&s, &bytes[2 * i], 2);
        samples[i] = float(s) / 32768.0f;
    }
    return samples;
}

// An impulse in silence has a flat spectrum of the window's height at the
// impulse: the first frame that holds it rises by log(1 + 10 w) in every
// bin, the next, where the window is higher, by the difference, and once
// the window falls again the flux is 0.
TEST(MusicAccents, FluxOfAnImpulseFollowsTheWindow) {
    std::vector<float> samples(4096, 0.0f);
    samples[2816] = 1.0f;
    const std::vector<double> flux = spectralFlux(samples);
    ASSERT_EQ(flux.size(), 13u);
    auto w = [](double i) { return 0.5 - 0.5 * std::cos(2.0 * double(kPi) * i / 1023.0); };
    for (size_t n = 0; n < 8; ++n) EXPECT_EQ(flux[n], 0.0) << "frame " << n;
    EXPECT_NEAR(flux[8], 513.0 * std::log(1.0 + 10.0 * w(768)), 1e-9);
    EXPECT_NEAR(flux[9], 513.0 * (std::log(1.0 + 10.0 * w(512)) - std::log(1.0 + 10.0 * w(768))), 1e-9);
    for (size_t n = 10; n < 13; ++n) EXPECT_NEAR(flux[n], 0.0, 1e-9) << "frame " << n;
}

// On a level flux of 1: a peak of 1.2 is no onset (not above 1.3 times the
// median), a peak of 2 is; of two equal frames only the first; the strength
// of an onset is over the median of the others within two seconds.
TEST(MusicAccents, OnsetsArePeaksAboveTheLocalMedianAndStrengthIsAgainstTheirNeighbours) {
    std::vector<double> flux(600, 1.0);
    flux[100] = 1.2;
    flux[150] = 2.0;
    flux[200] = flux[201] = 3.0;
    flux[250] = 12.0;
    flux[500] = 9.0;
    EXPECT_EQ(findOnsets(flux), (std::vector<size_t>{150, 200, 250, 500}));
    const Accent accent = accentAt(flux, findOnsets(flux), frameSeconds(250) + 0.004);
    EXPECT_NEAR(accent.offset, -0.004, 1e-12);
    // Frame 500 is 2.9 s away: the median is of 2 and 3.
    EXPECT_DOUBLE_EQ(accent.strength, 12.0 / 2.5);
}

TEST(Music, EveryCutFlashAndChangeLandsOnAnAccent) {
    const std::vector<float> samples = decodedMono();
    ASSERT_GT(samples.size(), size_t(schedule::kShowEnd * kRate))
        << "ffmpeg (package ffmpeg, installed by scripts/deps) decodes " << musicPath();
    const std::vector<double> flux = spectralFlux(samples);
    const std::vector<size_t> onsets = findOnsets(flux);
    std::string table;
    for (const Event& event : showEvents()) {
        const Accent accent = accentAt(flux, onsets, event.seconds);
        char line[96];
        std::snprintf(line, sizeof line, "%-10s at %7.2f s: onset %+4.0f ms, strength %.2f\n", event.name.c_str(),
                      event.seconds, accent.offset * 1000.0, accent.strength);
        table += line;
        EXPECT_LE(std::fabs(accent.offset), schedule::kSyncTolerance) << line;
        EXPECT_GE(accent.strength, kLeastStrength) << line;
    }
    std::printf("%s", table.c_str());
}

// EBU R 128 as ffmpeg measures it on the shipped file.
TEST(Music, IsAtStreamingLoudnessWithATruePeakBelowMinusOneDb) {
    // ebur128 reports on standard error.
    const std::string out =
        runCommand("ffmpeg -hide_banner -nostats -i " + shellQuoted(musicPath()) + " -af ebur128=peak=true -f null -")
            .err;
    const size_t summary = out.find("Summary:");
    ASSERT_NE(summary, std::string::npos) << "ffmpeg (package ffmpeg) measures the loudness:\n" << out;
    const size_t integrated = out.find("I:", summary);
    const size_t peak = out.find("Peak:", out.find("True peak:", summary));
    ASSERT_NE(integrated, std::string::npos) << out.substr(summary);
    ASSERT_NE(peak, std::string::npos) << out.substr(summary);
    const double lufs = std::atof(out.c_str() + integrated + 2);
    const double dbtp = std::atof(out.c_str() + peak + 5);
    EXPECT_GE(lufs, -15.0) << out.substr(summary);
    EXPECT_LE(lufs, -13.0) << out.substr(summary);
    EXPECT_LE(dbtp, -1.0) << out.substr(summary);
}

}  // namespace
