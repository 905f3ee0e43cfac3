#include "shell/audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>

namespace audio {
namespace {

Mix_Music* music = nullptr;
bool sdlOpen = false;
bool mixerOpen = false;

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
    if (Mix_OpenAudio(kOutputFrequency, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        if (error) *error = std::string("cannot open the audio output: ") + Mix_GetError();
        return false;
    }
    mixerOpen = true;
    return true;
}

bool loadMusic(const char* path) {
    music = Mix_LoadMUS(path);
    return music != nullptr;
}

void play() {
    // Made also without a stream, as the show always has; it then fails quietly.
    Mix_PlayMusic(music, -1);
}

void release() {
    if (mixerOpen) {
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
