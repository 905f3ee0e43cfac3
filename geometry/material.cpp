#include "geometry/material.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "geometry/jpeg_decoder.h"
#include "geometry/texture_file.h"

namespace {

// Pixel rows are tightly packed, but OpenGL reads rows aligned to 4 bytes by
// default: a 2-pixel grey row or an RGB row whose width is not a multiple of 4
// would be read past its end. The alignment is 1 for the upload and restored after.
void uploadMipmaps(int components, int width, int height, GLenum format, const unsigned char* pixels) {
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, components, width, height, format, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

}  // namespace

Material::Material() { Material::releaseTexture(); }

Material::~Material() { Material::releaseTexture(); }

void Material::releaseTexture() {
    if (textureId_ == 0) return;
    GLuint name = textureId_ - 1;
    glDeleteTextures(1, &name);
    textureId_ = 0;
}

// With no texture this binds name 0xFFFFFFFF, a name never generated: the
// draw then sees a texture object without an image.
void Material::bindTexture() const { glBindTexture(GL_TEXTURE_2D, textureId_ - 1); }

void Material::setTextureName(const char* text) { textureName_.set(text); }

int Material::getTextureName(char* buffer, int capacity) const { return textureName_.copyTo(buffer, capacity); }

bool Material::prepareTexture(const char* fileName) {
    releaseTexture();
    std::strncpy(fileName_, fileName ? fileName : "", kMaxFileName);
    fileName_[kMaxFileName] = '\0';
    GLuint name = 0;
    glGenTextures(1, &name);
    textureId_ = name + 1;
    glBindTexture(GL_TEXTURE_2D, textureId_ - 1);
    // GL_LINEAR for minification as well, although mip-maps are built.
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    return true;
}

bool Material::loadTexture(const char* fileName, bool singleChannel) {
    prepareTexture(fileName);
    JpegDecoder decoder;
    if (!decoder.ok()) return false;

    bool decoded = false;
    std::vector<unsigned char> data;
    std::string path;
    if (fileName && std::strlen(fileName) <= size_t(kMaxFileName)) path = resolveTexturePath(fileName);
    int width = 0;
    int height = 0;
    if (!path.empty() && readTextureFile(path, data) && decoder.readParameters(data.data(), data.size(), width, height)) {
        width_ = width;
        height_ = height;
        const int channels = singleChannel ? 1 : 3;
        const size_t bytes = size_t(width) * size_t(height) * size_t(channels);
        std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[bytes]);
        if (buffer && decoder.readImage(data.data(), data.size(), buffer.get(), width, height, channels)) {
            uploadMipmaps(channels, width, height, singleChannel ? GL_ALPHA : GL_RGB, buffer.get());
            decoded = true;
        }
    }
    if (!decoded) uploadFallback();
    return decoded;
}

void Material::uploadFallback() {
    static const unsigned char checker[4] = {0, 255, 255, 0};
    width_ = 2;
    height_ = 2;
    uploadMipmaps(1, 2, 2, GL_LUMINANCE, checker);
}
