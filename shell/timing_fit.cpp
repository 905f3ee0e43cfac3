#include "shell/timing_fit.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

using schedule::kSegmentCount;

// The show's bars up to the closing titles, in beats of its music
// (schedule::kTempoAnchors); the closing titles' bars are
// schedule::kClosingBarSeconds long.
constexpr int kShowBeatsPerBar = 4;
constexpr int kFirstClosingSegment = 10;
// Bars kept as the show has them while the music's bar is at most this
// factor longer or shorter than the show's.
constexpr double kBarLengthsKept = 1.3;

// The beat of the show's own music at a time of the built-in show.
double showBeatAt(double seconds) {
    const auto& anchors = schedule::kTempoAnchors;
    std::size_t i = 1;
    while (i + 1 < std::size(anchors) && anchors[i].seconds < seconds) ++i;
    const schedule::TempoAnchor& a = anchors[i - 1];
    const schedule::TempoAnchor& b = anchors[i];
    return a.beat + (seconds - a.seconds) * (b.beat - a.beat) / (b.seconds - a.seconds);
}

double showBeatsIn(int segment) {
    return showBeatAt(schedule::segmentEnd(segment)) - showBeatAt(schedule::segmentStart(segment));
}

int showBars(int segment) {
    if (segment >= kFirstClosingSegment)
        return int(std::lround((schedule::segmentEnd(segment) - schedule::segmentStart(segment)) /
                               schedule::kClosingBarSeconds));
    return int(std::lround(showBeatsIn(segment) / kShowBeatsPerBar));
}

// Where a moment of the built-in show falls in its segment, in beats from
// the segment's start, on the grid of half beats or of whole beats.
double beatsIntoSegment(double seconds, int segment, double grid) {
    const double beats = showBeatAt(seconds) - showBeatAt(schedule::segmentStart(segment));
    return std::round(beats / grid) * grid;
}

double milliseconds(double seconds) { return std::round(seconds * 1000.0) / 1000.0; }

FittedTiming refused(std::string why) {
    FittedTiming fit;
    fit.error = std::move(why);
    return fit;
}

}  // namespace

FittedTiming fitTiming(const MusicBeats& music) {
    const int perBar = music.beatsPerBar;
    if (perBar <= 0 || music.firstDownbeat < 0 || std::size_t(music.firstDownbeat) >= music.beats.size())
        return refused("no bar found in the music");
    const std::string nameProblem = fileNameProblem(music.music);
    if (!nameProblem.empty()) return refused("the music's file name " + nameProblem);
    std::vector<double> bars;
    for (std::size_t i = std::size_t(music.firstDownbeat); i < music.beats.size(); i += std::size_t(perBar))
        if (music.beats[i] <= music.seconds) bars.push_back(music.beats[i]);
    if (bars.size() < 2) return refused("the music holds no whole bar");
    const double barSeconds = (bars.back() - bars.front()) / double(bars.size() - 1);

    // The moments of segments 4 and 5, in beats from their segment's start.
    // A flash begins with its hit; it lasts as the built-in one does.
    double flashes[kFlashCount] = {};
    double flashSeconds = 0.0;
    for (int f = 0; f < kFlashCount; ++f) {
        flashes[f] = beatsIntoSegment(schedule::kFlashes[f].begin, 4, 0.5);
        flashSeconds = std::max(flashSeconds, schedule::kFlashes[f].end - schedule::kFlashes[f].begin);
    }
    const double stripes = beatsIntoSegment(schedule::kStripesFrom, 4, 1.0);
    const double waves = beatsIntoSegment(schedule::kWavesFrom, 4, 1.0);
    const double pulse = beatsIntoSegment(schedule::kPulseFrom, 5, 1.0);

    int count[kSegmentCount + 1] = {};
    int least[kSegmentCount + 1] = {};
    int total = 0;
    for (int s = 1; s <= kSegmentCount; ++s) {
        const int shown = showBars(s);
        const double ratio = (schedule::segmentEnd(s) - schedule::segmentStart(s)) / shown / barSeconds;
        const bool kept = ratio <= kBarLengthsKept && ratio >= 1.0 / kBarLengthsKept;
        least[s] = 1;
        count[s] = kept ? shown : std::max(1, int(std::lround(shown * ratio)));
    }
    // Segment 4 holds its flashes, stripes and waves, segment 5 its pulse.
    least[4] = int(std::floor(std::max(waves, flashes[kFlashCount - 1]) / perBar)) + 1;
    least[5] = int(std::floor(pulse / perBar)) + 1;
    for (int s = 1; s <= kSegmentCount; ++s) {
        count[s] = std::max(count[s], least[s]);
        total += count[s];
    }
    const int available = int(bars.size()) - 1;
    while (total > available) {
        int longest = 0;
        for (int s = 1; s <= kSegmentCount; ++s)
            if (count[s] > least[s] && (longest == 0 || count[s] > count[longest])) longest = s;
        if (longest == 0)
            return refused("the music holds " + std::to_string(available) + " bars; the show needs at least " +
                           std::to_string(total));
        --count[longest];
        --total;
    }

    FittedTiming fit;
    Timing& t = fit.timing;
    t.music = music.music;
    t.bounds[0] = 0.0;
    int bar = 0;
    int firstBeat[kSegmentCount + 1] = {};
    for (int s = 1; s <= kSegmentCount; ++s) {
        firstBeat[s] = music.firstDownbeat + bar * perBar;
        bar += count[s];
        t.bounds[s] = milliseconds(bars[std::size_t(bar)]);
    }
    // A time of the grid of half beats, counted from a beat of the music.
    const auto beatTime = [&](int from, double beats) {
        const std::size_t i = std::size_t(from + int(std::floor(beats)));
        const double part = beats - std::floor(beats);
        return part == 0.0 ? music.beats[i] : music.beats[i] + part * (music.beats[i + 1] - music.beats[i]);
    };
    double begins[kFlashCount] = {};
    for (int f = 0; f < kFlashCount; ++f) {
        begins[f] = beatTime(firstBeat[4], flashes[f]);
        // Flashes a quaver apart stay apart however fast the music.
        if (f > 0) flashSeconds = std::min(flashSeconds, begins[f] - begins[f - 1]);
    }
    for (int f = 0; f < kFlashCount; ++f)
        t.flashes[f] = {milliseconds(begins[f]), milliseconds(begins[f] + flashSeconds)};
    t.stripes = milliseconds(beatTime(firstBeat[4], stripes));
    t.waves = milliseconds(beatTime(firstBeat[4], waves));
    t.pulse = milliseconds(beatTime(firstBeat[5], pulse));
    const std::string fault = checkTiming(t);
    if (!fault.empty()) return refused("the fitted timing is refused: " + fault);
    fit.ok = true;
    return fit;
}
