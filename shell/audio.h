#pragma once

#include <string>

// The show's music through SDL2_mixer: a version check, the default output
// at 44100 Hz, one stream of a whole file played looped, and a release that
// may run more than once.
namespace audio {

constexpr int kOutputFrequency = 44100;

// False, with error naming both versions, when the SDL2_mixer found at run
// time differs in its major or minor version from the one compiled against.
bool checkVersion(std::string* error);

// Opens the default output. False, with error saying why, when SDL, the MP3
// decoder or the output cannot be initialised.
bool open(std::string* error);

// Opens the music file (MP3, Ogg or WAV) as a stream. False, with error
// saying why, when it cannot: the show then runs silent, and play() does
// nothing audible.
bool loadMusic(const char* path, std::string* error);

// Starts the stream from its beginning, looped forever.
void play();

// Seconds between a sample entering the mixer and it being heard: the
// output buffer the mixer fills at a time, at the output's frequency, plus
// the device's own latency where the driver reports one (SDL 2 has no
// driver that does). The buffer's length is the one the mixer reports to
// its post-mix hook, once it has mixed; until then, the one asked for.
// 0 when the output is not open.
double outputLatency();

// Stops the music and releases the stream, the output and SDL.
void release();

}  // namespace audio
