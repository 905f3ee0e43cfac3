#include "gl11/webgl_device.h"

#include <GLES3/gl3.h>
#include <emscripten/html5.h>

#include <cstddef>

namespace {

const char* const kVertexShader = R"(
uniform mat4 transform;
uniform mat4 textureMatrix;
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;
layout(location = 2) in vec3 colour;
out vec3 mapped;
SHADING out vec3 shade;
void main() {
    gl_Position = transform * vec4(position, 1.0);
    vec4 t = textureMatrix * vec4(texCoord, 0.0, 1.0);
    mapped = t.xyw;
    shade = colour;
}
)";

// GL_MODULATE: the texture times the colour; untextured faces sample a
// white texel. Alpha never shows (the canvas is opaque and nothing blends),
// so it is left at 1.
const char* const kFragmentShader = R"(
precision highp float;
uniform sampler2D image;
in vec3 mapped;
SHADING in vec3 shade;
out vec4 fragment;
void main() {
    fragment = vec4(shade * textureProj(image, mapped).rgb, 1.0);
}
)";

GLuint compile(GLenum kind, const char* body, bool flat, std::string& error) {
    const std::string source =
        std::string("#version 300 es\n#define SHADING ") + (flat ? "flat" : "") + "\n" + body;
    const GLuint shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint done = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &done);
    if (done == GL_TRUE) return shader;
    char log[512] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    error = std::string("cannot compile a shader: ") + log;
    glDeleteShader(shader);
    return 0;
}

GLenum wrapMode(int value) { return value == GL_REPEAT ? GL_REPEAT : GL_CLAMP_TO_EDGE; }

}  // namespace

WebGlDevice::WebGlDevice(const char* canvas, bool preserveDrawingBuffer) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = preserveDrawingBuffer ? EM_TRUE : EM_FALSE;
    attributes.enableExtensionsByDefault = EM_FALSE;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(canvas, &attributes);
    if (context <= 0) {
        error_ = "this browser offers no WebGL 2";
        return;
    }
    context_ = context;
    emscripten_webgl_make_context_current(context);
    if (!makeProgram(false, smooth_) || !makeProgram(true, flat_)) return;

    glGenVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);
    glGenBuffers(1, &buffer_);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    const GLsizei stride = sizeof(Vertex);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, position)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, texCoord)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, colour)));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    // Untextured faces sample this, so that no draw ever meets a texture
    // without an image (WebGL would warn and draw black).
    static const uint8_t kWhite[4] = {255, 255, 255, 255};
    white_ = createTexture();
    glBindTexture(GL_TEXTURE_2D, white_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, kWhite);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    ok_ = true;
}

WebGlDevice::~WebGlDevice() {
    if (context_ > 0) emscripten_webgl_destroy_context(EMSCRIPTEN_WEBGL_CONTEXT_HANDLE(context_));
}

bool WebGlDevice::makeProgram(bool flat, Program& program) {
    const GLuint vertexShader = compile(GL_VERTEX_SHADER, kVertexShader, flat, error_);
    if (!vertexShader) return false;
    const GLuint fragmentShader = compile(GL_FRAGMENT_SHADER, kFragmentShader, flat, error_);
    if (!fragmentShader) return false;
    program.id = glCreateProgram();
    glAttachShader(program.id, vertexShader);
    glAttachShader(program.id, fragmentShader);
    glLinkProgram(program.id);
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);
    GLint linked = GL_FALSE;
    glGetProgramiv(program.id, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        error_ = "cannot link the shader program";
        return false;
    }
    program.transform = glGetUniformLocation(program.id, "transform");
    program.textureMatrix = glGetUniformLocation(program.id, "textureMatrix");
    glUseProgram(program.id);
    glUniform1i(glGetUniformLocation(program.id, "image"), 0);
    return true;
}

uint32_t WebGlDevice::takeWebGlError() { return glGetError(); }

void WebGlDevice::viewport(int x, int y, int width, int height) { glViewport(x, y, width, height); }

void WebGlDevice::clear(uint32_t mask, const float colour[4]) {
    glClearColor(colour[0], colour[1], colour[2], colour[3]);
    glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
}

uint32_t WebGlDevice::createTexture() {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    return texture;
}

void WebGlDevice::deleteTexture(uint32_t texture) {
    const GLuint name = texture;
    glDeleteTextures(1, &name);
}

void WebGlDevice::uploadTexture(uint32_t texture, const std::vector<TextureLevel>& levels) {
    glBindTexture(GL_TEXTURE_2D, texture);
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const TextureLevel& level = levels[i];
        glTexImage2D(GL_TEXTURE_2D, GLint(i), GL_RGBA8, level.width, level.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     level.rgba.data());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(levels.size()) - 1);
}

void WebGlDevice::textureParameter(uint32_t texture, uint32_t name, int value) {
    glBindTexture(GL_TEXTURE_2D, texture);
    const bool wrap = name == GL_TEXTURE_WRAP_S || name == GL_TEXTURE_WRAP_T;
    glTexParameteri(GL_TEXTURE_2D, name, GLint(wrap ? wrapMode(value) : GLenum(value)));
}

void WebGlDevice::draw(const std::vector<Vertex>& vertices, const std::vector<DrawBatch>& batches) {
    glBindVertexArray(vertexArray_);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    // A new store each time rather than an update of the one the last draw
    // may still read: the browser then never copies behind a draw.
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(Vertex)), vertices.data(), GL_STREAM_DRAW);

    const Program* used = nullptr;
    for (const DrawBatch& batch : batches) {
        const Program& program = batch.flat ? flat_ : smooth_;
        if (&program != used) {
            glUseProgram(program.id);
            used = &program;
        }
        glUniformMatrix4fv(program.transform, 1, GL_FALSE, batch.transform.data());
        glUniformMatrix4fv(program.textureMatrix, 1, GL_FALSE, batch.textureMatrix.data());
        glBindTexture(GL_TEXTURE_2D, batch.texture != 0 ? batch.texture : white_);
        if (batch.depthTest) {
            glEnable(GL_DEPTH_TEST);
        } else {
            glDisable(GL_DEPTH_TEST);
        }
        glDrawArrays(batch.primitive == Primitive::Lines ? GL_LINES : GL_TRIANGLES, batch.first, batch.count);
    }
}

void WebGlDevice::submit() { glFlush(); }

// The browser's finish returns before the drawing is done; reading a pixel
// back waits for it.
void WebGlDevice::finish() {
    uint8_t pixel[4];
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
}
