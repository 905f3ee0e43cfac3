#pragma once

#include <memory>
#include <string>
#include <vector>

// An OpenGL context that renders into memory (OSMesa): for tools, tests and
// benchmarks that need textures or pictures without a display.
class OffscreenContext {
public:
    OffscreenContext(int width, int height);
    ~OffscreenContext();
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    // False when no context could be made current; error() says why.
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The colour buffer, RGBA, 4 bytes a pixel, bottom row first.
    const unsigned char* pixels() const { return pixels_.data(); }
    // RGBA of the pixel at (x, y), y counted from the top.
    void pixel(int x, int y, unsigned char rgba[4]) const;

    // The largest width and height of a buffer that OSMesa draws into, as it
    // reports them. False, with error set, when no context can be made to ask.
    static bool largestSize(int* width, int* height, std::string* error);

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
    std::vector<unsigned char> pixels_;
    int width_;
    int height_;
    bool ok_ = false;
    std::string error_;
};
