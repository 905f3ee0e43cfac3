#include "tools/demodata/instruments.h"

#include <algorithm>
#include <cmath>

#include "tools/demodata/synth.h"

namespace {

// Attack, hold for the note's length, then release; t in seconds from the start.
float gate(float t, float length, float attack, float release) {
    if (t < 0.0f) return 0.0f;
    float level = attack > 0.0f ? std::min(1.0f, t / attack) : 1.0f;
    if (t > length) level *= std::max(0.0f, 1.0f - (t - length) / release);
    return level;
}

float decay(float t, float seconds) { return std::exp(-t / seconds); }

// Six square waves at unrelated pitches: the metallic ring of cymbals.
float metallic(float t, float scale) {
    static const float pitches[6] = {205.3f, 304.4f, 369.6f, 522.7f, 540.0f, 800.0f};
    float sum = 0.0f;
    for (float hz : pitches) {
        const float phase = hz * scale * t;
        sum += phase - std::floor(phase) < 0.5f ? 1.0f : -1.0f;
    }
    return sum;
}

const Send kDrums{0.0f, 0.05f, false};

}  // namespace

void playKick(Mixer& mixer, double time, float gain) {
    mixer.duckAt(time);
    const size_t start = mixer.frameAt(time);
    const int length = int(0.55f * kSampleRate);
    float phase = 0.0f;
    Noise noise(77);
    for (int i = 0; i < length; ++i) {
        const float t = float(i) / kSampleRate;
        const float hz = 48.0f + 120.0f * decay(t, 0.04f);
        phase += hz / kSampleRate;
        const float body = std::sin(kTwoPi * phase) * decay(t, 0.22f) * std::min(1.0f, t / 0.001f);
        const float click = noise.next() * decay(t, 0.003f) * 0.35f;
        const float s = std::tanh(1.8f * (body + click)) * gain * 0.75f;
        mixer.add(start + size_t(i), s, s, kDrums);
    }
}

void playSnare(Mixer& mixer, double time, float gain, uint32_t seed) {
    const size_t start = mixer.frameAt(time);
    const int length = int(0.4f * kSampleRate);
    Noise noise(seed);
    Filter band;
    band.tune(2800.0f, 0.2f);
    const Send send{0.0f, 0.25f, false};
    for (int i = 0; i < length; ++i) {
        const float t = float(i) / kSampleRate;
        const float tone = 0.5f * std::sin(kTwoPi * 185.0f * t) * decay(t, 0.06f) +
                           0.3f * std::sin(kTwoPi * 330.0f * t) * decay(t, 0.04f);
        const Filter::Out f = band.process(noise.next());
        const float rattle = (f.band * 1.2f + f.high * 0.3f) * decay(t, 0.13f);
        const float s = (tone + rattle) * gain * 1.1f;
        mixer.add(start + size_t(i), s, s, send);
    }
}

void playClap(Mixer& mixer, double time, float gain, uint32_t seed) {
    const size_t start = mixer.frameAt(time);
    const int length = int(0.35f * kSampleRate);
    Noise noise(seed);
    Filter band;
    band.tune(1300.0f, 0.45f);
    const Send send{0.0f, 0.3f, false};
    for (int i = 0; i < length; ++i) {
        const float t = float(i) / kSampleRate;
        float envelope = 0.0f;
        for (float burst : {0.0f, 0.011f, 0.022f})
            if (t >= burst) envelope = std::max(envelope, decay(t - burst, 0.006f));
        if (t >= 0.03f) envelope = std::max(envelope, 0.7f * decay(t - 0.03f, 0.11f));
        const float s = band.process(noise.next()).band * envelope * gain * 3.0f;
        mixer.add(start + size_t(i), s, s, send);
    }
}

void playHat(Mixer& mixer, double time, float gain, bool open, float pan, uint32_t seed) {
    const size_t start = mixer.frameAt(time);
    const float ring = open ? 0.22f : 0.035f;
    const int length = int((ring * 6.0f) * kSampleRate);
    Noise noise(seed);
    Filter high;
    high.tune(7500.0f, 0.1f);
    const Pan p = panGains(pan);
    for (int i = 0; i < length; ++i) {
        const float t = float(i) / kSampleRate;
        const float x = noise.next() * 0.7f + metallic(t, 2.0f) * 0.08f;
        const float s = high.process(x).high * decay(t, ring) * gain * 1.3f;
        mixer.add(start + size_t(i), s * p.left, s * p.right, kDrums);
    }
}

void playCrash(Mixer& mixer, double time, float gain, uint32_t seed) {
    const size_t start = mixer.frameAt(time);
    const int length = int(3.0f * kSampleRate);
    Noise left(seed);
    Noise right(seed * 31u + 7u);
    Filter highLeft;
    Filter highRight;
    highLeft.tune(4500.0f, 0.05f);
    highRight.tune(4700.0f, 0.05f);
    const Send send{0.0f, 0.2f, false};
    for (int i = 0; i < length; ++i) {
        const float t = float(i) / kSampleRate;
        const float envelope = decay(t, 0.9f) * std::min(1.0f, t / 0.002f) * gain * 0.45f;
        const float shimmer = metallic(t, 3.3f) * 0.06f;
        mixer.add(start + size_t(i), highLeft.process(left.next() + shimmer).high * envelope,
                  highRight.process(right.next() - shimmer).high * envelope, send);
    }
}

void playTom(Mixer& mixer, double time, float gain, float hz, float pan) {
    const size_t start = mixer.frameAt(time);
    const int length = int(0.45f * kSampleRate);
    const Pan p = panGains(pan);
    float phase = 0.0f;
    Noise noise(uint32_t(hz * 10.0f));
    const Send send{0.0f, 0.2f, false};
    for (int i = 0; i < length; ++i) {
        const float t = float(i) / kSampleRate;
        phase += hz * (0.7f + 0.5f * decay(t, 0.08f)) / kSampleRate;
        const float s = (std::sin(kTwoPi * phase) * decay(t, 0.18f) + noise.next() * 0.15f * decay(t, 0.01f)) * gain;
        mixer.add(start + size_t(i), s * p.left, s * p.right, send);
    }
}

void playBoom(Mixer& mixer, double time, float gain, uint32_t seed) {
    const size_t start = mixer.frameAt(time);
    const int length = int(2.0f * kSampleRate);
    float phase = 0.0f;
    Noise noise(seed);
    Filter low;
    low.tune(300.0f, 0.1f);
    const Send send{0.0f, 0.35f, false};
    for (int i = 0; i < length; ++i) {
        const float t = float(i) / kSampleRate;
        phase += (28.0f + 50.0f * decay(t, 0.25f)) / kSampleRate;
        const float rumble = low.process(noise.next()).low * decay(t, 0.35f) * 1.5f;
        const float s = std::tanh((std::sin(kTwoPi * phase) * decay(t, 0.7f) + rumble) * 1.3f) * gain * 0.6f;
        mixer.add(start + size_t(i), s, s, send);
    }
}

void playRiser(Mixer& mixer, double start, double end, float gain, uint32_t seed) {
    const size_t first = mixer.frameAt(start);
    const int length = int((end - start) * kSampleRate);
    Noise left(seed);
    Noise right(seed + 1u);
    Filter bandLeft;
    Filter bandRight;
    const Send send{0.1f, 0.4f, false};
    for (int i = 0; i < length; ++i) {
        const float progress = float(i) / float(length);
        if (i % 32 == 0) {
            const float hz = 250.0f * std::pow(36.0f, progress);
            bandLeft.tune(hz, 0.55f);
            bandRight.tune(hz * 1.06f, 0.55f);
        }
        const float level = progress * progress * gain * 0.9f;
        mixer.add(first + size_t(i), bandLeft.process(left.next()).band * level,
                  bandRight.process(right.next()).band * level, send);
    }
}

void playBass(Mixer& mixer, double time, double length, int note, float gain, float brightness) {
    const size_t start = mixer.frameAt(time);
    const float release = 0.04f;
    const int frames = int((float(length) + release) * kSampleRate);
    const float hz = midiToHz(float(note));
    Saw saw;
    Pulse square(0.5f, 0.25f);
    Sine sub;
    Filter filter;
    const Send send{0.0f, 0.0f, true};
    for (int i = 0; i < frames; ++i) {
        const float t = float(i) / kSampleRate;
        if (i % 16 == 0) filter.tune(90.0f + 2000.0f * brightness * decay(t, 0.12f), 0.45f);
        const float raw = saw.next(hz) * 0.6f + square.next(hz * 1.003f) * 0.5f;
        const float s = (filter.process(raw).low + sub.next(hz) * 0.5f) * gate(t, float(length), 0.004f, release) * gain * 0.85f;
        mixer.add(start + size_t(i), s, s, send);
    }
}

void playPad(Mixer& mixer, double time, double length, const std::vector<int>& notes, float gain,
             float cutoffStart, float cutoffEnd, uint32_t seed) {
    const size_t start = mixer.frameAt(time);
    const float attack = std::min(0.6f, float(length) * 0.3f);
    const float release = 1.2f;
    const int frames = int((float(length) + release) * kSampleRate);
    const Send send{0.0f, 0.35f, true};
    Random random(seed);
    const float voiceGain = gain * 0.18f / std::sqrt(float(notes.size()));
    for (size_t n = 0; n < notes.size(); ++n) {
        const float hz = midiToHz(float(notes[n]));
        // Left and right hear different detunings, which spreads the chord.
        Saw l1(random.unit()), l2(random.unit()), r1(random.unit()), r2(random.unit()), c(random.unit());
        const float wobble = random.unit() * kTwoPi;
        Filter filterLeft;
        Filter filterRight;
        for (int i = 0; i < frames; ++i) {
            const float t = float(i) / kSampleRate;
            if (i % 32 == 0) {
                const float progress = std::min(1.0f, t / float(length));
                const float cutoff = (cutoffStart + (cutoffEnd - cutoffStart) * progress) *
                                     (1.0f + 0.15f * std::sin(kTwoPi * 0.3f * t + wobble));
                filterLeft.tune(cutoff, 0.15f);
                filterRight.tune(cutoff * 1.03f, 0.15f);
            }
            const float centre = c.next(hz) * 0.6f;
            const float left = l1.next(hz * 0.9952f) + l2.next(hz * 1.0017f) + centre;
            const float right = r1.next(hz * 0.9983f) + r2.next(hz * 1.0049f) + centre;
            const float level = gate(t, float(length), attack, release) * voiceGain;
            mixer.add(start + size_t(i), filterLeft.process(left).low * level, filterRight.process(right).low * level,
                      send);
        }
    }
}

void playPluck(Mixer& mixer, double time, int note, float gain, float pan, float brightness) {
    const size_t start = mixer.frameAt(time);
    const int frames = int(0.6f * kSampleRate);
    const float hz = midiToHz(float(note));
    Saw saw;
    Pulse pulse(0.3f);
    Filter filter;
    const Pan p = panGains(pan);
    const Send send{0.45f, 0.25f, true};
    for (int i = 0; i < frames; ++i) {
        const float t = float(i) / kSampleRate;
        if (i % 16 == 0) filter.tune(250.0f + 5000.0f * brightness * decay(t, 0.07f), 0.35f);
        const float raw = saw.next(hz) * 0.5f + pulse.next(hz * 2.0f) * 0.4f;
        const float s = filter.process(raw).low * decay(t, 0.16f) * std::min(1.0f, t / 0.002f) * gain * 0.75f;
        mixer.add(start + size_t(i), s * p.left, s * p.right, send);
    }
}

void playLead(Mixer& mixer, double time, double length, int note, float gain) {
    const size_t start = mixer.frameAt(time);
    const float release = 0.15f;
    const int frames = int((float(length) + release) * kSampleRate);
    Saw a(0.1f), b(0.6f);
    Pulse pulse(0.25f);
    Filter filter;
    const Send send{0.35f, 0.3f, false};
    const float hz = midiToHz(float(note));
    for (int i = 0; i < frames; ++i) {
        const float t = float(i) / kSampleRate;
        // Vibrato fades in after a quarter second, as a player would.
        const float depth = std::min(1.0f, std::max(0.0f, (t - 0.25f) / 0.3f)) * 0.012f;
        const float f = hz * (1.0f + depth * std::sin(kTwoPi * 5.5f * t));
        if (i % 16 == 0) filter.tune(1400.0f + 3500.0f * decay(t, 0.15f), 0.3f);
        const float raw = a.next(f * 0.997f) * 0.4f + b.next(f * 1.003f) * 0.4f + pulse.next(f) * 0.5f;
        const float s = filter.process(raw).low * gate(t, float(length), 0.008f, release) * gain * 0.7f;
        mixer.add(start + size_t(i), s * 0.9f, s, send);
    }
}

void playStab(Mixer& mixer, double time, const std::vector<int>& notes, float gain, uint32_t seed) {
    const size_t start = mixer.frameAt(time);
    const int frames = int(0.9f * kSampleRate);
    const Send send{0.2f, 0.45f, false};
    const float voiceGain = gain * 0.6f / std::sqrt(float(notes.size()));
    Random random(seed);
    for (size_t n = 0; n < notes.size(); ++n) {
        const float hz = midiToHz(float(notes[n]));
        Saw left(random.unit()), right(random.unit());
        Filter filterLeft;
        Filter filterRight;
        for (int i = 0; i < frames; ++i) {
            const float t = float(i) / kSampleRate;
            if (i % 16 == 0) {
                const float cutoff = 500.0f + 6000.0f * decay(t, 0.09f);
                filterLeft.tune(cutoff, 0.25f);
                filterRight.tune(cutoff, 0.25f);
            }
            const float level = decay(t, 0.2f) * std::min(1.0f, t / 0.003f) * voiceGain;
            mixer.add(start + size_t(i), filterLeft.process(left.next(hz * 0.996f)).low * level,
                      filterRight.process(right.next(hz * 1.004f)).low * level, send);
        }
    }
    Noise noise(seed);
    Filter band;
    band.tune(3000.0f, 0.3f);
    for (int i = 0; i < int(0.12f * kSampleRate); ++i) {
        const float t = float(i) / kSampleRate;
        const float s = band.process(noise.next()).band * decay(t, 0.03f) * gain * 0.5f;
        mixer.add(start + size_t(i), s, s, send);
    }
}
