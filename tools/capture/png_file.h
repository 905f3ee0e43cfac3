#pragma once

#include <string>
#include <vector>

// A picture of 8-bit RGB pixels, top row first.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// An RGBA picture stored bottom row first, as OpenGL holds it, upright and
// without its alpha channel: the show clears to a transparent black that a
// picture viewer would show as a hole.
RgbPicture uprightRgb(const unsigned char* rgbaBottomUp, int width, int height);

// Writes an 8-bit RGB PNG file.
bool writePng(const std::string& path, const RgbPicture& picture, std::string* error);

// Reads any PNG file as 8-bit RGB.
bool readPng(const std::string& path, RgbPicture* picture, std::string* error);
