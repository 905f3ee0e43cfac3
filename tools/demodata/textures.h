#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The texture files, by their names as the scene files store them: relative
// to the show's working directory.
extern const char* const kPlasmaTexture;
extern const char* const kMarbleTexture;
extern const char* const kCheckerTexture;
extern const char* const kChromeTexture;
extern const char* const kLavaTexture;
extern const char* const kTilesTexture;
extern const char* const kStripesTexture;

// An RGB image, three bytes a pixel, rows from the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

struct TextureFile {
    std::string fileName;
    Image image;
};

// Every texture of the show, drawn procedurally. Each tiles seamlessly,
// since meshes repeat their textures.
std::vector<TextureFile> buildTextures();

// The image as a baseline JPEG of fixed quality; the same image always gives
// the same bytes. Throws std::runtime_error when the encoder fails.
std::vector<uint8_t> encodeJpeg(const Image& image);
