#include "web/music_fit.h"

MusicFit fitMusic(const float* samples, std::size_t count, double sampleRate, const std::string& name,
                  int downbeatShift) {
    MusicFit fit;
    BeatOptions options;
    options.downbeatShift = downbeatShift;
    fit.grid = findBeats(samples, count, sampleRate, options);
    if (!fit.grid.found()) {
        fit.error = name + ": no beat found in the music";
        return fit;
    }
    MusicBeats music;
    music.music = name;
    music.seconds = sampleRate > 0.0 ? double(count) / sampleRate : 0.0;
    music.beats = fit.grid.beats;
    music.firstDownbeat = fit.grid.firstDownbeat;
    music.beatsPerBar = fit.grid.beatsPerBar;
    const FittedTiming fitted = fitTiming(music);
    if (!fitted.ok) {
        fit.error = name + ": " + fitted.error;
        return fit;
    }
    fit.timingText = formatTiming(fitted.timing);
    return fit;
}
