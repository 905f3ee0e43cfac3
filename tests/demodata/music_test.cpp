// The generated music, checked with ffprobe and ffmpeg.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "shell/schedule.h"
#include "tests/demodata/generated_content.h"
#include "tests/test_support.h"
#include "tools/demodata/music.h"

namespace {

std::string musicPath() { return generatedDir() + "/" + schedule::kMusicFile; }

bool haveFfmpeg() {
    return std::system("command -v ffprobe > /dev/null 2>&1 && command -v ffmpeg > /dev/null 2>&1") == 0;
}

#define REQUIRE_FFMPEG() \
    ASSERT_TRUE(haveFfmpeg()) << "ffprobe and ffmpeg (package ffmpeg, installed by scripts/deps) check the music"

// The value of "key=value" in ffprobe's output, or NaN.
double probeValue(const std::string& entries, const std::string& key) {
    const std::string out = runCommand("ffprobe -v error -show_entries " + entries +
                                       " -of default=noprint_wrappers=1 " + shellQuoted(musicPath()))
                                .out;
    const size_t at = out.find(key + "=");
    if (at == std::string::npos) return std::nan("");
    return std::atof(out.c_str() + at + key.size() + 1);
}

// The track decoded to mono 44100 Hz floats.
const std::vector<float>& decoded() {
    static const std::vector<float> samples = [] {
        TempDir dir;
        const std::string raw = dir.file("music.raw");
        std::vector<float> out;
        if (std::system(
                ("ffmpeg -v error -i " + shellQuoted(musicPath()) + " -f f32le -ac 1 -ar 44100 " + shellQuoted(raw))
                    .c_str()) != 0)
            return out;
        std::ifstream in(raw, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        out.resize(bytes.size() / sizeof(float));
        std::memcpy(out.data(), bytes.data(), out.size() * sizeof(float));
        return out;
    }();
    return samples;
}

// Loudness in dB of the decoded track between two times in seconds.
double loudness(double from, double to) {
    const std::vector<float>& s = decoded();
    const size_t a = size_t(from * 44100);
    const size_t b = std::min(s.size(), size_t(to * 44100));
    double sum = 0.0;
    for (size_t i = a; i < b; ++i) sum += double(s[i]) * s[i];
    return 10.0 * std::log10(sum / double(b > a ? b - a : 1) + 1e-12);
}

TEST(Music, IsStereo44100HzAtAConstantBitRate) {
    REQUIRE_FFMPEG();
    EXPECT_EQ(probeValue("stream=sample_rate", "sample_rate"), 44100.0);
    EXPECT_EQ(probeValue("stream=channels", "channels"), 2.0);
    const double rate = probeValue("stream=bit_rate", "bit_rate");
    EXPECT_GE(rate, 160000.0);
    EXPECT_LE(rate, 192000.0);
}

TEST(Music, LastsTheWholeShow) {
    REQUIRE_FFMPEG();
    const double duration = probeValue("format=duration", "duration");
    EXPECT_GE(duration, schedule::kShowEnd + kMusicFadeOutSeconds) << "the fade out begins after the show's end";
    EXPECT_LE(duration, kMusicSeconds + 1.0);
}

// The information tag tells decoders to drop the encoder's delay and padding:
// without it every loop would start with a gap of silence.
TEST(Music, DecodesToExactlyItsOwnLengthForGaplessLooping) {
    REQUIRE_FFMPEG();
    const std::vector<uint8_t> bytes = [] {
        std::ifstream in(musicPath(), std::ios::binary);
        return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }();
    ASSERT_GT(bytes.size(), 200u);
    EXPECT_EQ(bytes[0], 0xFF) << "the file must start with an MPEG frame, not an ID3 tag";
    EXPECT_EQ(bytes[1] & 0xE0, 0xE0);
    const std::string head(bytes.begin(), bytes.begin() + 200);
    EXPECT_TRUE(head.find("Info") != std::string::npos || head.find("Xing") != std::string::npos);
    EXPECT_NE(head.find("LAME"), std::string::npos);
    EXPECT_EQ(decoded().size(), size_t(kMusicSeconds * 44100));
}

TEST(Music, IsNeitherSilentNorClipped) {
    REQUIRE_FFMPEG();
    // volumedetect reports on standard error.
    const std::string out =
        runCommand("ffmpeg -hide_banner -i " + shellQuoted(musicPath()) + " -af volumedetect -f null -").err;
    const size_t mean = out.find("mean_volume: ");
    const size_t max = out.find("max_volume: ");
    ASSERT_NE(mean, std::string::npos) << out;
    ASSERT_NE(max, std::string::npos) << out;
    const double meanDb = std::atof(out.c_str() + mean + 13);
    const double maxDb = std::atof(out.c_str() + max + 12);
    EXPECT_GT(meanDb, -25.0);
    EXPECT_LT(maxDb, 0.0);
    // Sound all the way through: no second of the show is silent.
    for (int second = 0; second < 121; ++second) EXPECT_GT(loudness(second, second + 1), -45.0) << "second " << second;
}

TEST(Music, TheBeatStartsWithTheFirstTitle) {
    REQUIRE_FFMPEG();
    ASSERT_FALSE(decoded().empty());
    const double title = schedule::segmentStart(2);
    EXPECT_GT(loudness(title, title + 0.3), loudness(title - 0.4, title - 0.05) + 6.0);
}

TEST(Music, EveryFlashOfTheOpeningHasAnAccent) {
    REQUIRE_FFMPEG();
    ASSERT_FALSE(decoded().empty());
    for (const schedule::Window& w : schedule::kFlashes) {
        const double flash = w.begin;
        EXPECT_GT(loudness(flash, flash + 0.1), loudness(flash - 0.12, flash - 0.02) + 3.0) << "flash at " << flash;
    }
}

TEST(Music, EverySceneChangeOpensOnAHit) {
    REQUIRE_FFMPEG();
    ASSERT_FALSE(decoded().empty());
    for (int segment = 2; segment <= schedule::kSegmentCount; ++segment) {
        const double change = schedule::segmentStart(segment);
        EXPECT_GT(loudness(change, change + 0.08), loudness(change - 0.1, change - 0.02) + 3.0)
            << "scene change at " << change;
    }
}

}  // namespace
