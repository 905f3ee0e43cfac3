#pragma once

#include <cstdint>

#include "geometry/scene_object.h"

// A named scene material that may carry one texture map, decoded from a JPEG
// file and uploaded as a mip-mapped OpenGL texture. An OpenGL context must be
// current while textures are prepared, loaded, bound and released.
class Material : public SceneObject {
public:
    // Texture names longer than this are refused rather than cut into another name.
    static constexpr int kMaxFileName = 63;

    Material();
    ~Material() override;

    virtual void releaseTexture();
    virtual void bindTexture() const;
    virtual void setTextureName(const char* text);
    virtual int getTextureName(char* buffer, int capacity) const;

    // Creates and configures an empty texture object. Always true.
    bool prepareTexture(const char* fileName);
    // Prepares a texture and fills it from a JPEG file; on failure the texture
    // holds a black-and-white 2x2 checker and the result is false.
    bool loadTexture(const char* fileName, bool singleChannel);

    uint32_t getTextureId() const { return textureId_; }
    int getWidth() const { return width_; }
    int getHeight() const { return height_; }
    const char* getFileName() const { return fileName_; }

private:
    void uploadFallback();

    char fileName_[kMaxFileName + 1] = {};
    // OpenGL texture name plus 1; 0 means no texture.
    uint32_t textureId_ = 0;
    OwnedText textureName_;
    int width_ = 0;
    int height_ = 0;
};
