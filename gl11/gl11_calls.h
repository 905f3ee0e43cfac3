#pragma once

#include "gl11/gl11_context.h"

// The context that the free OpenGL 1.1 and GLU functions of <GL/gl.h> and
// <GL/glu.h> act on. Without one they do nothing (glGetError reports
// GL_INVALID_OPERATION, gluBuild2DMipmaps GLU_INVALID_OPERATION).
void makeGl11ContextCurrent(Gl11Context* context);
Gl11Context* currentGl11Context();
