#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gl11/draw_device.h"

// The draw device of the browser: a WebGL 2 context on the page's canvas,
// without antialiasing (the show's window has none), with a depth buffer and
// an opaque colour buffer. Two small shader programs do what OpenGL 1.1's
// fixed pipeline does for the show: transform, texture matrix, texture
// modulated by the vertex colour, flat or smooth colour.
class WebGlDevice : public DrawDevice {
public:
    // canvas is a CSS selector. preserveDrawingBuffer keeps the picture
    // readable after it is shown, for single frames.
    WebGlDevice(const char* canvas, bool preserveDrawingBuffer);
    ~WebGlDevice() override;
    WebGlDevice(const WebGlDevice&) = delete;
    WebGlDevice& operator=(const WebGlDevice&) = delete;

    // False when no WebGL 2 context or program could be made; error() says why.
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    // The first WebGL error since the last call, 0 for none. It waits for
    // the browser's graphics process: call it rarely.
    uint32_t takeWebGlError();

    void viewport(int x, int y, int width, int height) override;
    void clear(uint32_t mask, const float colour[4]) override;
    uint32_t createTexture() override;
    void deleteTexture(uint32_t texture) override;
    void uploadTexture(uint32_t texture, const std::vector<TextureLevel>& levels) override;
    void textureParameter(uint32_t texture, uint32_t name, int value) override;
    void draw(const std::vector<Vertex>& vertices, const std::vector<DrawBatch>& batches) override;
    void submit() override;
    void finish() override;

private:
    struct Program {
        uint32_t id = 0;
        int transform = -1;
        int textureMatrix = -1;
    };

    bool makeProgram(bool flat, Program& program);

    intptr_t context_ = 0;
    bool ok_ = false;
    std::string error_;
    Program smooth_;
    Program flat_;
    uint32_t white_ = 0;
    uint32_t vertexArray_ = 0;
    uint32_t buffer_ = 0;
};
