#pragma once

#include <cstddef>
#include <vector>

// Where an instrument's sound goes: straight to the mix, and with these
// shares to the echo and the reverb. Ducked sound is pushed down for a
// moment at every kick, the pumping of dance music.
struct Send {
    float delay = 0.0f;
    float reverb = 0.0f;
    bool ducked = false;
};

// The mixing desk of the track: instruments add their samples into buses,
// and finish runs the echo, the reverb and the master stage over them.
class Mixer {
public:
    explicit Mixer(double seconds);

    size_t frames() const { return frames_; }
    // The frame at a time in seconds, rounded to the nearest.
    size_t frameAt(double seconds) const;

    void add(size_t frame, float left, float right, const Send& send) {
        if (frame >= frames_) return;
        std::vector<float>& l = send.ducked ? duckedLeft_ : dryLeft_;
        std::vector<float>& r = send.ducked ? duckedRight_ : dryRight_;
        l[frame] += left;
        r[frame] += right;
        if (send.delay > 0.0f) {
            delayLeft_[frame] += left * send.delay;
            delayRight_[frame] += right * send.delay;
        }
        if (send.reverb > 0.0f) {
            reverbLeft_[frame] += left * send.reverb;
            reverbRight_[frame] += right * send.reverb;
        }
    }

    // A kick at this time ducks the ducked bus.
    void duckAt(double seconds) { ducks_.push_back(seconds); }

    // Mixes everything down: the echo (ping-pong, echoSeconds apart), the
    // reverb, the ducking, the level (-14 LUFS, the loudness of streaming
    // services, with a limiter holding every peak, between samples too,
    // 3 dB under full scale) and fades of fadeIn and fadeOut seconds at the
    // ends, so that the track loops without a click.
    void finish(double echoSeconds, double fadeIn, double fadeOut, std::vector<float>& left,
                std::vector<float>& right);

private:
    void runEcho(double echoSeconds);
    void runReverb();
    void runDucking();

    size_t frames_;
    std::vector<float> dryLeft_, dryRight_;
    std::vector<float> duckedLeft_, duckedRight_;
    std::vector<float> delayLeft_, delayRight_;
    std::vector<float> reverbLeft_, reverbRight_;
    std::vector<double> ducks_;
};
