#include "shell/audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <cstdio>

namespace audio {
namespace {

// Frames of the output buffer asked for: 2048 at 44100 Hz, 46 ms.
constexpr int kBufferFrames = 2048;

Mix_Music* music = nullptr;
bool sdlOpen = false;
bool mixerOpen = false;
// Bytes of each buffer the mixer fills, as its post-mix hook sees them; 0
// before its first buffer. Written on the audio thread.
std::atomic<int> mixedBytes{0};

void onMixed(void*, Uint8*, int length) { mixedBytes.store(length, std::memory_order_relaxed); }

std::string versionText(const SDL_version& v) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d.%d", v.major, v.minor, v.patch);
    return text;
}

}  // namespace

bool checkVersion(std::string* error) {
    SDL_version compiled;
    SDL_MIXER_VERSION(&compiled);
    const SDL_version* linked = Mix_Linked_Version();
    if (linked->major == compiled.major && linked->minor == compiled.minor) return true;
    if (error)
        *error = "SDL2_mixer " + versionText(*linked) + " found, but the show was built with " + versionText(compiled);
    return false;
}

bool open(std::string* error) {
    // SDL would otherwise install its own SIGINT and SIGTERM handlers, and a
    // terminated show would keep running.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_AUDIO) != 0) {
        if (error) *error = std::string("cannot start SDL audio: ") + SDL_GetError();
        return false;
    }
    sdlOpen = true;
    if ((Mix_Init(MIX_INIT_MP3) & MIX_INIT_MP3) == 0) {
        if (error) *error = std::string("SDL2_mixer cannot decode MP3: ") + Mix_GetError();
        return false;
    }
    // The buffer's length may not change (Mix_OpenAudio allows only the
    // frequency and the channels to), so that the latency stays what is
    // asked for here.
    if (Mix_OpenAudio(kOutputFrequency, MIX_DEFAULT_FORMAT, 2, kBufferFrames) != 0) {
        if (error) *error = std::string("cannot open the audio output: ") + Mix_GetError();
        return false;
    }
    mixerOpen = true;
    Mix_SetPostMix(onMixed, nullptr);
    return true;
}

bool loadMusic(const char* path, std::string* error) {
    music = Mix_LoadMUS(path);
    if (!music && error) *error = Mix_GetError();
    return music != nullptr;
}

void play() {
    // Made also without a stream, as the show always has; it then fails quietly.
    Mix_PlayMusic(music, -1);
}

double outputLatency() {
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    if (!mixerOpen || Mix_QuerySpec(&frequency, &format, &channels) == 0 || frequency <= 0 || channels <= 0)
        return 0.0;
    const int frameBytes = channels * int(SDL_AUDIO_BITSIZE(format)) / 8;
    const int bytes = mixedBytes.load(std::memory_order_relaxed);
    const int frames = bytes > 0 && frameBytes > 0 ? bytes / frameBytes : kBufferFrames;
    return double(frames) / double(frequency);
}

void release() {
    if (mixerOpen) {
        Mix_SetPostMix(nullptr, nullptr);
        Mix_HaltMusic();
        if (music) Mix_FreeMusic(music);
        music = nullptr;
        Mix_CloseAudio();
        mixerOpen = false;
    }
    if (sdlOpen) {
        Mix_Quit();
        SDL_Quit();
        sdlOpen = false;
    }
}

}  // namespace audio
