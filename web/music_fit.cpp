#include "web/music_fit.h"

#include <algorithm>

#include "shell/sync_marks.h"
#include "shell/timing_fit.h"

namespace {

std::vector<double> strongOnsets(const OnsetEnvelope& envelope) {
    const std::vector<float>& values = envelope.values;
    std::vector<double> found;
    if (values.empty()) return found;
    std::vector<float> sorted = values;
    const std::size_t top = sorted.size() - 1 - sorted.size() / 100;
    std::nth_element(sorted.begin(), sorted.begin() + std::ptrdiff_t(top), sorted.end());
    const float level = float(kStrongOnsetShare) * sorted[top];
    if (!(level > 0.0f)) return found;
    const std::size_t reach = std::size_t(kStrongOnsetSpacing * envelope.framesPerSecond);
    std::vector<std::pair<float, std::size_t>> peaks;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] < level) continue;
        const std::size_t from = i > reach ? i - reach : 0;
        const std::size_t to = std::min(values.size(), i + reach + 1);
        // The first of equal highest frames is the onset.
        const auto begin = values.begin();
        const auto highest = std::max_element(begin + std::ptrdiff_t(from), begin + std::ptrdiff_t(to));
        if (std::size_t(highest - values.begin()) == i) peaks.push_back({values[i], i});
    }
    // A sync list holds kMaxSyncMarks: the strongest of them, in order of time.
    if (peaks.size() > std::size_t(kMaxSyncMarks)) {
        std::stable_sort(peaks.begin(), peaks.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        peaks.resize(std::size_t(kMaxSyncMarks));
        std::sort(peaks.begin(), peaks.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    }
    for (const auto& peak : peaks) found.push_back(envelope.secondsOf(double(peak.second)));
    return found;
}

void fitToBeats(MusicFit& fit) {
    fit.timingText.clear();
    MusicBeats music;
    music.music = fit.name;
    music.seconds = fit.seconds;
    music.beats = fit.grid.beats;
    music.firstDownbeat = fit.grid.firstDownbeat;
    music.beatsPerBar = fit.grid.beatsPerBar;
    const FittedTiming fitted = fitTiming(music);
    if (!fitted.ok) {
        fit.error = fit.name + ": " + fitted.error;
        return;
    }
    fit.error.clear();
    fit.timing = fitted.timing;
    fit.timingText = formatTiming(fitted.timing);
}

}  // namespace

MusicFit fitMusic(const float* samples, std::size_t count, double sampleRate, const std::string& name,
                  int downbeatShift) {
    MusicFit fit;
    fit.name = name;
    fit.seconds = sampleRate > 0.0 ? double(count) / sampleRate : 0.0;
    const OnsetEnvelope envelope = onsetEnvelope(samples, count, sampleRate);
    BeatOptions options;
    options.downbeatShift = downbeatShift;
    fit.grid = findBeats(envelope, options);
    if (!fit.grid.found()) {
        fit.error = name + ": no beat found in the music";
        return fit;
    }
    fit.strongOnsets = strongOnsets(envelope);
    fitToBeats(fit);
    return fit;
}

bool moveDownbeat(MusicFit& fit, int firstDownbeat) {
    if (!fit.grid.found() || firstDownbeat < 0 || firstDownbeat >= fit.grid.beatsPerBar) return false;
    fit.grid.firstDownbeat = firstDownbeat;
    fitToBeats(fit);
    return true;
}
