#include "rhythm/beat_tracker.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// Where no tempo stands out, a listener taps at about 120 beats a minute:
// the tempi are weighed by their distance from it, in octaves (Ellis 2007).
constexpr double kPreferredTempo = 120.0;
constexpr double kTempoSpreadOctaves = 1.0;
// Onsets that repeat at the best tempo at least this much (an
// autocorrelation, 1 for a click track) make a beat; noise stays under 0.05.
constexpr double kLeastPeriodicity = 0.15;
// A pulse twice as fast that is nearly as strong is the beat, the slower
// one its half bars: clicks at 180 repeat as well at 90, and a kick and a
// snare that alternate at 150 repeat better at 75 (measured: the faster
// pulse holds 0.8 to 0.86 of the slower's there, a hat's quavers at 95 only
// 0.65).
constexpr double kFasterPulseShare = 0.75;
// And a pulse twice as slow that is much stronger is the beat, the faster
// one its quavers: a kick and a snare at 70 under a hat's quavers repeat
// 1.31 times as well at 70 as at 140, a swung hat at 110 only 1.14 times as
// well at 55.
constexpr double kSlowerPulseShare = 1.2;
// How strictly the beats keep to the tempo against following the onsets
// (Ellis's alpha, on the envelope scaled to a unit deviation). Ellis's 100
// lets a single stab off the beat, or a bar without drums, pull the beats
// by a quaver; at 1000 they hold through them and still follow a tempo that
// moves by a few per cent.
constexpr double kTightness = 1000.0;
// A beat at the music's ends whose onset is under this share of the
// beats' typical one is the silence or the fade around the music.
constexpr double kWeakBeatShare = 0.5;
constexpr int kLeastBeats = 8;
// How far from the beat its onset's peak is looked for, in frames (of about 6 ms).
constexpr int kPeakReach = 2;

double mean(const std::vector<double>& v) { return std::accumulate(v.begin(), v.end(), 0.0) / double(v.size()); }

// The highest onset within kPeakReach frames of frame, as a fractional frame
// (a parabola through the peak and its neighbours) and its height.
struct Peak {
    double frame;
    double height;
};

Peak peakNear(const std::vector<double>& onsets, int frame) {
    const int n = int(onsets.size());
    int best = std::clamp(frame, 0, n - 1);
    for (int i = std::max(0, frame - kPeakReach); i <= std::min(n - 1, frame + kPeakReach); ++i)
        if (onsets[std::size_t(i)] > onsets[std::size_t(best)]) best = i;
    double offset = 0.0;
    if (best > 0 && best < n - 1) {
        const double a = onsets[std::size_t(best - 1)];
        const double b = onsets[std::size_t(best)];
        const double c = onsets[std::size_t(best + 1)];
        const double curve = a - 2.0 * b + c;
        if (curve < 0.0) offset = std::clamp(0.5 * (a - c) / curve, -0.5, 0.5);
    }
    return {best + offset, onsets[std::size_t(best)]};
}

// The autocorrelation of the onsets, less their local mean, at lags 0 to
// maxLag, as a share of the lag 0's.
std::vector<double> autocorrelation(const std::vector<double>& onsets, int maxLag, double framesPerSecond) {
    const int n = int(onsets.size());
    // The local mean over about a second: loud and quiet passages are no pulse.
    const int half = std::max(1, int(framesPerSecond / 2));
    std::vector<double> prefix(std::size_t(n + 1), 0.0);
    for (int i = 0; i < n; ++i) prefix[std::size_t(i + 1)] = prefix[std::size_t(i)] + onsets[std::size_t(i)];
    std::vector<double> x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const int lo = std::max(0, i - half), hi = std::min(n, i + half + 1);
        x[std::size_t(i)] = onsets[std::size_t(i)] - (prefix[std::size_t(hi)] - prefix[std::size_t(lo)]) / (hi - lo);
    }
    std::vector<double> r(std::size_t(maxLag + 1), 0.0);
    for (int lag = 0; lag <= maxLag && lag < n; ++lag) {
        double sum = 0.0;
        for (int i = 0; i + lag < n; ++i) sum += x[std::size_t(i)] * x[std::size_t(i + lag)];
        r[std::size_t(lag)] = sum / (n - lag);
    }
    if (!(r[0] > 0.0)) return {};
    const double zero = r[0];
    for (double& value : r) value /= zero;
    return r;
}

bool isLocalPeak(const std::vector<double>& r, int lag) {
    return lag > 0 && lag + 1 < int(r.size()) && r[std::size_t(lag)] >= r[std::size_t(lag - 1)] &&
           r[std::size_t(lag)] >= r[std::size_t(lag + 1)];
}

// The beat's period in frames, fractional; 0 when the onsets repeat at no tempo.
double findPeriod(const std::vector<double>& onsets, double framesPerSecond) {
    const int shortest = int(std::floor(framesPerSecond * 60.0 / kFastestTempo));
    const int longest = int(std::ceil(framesPerSecond * 60.0 / kSlowestTempo));
    const std::vector<double> r = autocorrelation(onsets, longest + 1, framesPerSecond);
    if (r.empty()) return 0.0;
    const double preferred = framesPerSecond * 60.0 / kPreferredTempo;
    int best = 0;
    double bestScore = 0.0;
    for (int lag = shortest; lag <= longest; ++lag) {
        if (!isLocalPeak(r, lag)) continue;
        const double octaves = std::log2(lag / preferred) / kTempoSpreadOctaves;
        const double score = std::exp(-0.5 * octaves * octaves) * r[std::size_t(lag)];
        if (score > bestScore) bestScore = score, best = lag;
    }
    if (best == 0) return 0.0;
    int faster = 0;
    for (int lag = best / 2 - 2; lag <= best / 2 + 2; ++lag)
        if (lag >= shortest && isLocalPeak(r, lag) && (faster == 0 || r[std::size_t(lag)] > r[std::size_t(faster)]))
            faster = lag;
    int slower = 0;
    for (int lag = 2 * best - 2; lag <= std::min(2 * best + 2, longest); ++lag)
        if (isLocalPeak(r, lag) && (slower == 0 || r[std::size_t(lag)] > r[std::size_t(slower)])) slower = lag;
    if (faster != 0 && r[std::size_t(faster)] >= kFasterPulseShare * r[std::size_t(best)])
        best = faster;
    else if (slower != 0 && r[std::size_t(slower)] >= kSlowerPulseShare * r[std::size_t(best)])
        best = slower;
    if (r[std::size_t(best)] < kLeastPeriodicity) return 0.0;
    const double a = r[std::size_t(best - 1)], b = r[std::size_t(best)], c = r[std::size_t(best + 1)];
    const double curve = a - 2.0 * b + c;
    return curve < 0.0 ? best + std::clamp(0.5 * (a - c) / curve, -0.5, 0.5) : double(best);
}

// Ellis's dynamic programme: the best chain of beats, each scoring its onset
// less kTightness times the squared log of how far its gap to the beat
// before differs from the period. The frames of the beats, in order.
std::vector<int> trackBeatFrames(const std::vector<double>& onsets, double period) {
    const int n = int(onsets.size());
    double deviation = 0.0;
    const double average = mean(onsets);
    for (double v : onsets) deviation += (v - average) * (v - average);
    deviation = std::sqrt(deviation / n);
    // The onsets smoothed over a thirty-second of the beat, so that a hit
    // a frame or two off the tempo's grid still counts whole.
    const double sigma = std::max(1.0, period / 32.0);
    const int reach = int(std::ceil(2.0 * sigma));
    std::vector<double> kernel;
    for (int i = -reach; i <= reach; ++i) kernel.push_back(std::exp(-0.5 * (i / sigma) * (i / sigma)));
    std::vector<double> local(std::size_t(n), 0.0);
    for (int t = 0; t < n; ++t) {
        double sum = 0.0;
        for (int i = -reach; i <= reach; ++i)
            if (t + i >= 0 && t + i < n) sum += kernel[std::size_t(i + reach)] * onsets[std::size_t(t + i)];
        local[std::size_t(t)] = sum / deviation;
    }

    std::vector<double> score(std::size_t(n), 0.0);
    std::vector<int> before(std::size_t(n), -1);
    const int nearest = std::max(1, int(std::round(period / 2.0)));
    const int farthest = int(std::round(2.0 * period));
    std::vector<double> penalty(std::size_t(farthest + 1), 0.0);
    for (int gap = nearest; gap <= farthest; ++gap) {
        const double stretch = std::log(gap / period);
        penalty[std::size_t(gap)] = kTightness * stretch * stretch;
    }
    for (int t = 0; t < n; ++t) {
        double best = 0.0;
        for (int prior = std::max(0, t - farthest); prior <= t - nearest; ++prior) {
            const double candidate = score[std::size_t(prior)] - penalty[std::size_t(t - prior)];
            if (candidate > best) best = candidate, before[std::size_t(t)] = prior;
        }
        score[std::size_t(t)] = local[std::size_t(t)] + best;
    }
    // The chain ends on the best score of the last beat's span.
    int last = std::max(0, n - int(std::round(period)));
    for (int t = last; t < n; ++t)
        if (score[std::size_t(t)] > score[std::size_t(last)]) last = t;
    std::vector<int> frames;
    for (int t = last; t >= 0; t = before[std::size_t(t)]) frames.push_back(t);
    std::reverse(frames.begin(), frames.end());
    return frames;
}

}  // namespace

std::vector<double> BeatGrid::bars() const {
    std::vector<double> lines;
    if (beatsPerBar <= 0 || firstDownbeat < 0) return lines;
    for (std::size_t i = std::size_t(firstDownbeat); i < beats.size(); i += std::size_t(beatsPerBar))
        lines.push_back(beats[i]);
    return lines;
}

BeatGrid findBeats(const OnsetEnvelope& envelope, const BeatOptions& options) {
    BeatGrid grid;
    grid.beatsPerBar = std::max(1, options.beatsPerBar);
    const std::vector<double> onsets(envelope.values.begin(), envelope.values.end());
    if (onsets.empty() || onsets.size() < kShortestMusicSeconds * envelope.framesPerSecond) return grid;
    const double period = findPeriod(onsets, envelope.framesPerSecond);
    if (period == 0.0) return grid;
    const std::vector<int> frames = trackBeatFrames(onsets, period);

    std::vector<Peak> peaks;
    for (int frame : frames) peaks.push_back(peakNear(onsets, frame));
    double square = 0.0;
    for (const Peak& peak : peaks) square += peak.height * peak.height;
    const double weak = kWeakBeatShare * std::sqrt(square / double(peaks.size()));
    std::size_t first = 0, end = peaks.size();
    while (first < end && peaks[first].height < weak) ++first;
    while (end > first && peaks[end - 1].height < weak) --end;
    if (end - first < std::size_t(kLeastBeats)) return grid;

    grid.beatSeconds = period / envelope.framesPerSecond;
    for (std::size_t i = first; i < end; ++i) grid.beats.push_back(envelope.secondsOf(peaks[i].frame));
    // The bars start on the beat, of the first beatsPerBar, whose place in
    // the bar holds the strongest onsets on average.
    const int perBar = grid.beatsPerBar;
    std::vector<double> strength(std::size_t(perBar), 0.0);
    std::vector<int> count(std::size_t(perBar), 0);
    for (std::size_t i = first; i < end; ++i) {
        strength[(i - first) % std::size_t(perBar)] += peaks[i].height;
        ++count[(i - first) % std::size_t(perBar)];
    }
    int strongest = 0;
    const auto average = [&](int k) { return strength[std::size_t(k)] / std::max(1, count[std::size_t(k)]); };
    for (int k = 1; k < perBar; ++k)
        if (average(k) > average(strongest)) strongest = k;
    grid.firstDownbeat = ((strongest + options.downbeatShift) % perBar + perBar) % perBar;
    return grid;
}

BeatGrid findBeats(const float* samples, std::size_t count, double sampleRate, const BeatOptions& options) {
    return findBeats(onsetEnvelope(samples, count, sampleRate), options);
}
