#pragma once

#include <cstdint>
#include <vector>

#include "tools/demodata/mixer.h"

// The instruments of the track. Each plays one note or hit into the mixer at
// a time in seconds; gains are linear, about 1 for a full-level part. Every
// sound is computed here from oscillators, noise, filters and envelopes.
// seed picks the noise, so that each hit differs slightly but every run is
// the same.

// A bass drum: a sine falling from about 170 Hz to 48 Hz with a click. Also
// ducks the mixer's ducked bus.
void playKick(Mixer& mixer, double time, float gain);
// A snare: two damped tones and band-passed noise.
void playSnare(Mixer& mixer, double time, float gain, uint32_t seed);
// A hand clap: three quick noise bursts and a short tail.
void playClap(Mixer& mixer, double time, float gain, uint32_t seed);
// A hi-hat, closed (short) or open (ringing), placed left to right by pan.
void playHat(Mixer& mixer, double time, float gain, bool open, float pan, uint32_t seed);
// A crash cymbal, wide and long.
void playCrash(Mixer& mixer, double time, float gain, uint32_t seed);
// A tom: a falling sine with a little noise.
void playTom(Mixer& mixer, double time, float gain, float hz, float pan);
// A deep impact that falls to a rumble, for section changes.
void playBoom(Mixer& mixer, double time, float gain, uint32_t seed);
// Noise through a band-pass filter that sweeps upwards, growing towards end.
void playRiser(Mixer& mixer, double start, double end, float gain, uint32_t seed);

// A bass note: saw and square through a resonant low-pass filter whose
// cutoff starts at brightness times 2 kHz and closes quickly.
void playBass(Mixer& mixer, double time, double length, int note, float gain, float brightness);
// A pad chord: three detuned saws a note spread across the stereo field,
// slow attack and release, low-pass filtered at a cutoff that moves from
// cutoffStart to cutoffEnd over the chord.
void playPad(Mixer& mixer, double time, double length, const std::vector<int>& notes, float gain,
             float cutoffStart, float cutoffEnd, uint32_t seed);
// A short plucked note through a closing filter, sent to the echo.
void playPluck(Mixer& mixer, double time, int note, float gain, float pan, float brightness);
// A lead note: detuned saws and a pulse with delayed vibrato, sent to the
// echo and the reverb.
void playLead(Mixer& mixer, double time, double length, int note, float gain);
// A brass-like chord stab with a noise burst, for accents.
void playStab(Mixer& mixer, double time, const std::vector<int>& notes, float gain, uint32_t seed);
