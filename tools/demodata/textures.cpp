#include "tools/demodata/textures.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <stdexcept>

#include "geometry/vector_math.h"
#include "shell/schedule.h"
#include "tools/demodata/random.h"

const char* const kPlasmaTexture = "demodata/plasma.jpg";
const char* const kMarbleTexture = "demodata/marble.jpg";
const char* const kCheckerTexture = "demodata/checker.jpg";
const char* const kChromeTexture = "demodata/chrome.jpg";
const char* const kLavaTexture = "demodata/lava.jpg";
const char* const kTilesTexture = schedule::kTilesTexture;
const char* const kStripesTexture = "demodata/stripes.jpg";

namespace {

constexpr int kJpegQuality = 90;

struct Colour {
    float r, g, b;
};

Colour mix(Colour a, Colour b, float t) {
    return Colour{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// A colour ramp through evenly spaced stops, for t in [0, 1].
Colour ramp(const std::vector<Colour>& stops, float t) {
    t = std::clamp(t, 0.0f, 1.0f) * float(stops.size() - 1);
    const size_t i = std::min(size_t(t), stops.size() - 2);
    return mix(stops[i], stops[i + 1], t - float(i));
}

uint8_t toByte(float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

// Fills a size x size image from shade(x, y) with x and y in [0, 1).
Image draw(int size, const std::function<Colour(float x, float y)>& shade) {
    Image image;
    image.width = size;
    image.height = size;
    image.rgb.resize(size_t(size) * size_t(size) * 3);
    uint8_t* p = image.rgb.data();
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const Colour c = shade(float(x) / float(size), float(y) / float(size));
            *p++ = toByte(c.r);
            *p++ = toByte(c.g);
            *p++ = toByte(c.b);
        }
    }
    return image;
}

// Value noise on a lattice that wraps around, so that it tiles.
class TileableNoise {
public:
    TileableNoise(int lattice, uint32_t seed) : lattice_(lattice), values_(size_t(lattice) * size_t(lattice)) {
        Random random(seed);
        for (float& v : values_) v = random.unit();
    }

    // x and y in [0, 1); the result in [0, 1].
    float at(float x, float y) const {
        const float fx = x * float(lattice_);
        const float fy = y * float(lattice_);
        const int x0 = int(std::floor(fx));
        const int y0 = int(std::floor(fy));
        const float sx = smooth(fx - float(x0));
        const float sy = smooth(fy - float(y0));
        const float top = value(x0, y0) + (value(x0 + 1, y0) - value(x0, y0)) * sx;
        const float bottom = value(x0, y0 + 1) + (value(x0 + 1, y0 + 1) - value(x0, y0 + 1)) * sx;
        return top + (bottom - top) * sy;
    }

private:
    static float smooth(float t) { return t * t * (3.0f - 2.0f * t); }
    float value(int x, int y) const {
        const int wx = ((x % lattice_) + lattice_) % lattice_;
        const int wy = ((y % lattice_) + lattice_) % lattice_;
        return values_[size_t(wy) * size_t(lattice_) + size_t(wx)];
    }

    int lattice_;
    std::vector<float> values_;
};

// Fractal sum of octaves, each twice as fine and half as strong; in [0, 1].
class FractalNoise {
public:
    FractalNoise(int firstLattice, int octaves, uint32_t seed) {
        for (int i = 0; i < octaves; ++i) octaves_.emplace_back(firstLattice << i, seed + uint32_t(i) * 7919u);
    }

    float at(float x, float y) const {
        float sum = 0.0f;
        float weight = 0.5f;
        float total = 0.0f;
        for (const TileableNoise& octave : octaves_) {
            sum += octave.at(x, y) * weight;
            total += weight;
            weight *= 0.5f;
        }
        return sum / total;
    }

private:
    std::vector<TileableNoise> octaves_;
};

// Every frequency below is a whole number of periods across the image, so
// the patterns tile.
Image plasma() {
    return draw(512, [](float x, float y) {
        const float a = std::sin(kTwoPi * (2.0f * x) + 1.3f * std::sin(kTwoPi * y));
        const float b = std::sin(kTwoPi * (3.0f * y) + 0.8f * std::cos(kTwoPi * 2.0f * x));
        const float c = std::sin(kTwoPi * (2.0f * x + 3.0f * y));
        const float d = std::cos(kTwoPi * (4.0f * x - 1.0f * y) + 2.0f * std::sin(kTwoPi * (x + y)));
        const float v = (a + b + c + d) * 0.25f;
        const float phase = v * kPi * 2.0f;
        return Colour{0.5f + 0.5f * std::sin(phase), 0.5f + 0.5f * std::sin(phase + 2.1f),
                      0.5f + 0.5f * std::sin(phase + 4.2f)};
    });
}

Image marble() {
    const FractalNoise noise(4, 6, 11);
    const std::vector<Colour> veins = {{0.05f, 0.08f, 0.25f}, {0.20f, 0.35f, 0.70f}, {0.85f, 0.90f, 1.00f},
                                       {0.30f, 0.55f, 0.85f}, {0.05f, 0.10f, 0.30f}};
    return draw(512, [&](float x, float y) {
        const float v = std::sin(kTwoPi * (3.0f * x + 1.0f * y) + 9.0f * noise.at(x, y));
        return ramp(veins, 0.5f + 0.5f * v);
    });
}

Image checker() {
    return draw(256, [](float x, float y) {
        const int cx = int(x * 8.0f);
        const int cy = int(y * 8.0f);
        // A soft bevel: cells darken towards their edges.
        const float ex = std::fabs(x * 8.0f - float(cx) - 0.5f);
        const float ey = std::fabs(y * 8.0f - float(cy) - 0.5f);
        const float bevel = 1.0f - 0.6f * std::pow(std::max(ex, ey) * 2.0f, 6.0f);
        const Colour dark{0.10f, 0.12f, 0.45f};
        const Colour light{1.00f, 0.70f, 0.20f};
        const Colour c = ((cx + cy) & 1) ? light : dark;
        return Colour{c.r * bevel, c.g * bevel, c.b * bevel};
    });
}

Image chrome() {
    const std::vector<Colour> sky = {{0.10f, 0.05f, 0.02f}, {0.55f, 0.35f, 0.20f}, {1.00f, 1.00f, 1.00f},
                                     {0.55f, 0.75f, 1.00f}, {0.15f, 0.30f, 0.70f}, {0.10f, 0.05f, 0.02f}};
    return draw(256, [&](float x, float y) {
        const float wobble = 0.04f * std::sin(kTwoPi * 2.0f * x) + 0.02f * std::sin(kTwoPi * 5.0f * x);
        float t = y * 2.0f + wobble;
        t -= std::floor(t);
        return ramp(sky, t);
    });
}

Image lava() {
    const FractalNoise noise(4, 5, 23);
    const FractalNoise cracks(8, 3, 47);
    const std::vector<Colour> fire = {{0.05f, 0.0f, 0.0f},  {0.45f, 0.02f, 0.0f}, {0.90f, 0.25f, 0.0f},
                                      {1.00f, 0.65f, 0.1f}, {1.00f, 0.95f, 0.6f}};
    return draw(256, [&](float x, float y) {
        const float heat = noise.at(x, y);
        const float crack = 1.0f - std::fabs(cracks.at(x, y) * 2.0f - 1.0f);
        return ramp(fire, heat * 0.7f + std::pow(crack, 8.0f) * 0.6f);
    });
}

Image tiles() {
    // Every tile gets its own shade of green to teal.
    Random random(5);
    float hue[4][4];
    for (auto& row : hue)
        for (float& h : row) h = random.unit();
    return draw(256, [&](float x, float y) {
        const int tx = int(x * 4.0f);
        const int ty = int(y * 4.0f);
        const float fx = x * 4.0f - float(tx);
        const float fy = y * 4.0f - float(ty);
        const float edge = std::min(std::min(fx, 1.0f - fx), std::min(fy, 1.0f - fy));
        if (edge < 0.04f) return Colour{0.08f, 0.08f, 0.08f};
        const float light = edge < 0.10f ? (fx < 0.5f && fy < 0.5f ? 1.25f : 0.7f) : 1.0f;
        const float h = hue[ty][tx];
        return Colour{(0.15f + 0.2f * h) * light, (0.55f + 0.3f * h) * light, (0.45f + 0.45f * (1.0f - h)) * light};
    });
}

Image stripes() {
    return draw(256, [](float x, float y) {
        const float t = 4.0f * (x + y);
        const float band = t - std::floor(t);
        const float phase = kTwoPi * (x + y);
        const float glow = 0.55f + 0.45f * std::sin(kTwoPi * band);
        return Colour{glow * (0.5f + 0.5f * std::sin(phase)), glow * (0.5f + 0.5f * std::sin(phase + 2.1f)),
                      glow * (0.5f + 0.5f * std::sin(phase + 4.2f))};
    });
}

}  // namespace

std::vector<TextureFile> buildTextures() {
    std::vector<TextureFile> textures;
    textures.push_back({kPlasmaTexture, plasma()});
    textures.push_back({kMarbleTexture, marble()});
    textures.push_back({kCheckerTexture, checker()});
    textures.push_back({kChromeTexture, chrome()});
    textures.push_back({kLavaTexture, lava()});
    textures.push_back({kTilesTexture, tiles()});
    textures.push_back({kStripesTexture, stripes()});
    return textures;
}

std::vector<uint8_t> encodeJpeg(const Image& image) {
    std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitCompress(), tjDestroy);
    if (!handle) throw std::runtime_error("cannot start the JPEG encoder");
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int rc = tjCompress2(handle.get(), image.rgb.data(), image.width, 0, image.height, TJPF_RGB, &jpeg, &size,
                               TJSAMP_444, kJpegQuality, 0);
    std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(jpeg, tjFree);
    if (rc != 0) throw std::runtime_error(std::string("JPEG encoding failed: ") + tjGetErrorStr2(handle.get()));
    return std::vector<uint8_t>(jpeg, jpeg + size);
}
