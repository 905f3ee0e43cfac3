#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include <GL/gl.h>

#include "gl11/draw_device.h"
#include "gl11/line_quad.h"
#include "gl11/matrix4.h"

// OpenGL 1.1 state over a draw device: the current colour and texture
// coordinates, the projection, model-view and texture matrices (each kept
// until changed, across frames), the enables, texture objects and the
// vertices of glBegin/glEnd. Vertices are not drawn at glEnd but gathered:
// consecutive primitives that share primitive kind, texture, depth test,
// shading and matrices become one draw call, issued at the next glClear,
// viewport or texture change, or glFinish. So thousands of one-triangle
// glBegin/glEnd pairs cost a few draws. Triangles are cut at the near
// plane as they are gathered (near_clip.h), lines become quads
// (line_quad.h).
//
// Lighting is not offered (glEnable(GL_LIGHTING) is an error here): the
// show sets a light and a material but never switches lighting on, so
// normals, lights and materials are accepted and change nothing.
class Gl11Context {
public:
    // The device is used, not owned; it must outlive the context.
    explicit Gl11Context(DrawDevice& device);

    void begin(GLenum mode);
    void end();
    void vertex(float x, float y, float z);
    // Normals only matter to lighting, which is never on: they are taken
    // and dropped.
    void normal(const float*) {}
    void texCoord(float s, float t);
    void colour(float red, float green, float blue);

    void matrixMode(GLenum mode);
    void loadIdentity();
    void translate(float x, float y, float z);
    void rotate(float angle, float x, float y, float z);
    void perspective(double fovy, double aspect, double zNear, double zFar);
    void lookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
                double upY, double upZ);

    void viewport(int x, int y, int width, int height);
    void clear(GLbitfield mask);
    void clearColour(float red, float green, float blue, float alpha);
    void enable(GLenum cap, bool on);
    void shadeModel(GLenum mode);
    void material(GLenum face, GLenum name, const float* params);
    void light(GLenum light, GLenum name, const float* params);

    void genTextures(GLsizei n, GLuint* names);
    void bindTexture(GLenum target, GLuint name);
    void deleteTextures(GLsizei n, const GLuint* names);
    void texParameter(GLenum target, GLenum name, float value);
    GLint build2DMipmaps(GLenum target, GLint components, GLsizei width, GLsizei height, GLenum format,
                         GLenum type, const void* data);
    void pixelStore(GLenum name, GLint value);
    void getInteger(GLenum name, GLint* value);

    // Hands the gathered draws to the device.
    void flush();
    // Flushes and sends the device's work on without waiting, as glFlush.
    void submit();
    // Flushes and waits for the device.
    void finish();
    // The first error since the last call, as glGetError.
    GLenum takeError();
    // Told of every error as it happens, with the call's name.
    void setErrorReporter(std::function<void(const std::string&)> reporter) { reporter_ = std::move(reporter); }

    const Matrix4& matrix(GLenum mode) const;
    // Draws gathered and not yet flushed.
    const std::vector<DrawBatch>& pendingBatches() const { return batches_; }
    const std::vector<Vertex>& pendingVertices() const { return vertices_; }

private:
    struct TextureObject {
        uint32_t device = 0;
        bool hasImage = false;
    };

    void fail(GLenum error, const char* call);
    bool outside(const char* call);
    Matrix4& current() { return *currentMatrix_; }
    TextureObject& boundObject();
    uint32_t drawTexture();

    DrawDevice& device_;
    std::function<void(const std::string&)> reporter_;
    GLenum error_ = GL_NO_ERROR;

    Matrix4 projection_;
    Matrix4 modelView_;
    Matrix4 texture_;
    Matrix4* currentMatrix_ = &modelView_;

    float colour_[3] = {1.0f, 1.0f, 1.0f};
    float texCoord_[2] = {0.0f, 0.0f};
    float clearColour_[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    bool texture2D_ = false;
    bool depthTest_ = false;
    bool flat_ = false;
    int unpackAlignment_ = 4;
    PixelBox viewport_;

    std::unordered_map<GLuint, TextureObject> textures_;
    GLuint bound_ = 0;
    GLuint nextName_ = 1;

    // Inside glBegin/glEnd: the primitive's mode (0 when refused) and its vertices.
    bool inside_ = false;
    GLenum mode_ = 0;
    bool modeValid_ = false;
    std::vector<Vertex> open_;

    std::vector<Vertex> vertices_;
    std::vector<DrawBatch> batches_;
};
