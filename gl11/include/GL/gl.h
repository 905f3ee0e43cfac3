#pragma once

// The OpenGL 1.1 calls that the show's renderer and texture code make, as the
// web build provides them over WebGL 2 (gl11/gl11_context.h). Only these are
// declared: a call beyond them fails to compile instead of doing nothing.
// They have C++ linkage, so that they never meet the WebGL calls of the same
// names that the layer itself makes.

typedef unsigned int GLenum;
typedef unsigned char GLboolean;
typedef unsigned int GLbitfield;
typedef void GLvoid;
typedef signed char GLbyte;
typedef unsigned char GLubyte;
typedef int GLint;
typedef int GLsizei;
typedef unsigned int GLuint;
typedef float GLfloat;
typedef float GLclampf;
typedef double GLdouble;

#define GL_FALSE 0
#define GL_TRUE 1

#define GL_NO_ERROR 0
#define GL_INVALID_ENUM 0x0500
#define GL_INVALID_VALUE 0x0501
#define GL_INVALID_OPERATION 0x0502

#define GL_POINTS 0x0000
#define GL_LINES 0x0001
#define GL_LINE_STRIP 0x0003
#define GL_TRIANGLES 0x0004

#define GL_DEPTH_BUFFER_BIT 0x00000100
#define GL_COLOR_BUFFER_BIT 0x00004000

#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701
#define GL_TEXTURE 0x1702

#define GL_DEPTH_TEST 0x0B71
#define GL_TEXTURE_2D 0x0DE1

#define GL_FLAT 0x1D00
#define GL_SMOOTH 0x1D01

#define GL_FRONT 0x0404
#define GL_DIFFUSE 0x1201
#define GL_SPECULAR 0x1202
#define GL_POSITION 0x1203
#define GL_SHININESS 0x1601
#define GL_LIGHT0 0x4000

#define GL_UNPACK_ALIGNMENT 0x0CF5

#define GL_TEXTURE_MAG_FILTER 0x2800
#define GL_TEXTURE_MIN_FILTER 0x2801
#define GL_TEXTURE_WRAP_S 0x2802
#define GL_TEXTURE_WRAP_T 0x2803
#define GL_NEAREST 0x2600
#define GL_LINEAR 0x2601
#define GL_NEAREST_MIPMAP_NEAREST 0x2700
#define GL_LINEAR_MIPMAP_NEAREST 0x2701
#define GL_NEAREST_MIPMAP_LINEAR 0x2702
#define GL_LINEAR_MIPMAP_LINEAR 0x2703
#define GL_CLAMP 0x2900
#define GL_REPEAT 0x2901

#define GL_UNSIGNED_BYTE 0x1401
#define GL_ALPHA 0x1906
#define GL_RGB 0x1907
#define GL_RGBA 0x1908
#define GL_LUMINANCE 0x1909
#define GL_LUMINANCE_ALPHA 0x190A

void glBegin(GLenum mode);
void glEnd();
void glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void glVertex3fv(const GLfloat* v);
void glNormal3fv(const GLfloat* v);
void glTexCoord2fv(const GLfloat* v);
void glColor3f(GLfloat red, GLfloat green, GLfloat blue);
void glColor3b(GLbyte red, GLbyte green, GLbyte blue);

void glMatrixMode(GLenum mode);
void glLoadIdentity();
void glTranslatef(GLfloat x, GLfloat y, GLfloat z);
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void glClear(GLbitfield mask);
void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
void glEnable(GLenum cap);
void glDisable(GLenum cap);
void glShadeModel(GLenum mode);
void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params);
void glLightfv(GLenum light, GLenum pname, const GLfloat* params);

void glGenTextures(GLsizei n, GLuint* textures);
void glBindTexture(GLenum target, GLuint texture);
void glDeleteTextures(GLsizei n, const GLuint* textures);
void glTexParameterf(GLenum target, GLenum pname, GLfloat param);
void glPixelStorei(GLenum pname, GLint param);
void glGetIntegerv(GLenum pname, GLint* params);

void glFinish();
GLenum glGetError();
