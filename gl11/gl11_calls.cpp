// The show's OpenGL 1.1 and GLU calls, each handed to the current context.

#include <GL/gl.h>
#include <GL/glu.h>

#include "gl11/gl11_calls.h"

namespace {

Gl11Context* current = nullptr;

}  // namespace

void makeGl11ContextCurrent(Gl11Context* context) { current = context; }

Gl11Context* currentGl11Context() { return current; }

void glBegin(GLenum mode) {
    if (current) current->begin(mode);
}

void glEnd() {
    if (current) current->end();
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (current) current->vertex(x, y, z);
}

void glVertex3fv(const GLfloat* v) {
    if (current) current->vertex(v[0], v[1], v[2]);
}

void glNormal3fv(const GLfloat* v) {
    if (current) current->normal(v);
}

void glTexCoord2fv(const GLfloat* v) {
    if (current) current->texCoord(v[0], v[1]);
}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    if (current) current->colour(red, green, blue);
}

// A signed byte b stands for b / 127; -128 stays below -1 and clamps to 0.
void glColor3b(GLbyte red, GLbyte green, GLbyte blue) {
    if (current) current->colour(float(red) / 127.0f, float(green) / 127.0f, float(blue) / 127.0f);
}

void glMatrixMode(GLenum mode) {
    if (current) current->matrixMode(mode);
}

void glLoadIdentity() {
    if (current) current->loadIdentity();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    if (current) current->translate(x, y, z);
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    if (current) current->rotate(angle, x, y, z);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (current) current->viewport(x, y, width, height);
}

void glClear(GLbitfield mask) {
    if (current) current->clear(mask);
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    if (current) current->clearColour(red, green, blue, alpha);
}

void glEnable(GLenum cap) {
    if (current) current->enable(cap, true);
}

void glDisable(GLenum cap) {
    if (current) current->enable(cap, false);
}

void glShadeModel(GLenum mode) {
    if (current) current->shadeModel(mode);
}

void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
    if (current) current->material(face, pname, params);
}

void glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    if (current) current->light(light, pname, params);
}

void glGenTextures(GLsizei n, GLuint* textures) {
    if (current) current->genTextures(n, textures);
}

void glBindTexture(GLenum target, GLuint texture) {
    if (current) current->bindTexture(target, texture);
}

void glDeleteTextures(GLsizei n, const GLuint* textures) {
    if (current) current->deleteTextures(n, textures);
}

void glTexParameterf(GLenum target, GLenum pname, GLfloat param) {
    if (current) current->texParameter(target, pname, param);
}

void glPixelStorei(GLenum pname, GLint param) {
    if (current) current->pixelStore(pname, param);
}

void glGetIntegerv(GLenum pname, GLint* params) {
    if (current) current->getInteger(pname, params);
}

void glFinish() {
    if (current) current->finish();
}

GLenum glGetError() { return current ? current->takeError() : GLenum(GL_INVALID_OPERATION); }

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    if (current) current->perspective(fovy, aspect, zNear, zFar);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY, GLdouble centreZ,
               GLdouble upX, GLdouble upY, GLdouble upZ) {
    if (current) current->lookAt(eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ);
}

GLint gluBuild2DMipmaps(GLenum target, GLint components, GLsizei width, GLsizei height, GLenum format, GLenum type,
                        const void* data) {
    return current ? current->build2DMipmaps(target, components, width, height, format, type, data)
                   : GLint(GLU_INVALID_OPERATION);
}
