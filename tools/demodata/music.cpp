#include "tools/demodata/music.h"

#include <cmath>
#include <cstdint>
#include <iterator>

#include "shell/schedule.h"
#include "tools/demodata/instruments.h"
#include "tools/demodata/mixer.h"

namespace {

// Beats to seconds on the schedule's beat grid, pinned to the show's
// segment bounds. The opening runs at 96 beats a minute, the first title at
// 104, everything after within a few tenths of 100, and the closing titles
// in bars of five beats.
class TempoMap {
public:
    double seconds(double beat) const {
        return along(beat, &schedule::TempoAnchor::beat, &schedule::TempoAnchor::seconds);
    }

    // The beat at a time in seconds, for the moments of the show that are
    // off the grid.
    double beat(double seconds) const {
        return along(seconds, &schedule::TempoAnchor::seconds, &schedule::TempoAnchor::beat);
    }

private:
    // Straight between the two anchors around x, from one field to the other.
    static double along(double x, double schedule::TempoAnchor::*from, double schedule::TempoAnchor::*to) {
        const auto& anchors = schedule::kTempoAnchors;
        const size_t count = std::size(anchors);
        size_t i = 0;
        while (i + 2 < count && x >= anchors[i + 1].*from) ++i;
        const schedule::TempoAnchor& a = anchors[i];
        const schedule::TempoAnchor& b = anchors[i + 1];
        return a.*to + (x - a.*from) * (b.*to - a.*to) / (b.*from - a.*from);
    }
};

struct Chord {
    int root;
    std::vector<int> pad;
};

const Chord kAm{33, {57, 60, 64, 71}};
const Chord kF{29, {53, 57, 60, 67}};
const Chord kC{36, {52, 55, 60, 67}};
const Chord kG{31, {55, 59, 62, 69}};
const Chord kDm{38, {53, 57, 62, 65}};
const Chord kE{28, {52, 56, 59, 64}};

const std::vector<Chord> kMainProgression = {kAm, kF, kC, kG};
const std::vector<Chord> kDarkProgression = {kDm, kAm, kF, kE};

struct Note {
    double beat;
    double length;
    int pitch;
};

// The theme, over Am F C G.
const std::vector<Note> kTheme = {
    {0, 0.75, 69},   {0.75, 0.75, 72}, {1.5, 1, 76},    {2.5, 0.5, 74},  {3, 0.5, 72},    {3.5, 0.5, 74},
    {4, 0.75, 76},   {4.75, 0.75, 77}, {5.5, 1, 76},    {6.5, 1.5, 72},  {8, 0.75, 79},   {8.75, 0.75, 76},
    {9.5, 1, 72},    {10.5, 0.5, 74},  {11, 0.5, 76},   {11.5, 0.5, 79}, {12, 0.75, 81},  {12.75, 0.75, 79},
    {13.5, 1, 74},   {14.5, 1.5, 71},
};

// The answer, over Dm Am F E.
const std::vector<Note> kAnswer = {
    {0, 1.5, 74},  {1.5, 0.5, 77}, {2, 1, 76},     {3, 1, 74},     {4, 1.5, 72},   {5.5, 0.5, 76},
    {6, 2, 69},    {8, 0.5, 72},   {8.5, 0.5, 74}, {9, 1, 77},     {10, 1, 76},    {11, 1, 72},
    {12, 1.5, 71}, {13.5, 0.5, 68}, {14, 1, 71},   {15, 1, 76},
};

struct BassStep {
    int sixteenth;
    int interval;
    int length;
};

const std::vector<BassStep> kOffbeatBass = {{2, 0, 2}, {6, 0, 2}, {10, 0, 2}, {14, 12, 2}};
const std::vector<BassStep> kGrooveBass = {{0, 0, 3}, {3, 0, 1},   {4, 12, 2}, {6, 0, 2}, {8, 0, 1},
                                           {9, 0, 1}, {10, 12, 2}, {12, 7, 2}, {14, 12, 1}, {15, 7, 1}};
const std::vector<BassStep> kHalfTimeBass = {{0, 0, 5}, {6, 0, 2}, {10, 7, 3}, {14, 12, 2}};
const std::vector<BassStep> kFiveBass = {{0, 0, 4}, {6, 0, 2}, {8, 12, 2}, {12, 7, 4}, {16, 0, 2}, {18, 12, 2}};

// The track, section by section, in beats of the tempo map.
class Song {
public:
    explicit Song(Mixer& mixer) : mixer_(mixer) {}

    void play() {
        intro();
        firstTitles();
        flashes();
        mainGroove();
        tunnel();
        darkSections();
        climax();
        zoom();
        closingTitles();
    }

private:
    double at(double beat) const { return tempo_.seconds(beat); }
    double span(double beat, double beats) const { return at(beat + beats) - at(beat); }

    // The beat a segment starts on, and the show's last beat. Each lies on
    // an anchor of the grid, where the tempo map gives the anchor's own beat
    // exactly.
    double startBeat(int segment) const { return tempo_.beat(schedule::segmentStart(segment)); }
    double endBeat() const { return tempo_.beat(schedule::kShowEnd); }
    // The bars of four beats from one bar line to another.
    static int barsOfFour(double from, double to) { return int(std::lround((to - from) / 4.0)); }
    // The first bar of the groove: the first bar line of segment 4 after
    // the stripes, which drop in ahead of it.
    double grooveBeat() const {
        const double start = startBeat(4);
        return start + 4.0 * std::ceil((tempo_.beat(schedule::kStripesFrom) - start) / 4.0);
    }
    uint32_t seed() { return ++seed_ * 2654435761u; }

    // A stop: the drums, the bass and the arpeggio rest from one beat up to
    // another, so that the hit after it lands in a gap, the way a band stops
    // before a drop. Each section asks for its stop before it plays.
    void stop(double from, double to) { stops_.push_back({from, to}); }
    bool stopped(double beat) const {
        for (const Span& s : stops_)
            if (beat >= s.from && beat < s.to) return true;
        return false;
    }

    void kick(double beat, float gain = 1.0f) {
        if (!stopped(beat)) playKick(mixer_, at(beat), gain);
    }
    void clap(double beat, float gain = 0.55f) {
        if (!stopped(beat)) playClap(mixer_, at(beat), gain, seed());
    }
    void snare(double beat, float gain = 0.6f) {
        if (!stopped(beat)) playSnare(mixer_, at(beat), gain, seed());
    }
    void hat(double beat, float gain, bool open = false) {
        if (!stopped(beat)) playHat(mixer_, at(beat), gain, open, open ? 0.3f : -0.25f, seed());
    }
    void crash(double beat, float gain = 0.5f) { playCrash(mixer_, at(beat), gain, seed()); }
    void boom(double beat, float gain = 0.7f) { playBoom(mixer_, at(beat), gain, seed()); }
    void riser(double from, double to, float gain = 0.45f) { playRiser(mixer_, at(from), at(to), gain, seed()); }

    // The hit that opens a section, at a time in seconds: crash, snare and
    // clap together, the boom and the section's chord stabbed an octave
    // up. The kick under it is the groove's own, or played with it where
    // the groove has none.
    void impact(double seconds, const Chord& chord, float gain) {
        playCrash(mixer_, seconds, 0.6f * gain, seed());
        playSnare(mixer_, seconds, 0.5f * gain, seed());
        playClap(mixer_, seconds, 0.5f * gain, seed());
        playBoom(mixer_, seconds, 0.8f * gain, seed());
        std::vector<int> high = chord.pad;
        for (int& n : high) n += 12;
        playStab(mixer_, seconds, high, 0.8f * gain, seed());
    }

    void pad(double beat, double beats, const Chord& chord, float gain, float cutoffStart, float cutoffEnd) {
        playPad(mixer_, at(beat), span(beat, beats), chord.pad, gain, cutoffStart, cutoffEnd, seed());
    }

    void bass(double bar, const Chord& chord, const std::vector<BassStep>& steps, float brightness,
              float gain = 0.75f) {
        for (const BassStep& step : steps) {
            const double beat = bar + step.sixteenth * 0.25;
            if (stopped(beat)) continue;
            playBass(mixer_, at(beat), span(beat, step.length * 0.25) * 0.9, chord.root + step.interval, gain,
                     brightness);
        }
    }

    // Sixteenth notes up and down the chord, an octave above the pad.
    void arpeggio(double from, double beats, const Chord& chord, float gain, float brightness) {
        static const int order[8] = {0, 1, 2, 3, 2, 1, 3, 2};
        for (int i = 0; i < int(beats * 4); ++i) {
            const int step = int(std::lround(from * 4)) + i;
            if (stopped(from + i * 0.25)) continue;
            const int octave = (step / 8) % 2 == 0 ? 12 : 24;
            const int pitch = chord.pad[size_t(order[step % 8])] + octave - 12;
            playPluck(mixer_, at(from + i * 0.25), pitch, gain, (step % 2) ? 0.5f : -0.5f, brightness);
        }
    }

    void melody(double from, const std::vector<Note>& notes, int transpose, float gain) {
        for (const Note& n : notes)
            playLead(mixer_, at(from + n.beat), span(from + n.beat, n.length) * 0.92, n.pitch + transpose, gain);
    }

    // One bar of four beats of straight dance drums.
    void fourOnTheFloor(double bar, bool claps, bool sixteenths, bool openHats) {
        for (int beat = 0; beat < 4; ++beat) kick(bar + beat);
        if (claps) {
            clap(bar + 1);
            clap(bar + 3);
        }
        for (int s = 0; s < 16; ++s) {
            const double beat = bar + s * 0.25;
            if (s % 4 == 2) hat(beat, openHats ? 0.22f : 0.3f, openHats);
            else if (sixteenths && s % 4 != 0) hat(beat, 0.12f);
        }
    }

    void halfTime(double bar) {
        kick(bar);
        kick(bar + 2.5, 0.85f);
        snare(bar + 2, 0.7f);
        clap(bar + 2, 0.35f);
        for (int s = 0; s < 8; ++s) hat(bar + s * 0.5, s % 2 ? 0.25f : 0.15f);
    }

    void snareRoll(double from, double to) {
        const int steps = int(std::lround((to - from) * 4));
        for (int i = 0; i < steps; ++i) snare(from + i * 0.25, 0.25f + 0.45f * float(i) / float(steps));
    }

    // The opening: a pad swells, a plucked arpeggio opens up, a riser leads
    // towards the first beat and everything holds its breath for the last
    // half beat before it.
    void intro() {
        const double opening = startBeat(1);
        const double title = startBeat(2);
        pad(opening, title - 0.5 - opening, kAm, 0.9f, 350.0f, 2200.0f);
        // Sixteenths from six beats before the title up to the held half beat.
        for (int i = 0; i < 22; ++i) {
            const double beat = title - 6 + i * 0.25;
            const float progress = float(i) / 24.0f;
            static const int notes[8] = {57, 60, 64, 69, 71, 69, 64, 60};
            playPluck(mixer_, at(beat), notes[i % 8] + 12, 0.25f + 0.45f * progress, (i % 2) ? 0.4f : -0.4f,
                      0.1f + 0.7f * progress);
        }
        riser(title - 4, title - 0.5, 0.4f);
    }

    // The first two titles: the beat starts.
    void firstTitles() {
        const double first = startBeat(2);
        const double second = startBeat(3);
        const double drop = startBeat(4);
        impact(at(first), kAm, 1.0f);
        stop(second - 0.5, second);
        const int firstBars = barsOfFour(first, second);
        for (int bar = 0; bar < firstBars; ++bar) {
            const double beat = first + bar * 4;
            const Chord& chord = kMainProgression[size_t(bar) % kMainProgression.size()];
            fourOnTheFloor(beat, false, true, false);
            bass(beat, chord, kOffbeatBass, 0.5f);
            pad(beat, 4, chord, 0.7f, 1500.0f, 1500.0f);
            arpeggio(beat, 4, chord, 0.22f, 0.4f);
        }
        // A fill into the groove, resolving on the next chord.
        snareRoll(second - 1, second);
        impact(at(second), kC, 1.0f);
        for (int bar = 0; bar < barsOfFour(second, drop); ++bar) {
            const double beat = second + bar * 4;
            const Chord& chord = kMainProgression[size_t(firstBars + bar) % kMainProgression.size()];
            fourOnTheFloor(beat, true, true, true);
            bass(beat, chord, kGrooveBass, 0.6f);
            pad(beat, 4, chord, 0.7f, 1800.0f, 1800.0f);
            arpeggio(beat, 4, chord, 0.3f, 0.6f);
        }
        // The build stops a sixteenth short, so that the drop lands in a gap.
        riser(drop - 2, drop - 0.25);
        snareRoll(drop - 1, drop - 0.25);
    }

    // From segment 4's start to the stripes: the drums drop out under the
    // flashing opening object, and each flash gets a chord stab.
    void flashes() {
        const double start = startBeat(4);
        impact(at(start), kAm, 1.0f);
        kick(start);
        const double stripes = tempo_.beat(schedule::kStripesFrom);
        const std::vector<Chord> chords = {kAm, kF, kG};
        for (int bar = 0; bar < barsOfFour(start, grooveBeat()); ++bar) {
            const double beat = start + bar * 4;
            pad(beat, 4, chords.at(size_t(bar)), 1.0f, 700.0f, 1600.0f);
            const double held = std::min(beat + 4 * 0.95, stripes);
            playBass(mixer_, at(beat), at(held) - at(beat), chords.at(size_t(bar)).root, 0.6f, 0.15f);
            for (int s = 0; s < 8 && beat + s * 0.5 < stripes; ++s) hat(beat + s * 0.5, s % 2 ? 0.14f : 0.07f);
        }
        // The flashes come in pairs, a quaver apart, once a bar: a chord
        // for each. The first is the lighter, kick and chord; the second
        // adds clap, snare and crash, but for the last, whose crash the drop
        // after it takes.
        const std::vector<int> stabChords[std::size(schedule::kFlashes)] = {
            {69, 72, 76}, {72, 76, 81}, {65, 69, 72}, {69, 72, 77}, {67, 71, 74}, {71, 74, 79},
        };
        for (size_t i = 0; i < std::size(schedule::kFlashes); ++i) {
            const double seconds = schedule::kFlashes[i].begin;
            const bool second = i % 2 == 1;
            playKick(mixer_, seconds, second ? 1.0f : 0.55f);
            playStab(mixer_, seconds, stabChords[i], second ? 1.1f : 0.9f, seed());
            if (!second) continue;
            playClap(mixer_, seconds, 0.5f, seed());
            playSnare(mixer_, seconds, 0.45f, seed());
            if (i + 1 < std::size(schedule::kFlashes)) playCrash(mixer_, seconds, 0.35f, seed());
        }
        // The riser climbs to the last pair of flashes; after them the
        // groove drops in with the stripes, on the G that leads back to A
        // minor at the next bar.
        riser(start + 6, tempo_.beat(schedule::kFlashes[4].begin) - 0.5, 0.5f);
    }

    // From the stripes up to the tunnel: the full groove and the theme,
    // twice. It drops in a beat before its first bar, with the stripes.
    void mainGroove() {
        const double stripes = tempo_.beat(schedule::kStripesFrom);
        impact(schedule::kStripesFrom, kG, 1.25f);
        playKick(mixer_, schedule::kStripesFrom, 1.0f);
        bass(stripes, kG, {{0, 0, 2}, {2, 12, 2}}, 0.6f);
        hat(stripes + 0.5, 0.3f, true);
        // The waves start on a stab that anticipates the next bar's chord,
        // in a beat of stop-time.
        const double waves = tempo_.beat(schedule::kWavesFrom);
        stop(std::floor(waves), std::ceil(waves));
        impact(schedule::kWavesFrom, kF, 0.9f);
        playKick(mixer_, schedule::kWavesFrom, 0.9f);
        const double groove = grooveBeat();
        const double end = startBeat(5);
        stop(end - 0.5, end);
        const int bars = barsOfFour(groove, end);
        for (int bar = 0; bar < bars; ++bar) {
            const double beat = groove + bar * 4;
            const Chord& chord = bar == bars - 1 ? kAm : kMainProgression[size_t(bar % 4)];
            fourOnTheFloor(beat, true, true, true);
            bass(beat, chord, kGrooveBass, 0.5f + 0.05f * float(bar % 4));
            pad(beat, 4, chord, 0.6f, 1600.0f, 2400.0f);
            if (bar >= 4) arpeggio(beat, 4, chord, 0.16f, 0.5f);
        }
        // The theme is four bars long; its last bar holds an A up to the stop.
        melody(groove, kTheme, 0, 0.5f);
        melody(groove + 16, kTheme, 0, 0.55f);
        playLead(mixer_, at(end - 4), span(end - 4, 3.5), 69, 0.5f);
        crash(groove + 16, 0.4f);
        snareRoll(end - 2, end);
    }

    // The tunnel. Half-time drums under a bright arpeggio; when the view
    // starts to pulse, the full beat again.
    void tunnel() {
        const double start = startBeat(5);
        const double end = startBeat(6);
        impact(at(start), kAm, 1.0f);
        // The full beat comes in with the pulse, a little ahead of its bar:
        // the drums stop for the half beat before it and leave out the
        // downbeat, which the hit takes.
        const double pulse = tempo_.beat(schedule::kPulseFrom);
        stop(std::floor(pulse * 2.0) / 2.0, std::ceil(pulse) + 0.25);
        stop(end - 1, end);
        const int bars = barsOfFour(start, end);
        for (int bar = 0; bar < bars; ++bar) {
            const double beat = start + bar * 4;
            const Chord& chord = kMainProgression[size_t(bar) % kMainProgression.size()];
            arpeggio(beat, 4, chord, 0.4f, 0.9f);
            pad(beat, 4, chord, 0.55f, 1200.0f, 2000.0f);
            if (bar < bars / 2) {
                halfTime(beat);
                playBass(mixer_, at(beat), span(beat, 4) * 0.95, chord.root, 0.6f, 0.3f);
            } else {
                fourOnTheFloor(beat, true, true, false);
                bass(beat, chord, kOffbeatBass, 0.7f);
            }
        }
        impact(schedule::kPulseFrom, kC, 1.0f);
        playKick(mixer_, schedule::kPulseFrom, 1.0f);
        riser(end - 3, end - 0.25);
    }

    // The globe, in a darker key, then breaking apart.
    void darkSections() {
        const double start = startBeat(6);
        const double breaking = startBeat(7);
        const double end = startBeat(8);
        impact(at(start), kDm, 1.0f);
        stop(end - 0.5, end);
        for (int bar = 0; bar < barsOfFour(start, end); ++bar) {
            const double beat = start + bar * 4;
            const bool broken = beat >= breaking;
            const Chord& chord = kDarkProgression[size_t(bar % 4)];
            for (int b = 0; b < 4; ++b) kick(beat + b);
            snare(beat + 1, 0.6f);
            snare(beat + 3, 0.6f);
            if (broken) {
                clap(beat + 1, 0.4f);
                clap(beat + 3, 0.4f);
            }
            // Swung quavers.
            for (int q = 0; q < 8; ++q) hat(beat + q * 0.5 + (q % 2 ? 0.08 : 0.0), q % 2 ? 0.28f : 0.16f);
            bass(beat, chord, broken ? kGrooveBass : kOffbeatBass, 0.55f);
            pad(beat, 4, chord, 0.65f, 2000.0f, 2600.0f);
            if (broken) {
                arpeggio(beat, 4, chord, 0.2f, 0.7f);
                // Stutters: the chord stabbed on the last offbeats of the bar.
                if (bar % 2 == 1) {
                    std::vector<int> high = chord.pad;
                    for (int& n : high) n += 12;
                    playStab(mixer_, at(beat + 2.5), high, 0.35f, seed());
                    playStab(mixer_, at(beat + 3.5), high, 0.45f, seed());
                }
            }
        }
        melody(start, kAnswer, 0, 0.5f);
        crash(breaking, 0.6f);
        boom(breaking, 0.7f);
        melody(breaking, kAnswer, 12, 0.35f);
        melody(breaking, kAnswer, 0, 0.3f);
        snareRoll(end - 2, end);
    }

    // The ring around the viewer: everything at once.
    void climax() {
        const double start = startBeat(8);
        const double end = startBeat(9);
        impact(at(start), kAm, 1.0f);
        stop(end - 0.5, end);
        for (int bar = 0; bar < barsOfFour(start, end); ++bar) {
            const double beat = start + bar * 4;
            const Chord& chord = kMainProgression[size_t(bar) % kMainProgression.size()];
            fourOnTheFloor(beat, true, true, true);
            bass(beat, chord, kGrooveBass, 0.8f);
            pad(beat, 4, chord, 0.6f, 2600.0f, 3200.0f);
            arpeggio(beat, 4, chord, 0.22f, 0.8f);
            if (bar == 0) continue;
            crash(beat, 0.35f);
            std::vector<int> high = chord.pad;
            for (int& n : high) n += 12;
            playStab(mixer_, at(beat), high, 0.5f, seed());
        }
        melody(start, kTheme, 0, 0.55f);
        melody(start, kTheme, 12, 0.25f);
    }

    // The ringed ball rushes in and out; heavy half-time, then a build into
    // the closing titles.
    void zoom() {
        const double start = startBeat(9);
        const double end = startBeat(10);
        impact(at(start), kDm, 1.0f);
        stop(end - 1, end);
        for (int bar = 0; bar < barsOfFour(start, end); ++bar) {
            const double beat = start + bar * 4;
            const Chord& chord = kDarkProgression[size_t(bar) % kDarkProgression.size()];
            halfTime(beat);
            bass(beat, chord, kHalfTimeBass, 0.9f, 0.8f);
            pad(beat, 4, chord, 0.8f, 900.0f, 2800.0f);
            arpeggio(beat, 4, chord, 0.18f + 0.05f * float(bar), 0.6f);
        }
        riser(end - 4, end - 1, 0.6f);
        snareRoll(end - 2, end);
    }

    // The closing titles: a bar of five beats each (two for the first),
    // every bar opening with a crash and a stab.
    void closingTitles() {
        const std::vector<Chord> chords = {kAm, kF, kC, kG, kAm, kF, kDm, kE, kAm, kAm};
        const double start = startBeat(10);
        const int bars =
            int(std::lround((schedule::kShowEnd - schedule::segmentStart(10)) / schedule::kClosingBarSeconds));
        const double barBeats = (endBeat() - start) / bars;
        const double last = start + (bars - 1) * barBeats;
        stop(last - 0.5, last);
        impact(at(start), kAm, 1.0f);
        for (int bar = 0; bar < bars; ++bar) {
            const double beat = start + bar * barBeats;
            const Chord& chord = chords.at(size_t(bar));
            std::vector<int> high = chord.pad;
            for (int& n : high) n += 12;
            if (bar > 0) {
                crash(beat, bar % 2 == 0 ? 0.55f : 0.45f);
                snare(beat, 0.4f);
                playStab(mixer_, at(beat), high, 0.6f, seed());
            }
            if (bar == bars - 1) {
                // The last title: one last hit and the chord left to ring.
                kick(beat);
                boom(beat, 0.9f);
                pad(beat, barBeats, chord, 1.0f, 2400.0f, 500.0f);
                playLead(mixer_, at(beat), span(beat, barBeats - 1), 81, 0.45f);
                break;
            }
            if (bar == bars - 2) boom(beat, 0.7f);
            for (double k : {0.0, 1.5, 3.0}) kick(beat + k);
            clap(beat + 2);
            clap(beat + 4);
            for (int q = 0; q < int(barBeats * 2); ++q)
                hat(beat + q * 0.5, q == 7 ? 0.22f : (q % 2 ? 0.28f : 0.14f), q == 7);
            bass(beat, chord, kFiveBass, 0.7f);
            pad(beat, barBeats, chord, 0.6f, 2200.0f, 2600.0f);
            arpeggio(beat, barBeats, chord, 0.18f, 0.7f);
            // A figure on the chord's own notes, an octave up.
            const std::vector<Note> figure = {{0, 1, high[0]}, {1, 0.5, high[2]}, {1.5, 0.5, high[1]},
                                              {2, 1, high[3]},           {3, 1, high[2]},   {4, 1, high[1]}};
            melody(beat, figure, 0, 0.4f);
            if (bar == bars - 2) snareRoll(beat + barBeats - 1, beat + barBeats);
        }
    }

    struct Span {
        double from, to;
    };

    Mixer& mixer_;
    TempoMap tempo_;
    uint32_t seed_ = 0;
    std::vector<Span> stops_;
};

}  // namespace

Music renderMusic() {
    Mixer mixer(kMusicSeconds);
    Song song(mixer);
    song.play();
    Music music;
    // The echo repeats a dotted quaver later.
    mixer.finish(0.45, 0.01, kMusicFadeOutSeconds, music.left, music.right);
    return music;
}
