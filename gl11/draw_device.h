#pragma once

#include <cstdint>
#include <vector>

#include "gl11/matrix4.h"
#include "gl11/texture_image.h"

// One vertex as the layer hands it on: object position, texture
// coordinates, and the colour current when it was given, clamped to 0..1.
struct Vertex {
    float position[3];
    float texCoord[2];
    float colour[3];
};

// The rectangle of the frame's pixels that glViewport last set: its lower
// left corner and its size. Lines are widened in these pixels.
struct PixelBox {
    int left = 0;
    int bottom = 0;
    int width = 0;
    int height = 0;
};

enum class Primitive { Lines, Triangles };

// A run of consecutive vertices drawn with one call: everything that would
// otherwise change between two glBegin/glEnd pairs is here.
struct DrawBatch {
    Primitive primitive = Primitive::Triangles;
    // The device texture to modulate, or 0 to draw the colour alone.
    uint32_t texture = 0;
    bool depthTest = false;
    // GL_FLAT: the last vertex of each primitive gives its colour.
    bool flat = false;
    // Projection times model-view.
    Matrix4 transform;
    Matrix4 textureMatrix;
    int first = 0;
    int count = 0;
};

// What the layer needs from a graphics device: WebGL 2 in the browser, a
// recorder in the tests.
class DrawDevice {
public:
    virtual ~DrawDevice() = default;
    virtual void viewport(int x, int y, int width, int height) = 0;
    // Clears colour and depth as the mask says (OpenGL's bits), the whole
    // buffer whatever the viewport.
    virtual void clear(uint32_t mask, const float colour[4]) = 0;
    // A new texture object; never 0.
    virtual uint32_t createTexture() = 0;
    virtual void deleteTexture(uint32_t texture) = 0;
    virtual void uploadTexture(uint32_t texture, const std::vector<TextureLevel>& levels) = 0;
    // GL_TEXTURE_{MIN,MAG}_FILTER or GL_TEXTURE_WRAP_{S,T} with its value.
    virtual void textureParameter(uint32_t texture, uint32_t name, int value) = 0;
    // Draws the batches in order; each names its vertices in the list.
    virtual void draw(const std::vector<Vertex>& vertices, const std::vector<DrawBatch>& batches) = 0;
    // Sends everything issued on its way without waiting for it.
    virtual void submit() = 0;
    // Returns once everything issued is drawn.
    virtual void finish() = 0;
};
