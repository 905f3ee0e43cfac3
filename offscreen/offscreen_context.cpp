#include "offscreen/offscreen_context.h"

#include <GL/osmesa.h>

struct OffscreenContext::Handle {
    OSMesaContext context = nullptr;
};

OffscreenContext::OffscreenContext(int width, int height)
    : handle_(new Handle), pixels_(size_t(width) * size_t(height) * 4), width_(width), height_(height) {
    handle_->context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    if (!handle_->context) {
        error_ = "cannot create an OSMesa context";
        return;
    }
    if (!OSMesaMakeCurrent(handle_->context, pixels_.data(), GL_UNSIGNED_BYTE, width, height)) {
        error_ = "cannot make the OSMesa context current";
        return;
    }
    ok_ = true;
}

OffscreenContext::~OffscreenContext() {
    if (handle_->context) OSMesaDestroyContext(handle_->context);
}

bool OffscreenContext::largestSize(int* width, int* height, std::string* error) {
    // OSMesa answers for the current context, so one is made to ask and the
    // one that was current before is made current again.
    const OSMesaContext previous = OSMesaGetCurrentContext();
    GLint previousWidth = 0, previousHeight = 0, previousFormat = 0;
    void* previousBuffer = nullptr;
    if (previous) OSMesaGetColorBuffer(previous, &previousWidth, &previousHeight, &previousFormat, &previousBuffer);
    OffscreenContext probe(1, 1);
    GLint w = 0, h = 0;
    if (probe.ok()) {
        OSMesaGetIntegerv(OSMESA_MAX_WIDTH, &w);
        OSMesaGetIntegerv(OSMESA_MAX_HEIGHT, &h);
    }
    if (previous) OSMesaMakeCurrent(previous, previousBuffer, GL_UNSIGNED_BYTE, previousWidth, previousHeight);
    if (!probe.ok()) {
        if (error) *error = probe.error();
        return false;
    }
    *width = w;
    *height = h;
    return true;
}

void OffscreenContext::pixel(int x, int y, unsigned char rgba[4]) const {
    const unsigned char* p = pixels_.data() + (size_t(height_ - 1 - y) * size_t(width_) + size_t(x)) * 4;
    for (int i = 0; i < 4; ++i) rgba[i] = p[i];
}
