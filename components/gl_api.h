// The OpenGL 1.1 and GLU entry points the drawing code calls. The core links
// no GL library of its own: programs link the system's, tests a recording double.
#pragma once
#include <GL/gl.h>
#include <GL/glu.h>
