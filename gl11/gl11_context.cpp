#include "gl11/gl11_context.h"

#include <algorithm>

#include <GL/glu.h>

#include "gl11/line_quad.h"
#include "gl11/near_clip.h"
#include "gl11/texture_image.h"

namespace {

float clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

std::string errorText(GLenum error, const char* call) {
    const char* name = error == GL_INVALID_ENUM    ? "GL_INVALID_ENUM"
                       : error == GL_INVALID_VALUE ? "GL_INVALID_VALUE"
                                                   : "GL_INVALID_OPERATION";
    return std::string(name) + " in " + call;
}

bool sameDraw(const DrawBatch& a, const DrawBatch& b) {
    return a.primitive == b.primitive && a.texture == b.texture && a.depthTest == b.depthTest && a.flat == b.flat &&
           a.transform == b.transform && a.textureMatrix == b.textureMatrix;
}

}  // namespace

Gl11Context::Gl11Context(DrawDevice& device) : device_(device) {}

void Gl11Context::fail(GLenum error, const char* call) {
    if (error_ == GL_NO_ERROR) error_ = error;
    if (reporter_) reporter_(errorText(error, call));
}

// Calls other than vertex data are refused between glBegin and glEnd.
bool Gl11Context::outside(const char* call) {
    if (!inside_) return true;
    fail(GL_INVALID_OPERATION, call);
    return false;
}

GLenum Gl11Context::takeError() {
    const GLenum error = error_;
    error_ = GL_NO_ERROR;
    return error;
}

void Gl11Context::begin(GLenum mode) {
    if (!outside("glBegin")) return;
    inside_ = true;
    mode_ = mode;
    modeValid_ = mode == GL_TRIANGLES || mode == GL_LINES || mode == GL_LINE_STRIP;
    if (!modeValid_) fail(GL_INVALID_ENUM, "glBegin");
    open_.clear();
}

void Gl11Context::end() {
    if (!inside_) {
        fail(GL_INVALID_OPERATION, "glEnd");
        return;
    }
    inside_ = false;
    if (!modeValid_) return;

    DrawBatch draw;
    draw.primitive = Primitive::Triangles;
    draw.texture = drawTexture();
    draw.depthTest = depthTest_;
    draw.flat = flat_;
    Matrix4 transform = projection_;
    transform.multiply(modelView_);
    draw.textureMatrix = texture_;
    draw.first = int(vertices_.size());

    if (mode_ == GL_TRIANGLES) {
        draw.transform = transform;
        // An incomplete last triangle is dropped, as OpenGL drops it.
        for (std::size_t i = 0; i + 3 <= open_.size(); i += 3) appendNearClipped(&open_[i], transform, flat_, vertices_);
    } else {
        // Lines become quads, already transformed. A strip becomes its
        // segments v0-v1, v1-v2, ... and stays open; of GL_LINES an odd
        // last vertex is dropped.
        const std::size_t step = mode_ == GL_LINE_STRIP ? 1 : 2;
        for (std::size_t i = 1; i < open_.size(); i += step)
            appendLineQuad(open_[i - 1], open_[i], transform, viewport_, flat_, vertices_);
    }
    draw.count = int(vertices_.size()) - draw.first;
    if (draw.count == 0) return;
    if (!batches_.empty() && sameDraw(batches_.back(), draw)) {
        batches_.back().count += draw.count;
    } else {
        batches_.push_back(draw);
    }
}

void Gl11Context::vertex(float x, float y, float z) {
    // A vertex outside glBegin/glEnd is ignored, as OpenGL leaves it undefined.
    if (!inside_ || !modeValid_) return;
    Vertex v;
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    v.texCoord[0] = texCoord_[0];
    v.texCoord[1] = texCoord_[1];
    for (int i = 0; i < 3; ++i) v.colour[i] = clamp01(colour_[i]);
    open_.push_back(v);
}

void Gl11Context::texCoord(float s, float t) {
    texCoord_[0] = s;
    texCoord_[1] = t;
}

void Gl11Context::colour(float red, float green, float blue) {
    colour_[0] = red;
    colour_[1] = green;
    colour_[2] = blue;
}

void Gl11Context::matrixMode(GLenum mode) {
    if (!outside("glMatrixMode")) return;
    switch (mode) {
    case GL_MODELVIEW:
        currentMatrix_ = &modelView_;
        break;
    case GL_PROJECTION:
        currentMatrix_ = &projection_;
        break;
    case GL_TEXTURE:
        currentMatrix_ = &texture_;
        break;
    default:
        fail(GL_INVALID_ENUM, "glMatrixMode");
        break;
    }
}

const Matrix4& Gl11Context::matrix(GLenum mode) const {
    return mode == GL_PROJECTION ? projection_ : mode == GL_TEXTURE ? texture_ : modelView_;
}

void Gl11Context::loadIdentity() {
    if (outside("glLoadIdentity")) current() = Matrix4();
}

void Gl11Context::translate(float x, float y, float z) {
    if (outside("glTranslatef")) current().translate(x, y, z);
}

void Gl11Context::rotate(float angle, float x, float y, float z) {
    if (outside("glRotatef")) current().rotate(angle, x, y, z);
}

void Gl11Context::perspective(double fovy, double aspect, double zNear, double zFar) {
    if (outside("gluPerspective")) current().perspective(fovy, aspect, zNear, zFar);
}

void Gl11Context::lookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ,
                         double upX, double upY, double upZ) {
    if (outside("gluLookAt")) current().lookAt(eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ);
}

void Gl11Context::viewport(int x, int y, int width, int height) {
    if (!outside("glViewport")) return;
    if (width < 0 || height < 0) {
        fail(GL_INVALID_VALUE, "glViewport");
        return;
    }
    flush();
    viewport_ = PixelBox{x, y, width, height};
    device_.viewport(x, y, width, height);
}

void Gl11Context::clear(GLbitfield mask) {
    if (!outside("glClear")) return;
    if ((mask & ~GLbitfield(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT)) != 0) {
        fail(GL_INVALID_VALUE, "glClear");
        return;
    }
    flush();
    device_.clear(mask, clearColour_);
}

void Gl11Context::clearColour(float red, float green, float blue, float alpha) {
    if (!outside("glClearColor")) return;
    clearColour_[0] = clamp01(red);
    clearColour_[1] = clamp01(green);
    clearColour_[2] = clamp01(blue);
    clearColour_[3] = clamp01(alpha);
}

void Gl11Context::enable(GLenum cap, bool on) {
    const char* call = on ? "glEnable" : "glDisable";
    if (!outside(call)) return;
    if (cap == GL_TEXTURE_2D) {
        texture2D_ = on;
    } else if (cap == GL_DEPTH_TEST) {
        depthTest_ = on;
    } else {
        fail(GL_INVALID_ENUM, call);
    }
}

void Gl11Context::shadeModel(GLenum mode) {
    if (!outside("glShadeModel")) return;
    if (mode == GL_FLAT || mode == GL_SMOOTH) {
        flat_ = mode == GL_FLAT;
    } else {
        fail(GL_INVALID_ENUM, "glShadeModel");
    }
}

void Gl11Context::material(GLenum face, GLenum name, const float* params) {
    if (!outside("glMaterialfv")) return;
    if (face != GL_FRONT || (name != GL_SPECULAR && name != GL_SHININESS) || !params)
        fail(GL_INVALID_ENUM, "glMaterialfv");
}

void Gl11Context::light(GLenum light, GLenum name, const float* params) {
    if (!outside("glLightfv")) return;
    if (light != GL_LIGHT0 || (name != GL_POSITION && name != GL_DIFFUSE) || !params)
        fail(GL_INVALID_ENUM, "glLightfv");
}

Gl11Context::TextureObject& Gl11Context::boundObject() {
    TextureObject& object = textures_[bound_];
    if (object.device == 0) object.device = device_.createTexture();
    return object;
}

// A bound object without an image leaves texturing off, as OpenGL 1.1 does
// with an incomplete texture: the faces keep their colour.
uint32_t Gl11Context::drawTexture() {
    if (!texture2D_) return 0;
    const auto found = textures_.find(bound_);
    if (found == textures_.end() || !found->second.hasImage) return 0;
    return found->second.device;
}

void Gl11Context::genTextures(GLsizei n, GLuint* names) {
    if (!outside("glGenTextures")) return;
    if (n < 0) {
        fail(GL_INVALID_VALUE, "glGenTextures");
        return;
    }
    for (GLsizei i = 0; i < n; ++i) {
        while (nextName_ == 0 || textures_.count(nextName_) != 0) ++nextName_;
        names[i] = nextName_;
        textures_[nextName_];
        ++nextName_;
    }
}

// Binding a name that was never generated makes an object of it, as
// OpenGL 1.1 does.
void Gl11Context::bindTexture(GLenum target, GLuint name) {
    if (!outside("glBindTexture")) return;
    if (target != GL_TEXTURE_2D) {
        fail(GL_INVALID_ENUM, "glBindTexture");
        return;
    }
    bound_ = name;
    textures_[name];
}

void Gl11Context::deleteTextures(GLsizei n, const GLuint* names) {
    if (!outside("glDeleteTextures")) return;
    if (n < 0) {
        fail(GL_INVALID_VALUE, "glDeleteTextures");
        return;
    }
    flush();
    for (GLsizei i = 0; i < n; ++i) {
        if (names[i] == 0) continue;
        const auto found = textures_.find(names[i]);
        if (found == textures_.end()) continue;
        if (found->second.device != 0) device_.deleteTexture(found->second.device);
        textures_.erase(found);
        if (bound_ == names[i]) bound_ = 0;
    }
}

void Gl11Context::texParameter(GLenum target, GLenum name, float value) {
    if (!outside("glTexParameterf")) return;
    if (target != GL_TEXTURE_2D) {
        fail(GL_INVALID_ENUM, "glTexParameterf");
        return;
    }
    const GLenum v = GLenum(value);
    bool valid = false;
    switch (name) {
    case GL_TEXTURE_MIN_FILTER:
        valid = v == GL_NEAREST || v == GL_LINEAR || (v >= GL_NEAREST_MIPMAP_NEAREST && v <= GL_LINEAR_MIPMAP_LINEAR);
        break;
    case GL_TEXTURE_MAG_FILTER:
        valid = v == GL_NEAREST || v == GL_LINEAR;
        break;
    case GL_TEXTURE_WRAP_S:
    case GL_TEXTURE_WRAP_T:
        valid = v == GL_REPEAT || v == GL_CLAMP;
        break;
    default:
        break;
    }
    if (!valid) {
        fail(GL_INVALID_ENUM, "glTexParameterf");
        return;
    }
    flush();
    device_.textureParameter(boundObject().device, name, int(v));
}

GLint Gl11Context::build2DMipmaps(GLenum target, GLint components, GLsizei width, GLsizei height, GLenum format,
                                  GLenum type, const void* data) {
    if (!outside("gluBuild2DMipmaps")) return GLU_INVALID_OPERATION;
    if (target != GL_TEXTURE_2D) return GLU_INVALID_ENUM;
    TextureImage image;
    const int result = image.build(components, width, height, format, type, data, unpackAlignment_);
    if (result != GL_NO_ERROR) return result;
    flush();
    TextureObject& object = boundObject();
    device_.uploadTexture(object.device, image.levels());
    object.hasImage = true;
    return 0;
}

void Gl11Context::pixelStore(GLenum name, GLint value) {
    if (!outside("glPixelStorei")) return;
    if (name != GL_UNPACK_ALIGNMENT) {
        fail(GL_INVALID_ENUM, "glPixelStorei");
    } else if (value != 1 && value != 2 && value != 4 && value != 8) {
        fail(GL_INVALID_VALUE, "glPixelStorei");
    } else {
        unpackAlignment_ = value;
    }
}

void Gl11Context::getInteger(GLenum name, GLint* value) {
    if (!outside("glGetIntegerv")) return;
    if (name == GL_UNPACK_ALIGNMENT) {
        *value = unpackAlignment_;
    } else {
        fail(GL_INVALID_ENUM, "glGetIntegerv");
    }
}

void Gl11Context::flush() {
    if (batches_.empty()) return;
    device_.draw(vertices_, batches_);
    vertices_.clear();
    batches_.clear();
}

void Gl11Context::submit() {
    flush();
    device_.submit();
}

void Gl11Context::finish() {
    if (!outside("glFinish")) return;
    flush();
    device_.finish();
}
