#include "tools/music_file/decoded_music.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstring>

namespace {

DecodedMusic failed(std::string why) {
    DecodedMusic music;
    music.error = std::move(why);
    return music;
}

// SDL's audio, opened on the dummy driver for as long as it lives.
class DummyAudio {
public:
    DummyAudio() {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        // The dummy driver plays into nothing: decoding needs no device, and
        // a machine without one decodes as well.
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            error_ = std::string("cannot start SDL audio: ") + SDL_GetError();
            return;
        }
        started_ = true;
        Mix_Init(MIX_INIT_MP3 | MIX_INIT_OGG);
        // No change allowed: SDL converts to mono float at our rate, and
        // Mix_LoadWAV_RW decodes into that.
        if (Mix_OpenAudioDevice(kDecodedSampleRate, AUDIO_F32SYS, 1, 512, nullptr, 0) != 0) {
            error_ = std::string("cannot open SDL's audio: ") + Mix_GetError();
            return;
        }
        open_ = true;
    }
    ~DummyAudio() {
        if (open_) Mix_CloseAudio();
        if (started_) {
            Mix_Quit();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
    DummyAudio(const DummyAudio&) = delete;
    DummyAudio& operator=(const DummyAudio&) = delete;

    bool open() const { return open_; }
    const std::string& error() const { return error_; }

private:
    bool started_ = false;
    bool open_ = false;
    std::string error_;
};

}  // namespace

DecodedMusic decodeMusicFile(const std::string& path) {
    DummyAudio audio;
    if (!audio.open()) return failed(audio.error());
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    if (Mix_QuerySpec(&frequency, &format, &channels) == 0 || frequency <= 0 || channels != 1 ||
        format != AUDIO_F32SYS)
        return failed("SDL's audio did not open as mono float");
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (!file) return failed(std::string("cannot open: ") + SDL_GetError());
    Mix_Chunk* chunk = Mix_LoadWAV_RW(file, 1);
    if (!chunk) return failed(std::string("cannot decode: ") + Mix_GetError());
    DecodedMusic music;
    music.ok = true;
    music.sampleRate = frequency;
    music.samples.resize(chunk->alen / sizeof(float));
    std::memcpy(music.samples.data(), chunk->abuf, music.samples.size() * sizeof(float));
    Mix_FreeChunk(chunk);
    return music;
}
