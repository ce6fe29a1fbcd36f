// Every OpenGL 1.1 and GLU function the scene calls, in one list, so that the
// table holding them, the code resolving them and the plain-named functions
// forwarding to them cannot fall out of step. A function the scene starts to
// call is added here, or the Windows build does not link.
// X(result, name, (parameters), (arguments))
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#define CASCADE_GL_ENTRY_POINTS(X) \
    X(void, glBegin, (GLenum mode), (mode)) \
    X(void, glBindTexture, (GLenum target, GLuint texture), (target, texture)) \
    X(void, glBlendFunc, (GLenum sfactor, GLenum dfactor), (sfactor, dfactor)) \
    X(void, glCallList, (GLuint list), (list)) \
    X(void, glClear, (GLbitfield mask), (mask)) \
    X(void, glClearColor, (GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha), (red, green, blue, alpha)) \
    X(void, glColor3d, (GLdouble red, GLdouble green, GLdouble blue), (red, green, blue)) \
    X(void, glColor4f, (GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha), (red, green, blue, alpha)) \
    X(void, glColorMaterial, (GLenum face, GLenum mode), (face, mode)) \
    X(void, glDeleteLists, (GLuint list, GLsizei range), (list, range)) \
    X(void, glDeleteTextures, (GLsizei n, const GLuint *textures), (n, textures)) \
    X(void, glDepthFunc, (GLenum func), (func)) \
    X(void, glDepthMask, (GLboolean flag), (flag)) \
    X(void, glDisable, (GLenum cap), (cap)) \
    X(void, glEnable, (GLenum cap), (cap)) \
    X(void, glEnd, (), ()) \
    X(void, glEndList, (), ()) \
    X(void, glFlush, (), ()) \
    X(void, glFogf, (GLenum pname, GLfloat param), (pname, param)) \
    X(void, glFogfv, (GLenum pname, const GLfloat *params), (pname, params)) \
    X(void, glFogi, (GLenum pname, GLint param), (pname, param)) \
    X(GLuint, glGenLists, (GLsizei range), (range)) \
    X(void, glGenTextures, (GLsizei n, GLuint *textures), (n, textures)) \
    X(void, glHint, (GLenum target, GLenum mode), (target, mode)) \
    X(void, glLightModeli, (GLenum pname, GLint param), (pname, param)) \
    X(void, glLineWidth, (GLfloat width), (width)) \
    X(void, glLoadIdentity, (), ()) \
    X(void, glMatrixMode, (GLenum mode), (mode)) \
    X(void, glNewList, (GLuint list, GLenum mode), (list, mode)) \
    X(void, glNormal3f, (GLfloat nx, GLfloat ny, GLfloat nz), (nx, ny, nz)) \
    X(void, glOrtho, (GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar), (left, right, bottom, top, zNear, zFar)) \
    X(void, glPixelStorei, (GLenum pname, GLint param), (pname, param)) \
    X(void, glPointSize, (GLfloat size), (size)) \
    X(void, glPolygonMode, (GLenum face, GLenum mode), (face, mode)) \
    X(void, glPopMatrix, (), ()) \
    X(void, glPushMatrix, (), ()) \
    X(void, glRotatef, (GLfloat angle, GLfloat x, GLfloat y, GLfloat z), (angle, x, y, z)) \
    X(void, glShadeModel, (GLenum mode), (mode)) \
    X(void, glTexCoord2d, (GLdouble s, GLdouble t), (s, t)) \
    X(void, glTexCoord2f, (GLfloat s, GLfloat t), (s, t)) \
    X(void, glTexEnvf, (GLenum target, GLenum pname, GLfloat param), (target, pname, param)) \
    X(void, glTexEnvfv, (GLenum target, GLenum pname, const GLfloat *params), (target, pname, params)) \
    X(void, glTexImage2D, (GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height, GLint border, GLenum format, GLenum type, const GLvoid *pixels), (target, level, internalformat, width, height, border, format, type, pixels)) \
    X(void, glTexParameteri, (GLenum target, GLenum pname, GLint param), (target, pname, param)) \
    X(void, glTexSubImage2D, (GLenum target, GLint level, GLint xoffset, GLint yoffset, GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid *pixels), (target, level, xoffset, yoffset, width, height, format, type, pixels)) \
    X(void, glTranslatef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z)) \
    X(void, glVertex2f, (GLfloat x, GLfloat y), (x, y)) \
    X(void, glVertex3d, (GLdouble x, GLdouble y, GLdouble z), (x, y, z)) \
    X(void, glViewport, (GLint x, GLint y, GLsizei width, GLsizei height), (x, y, width, height))

#define CASCADE_GLU_ENTRY_POINTS(X) \
    X(int, gluBuild2DMipmaps, (GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type, const void *data), (target, components, width, height, format, type, data)) \
    X(void, gluLookAt, (GLdouble eyex, GLdouble eyey, GLdouble eyez, GLdouble centerx, GLdouble centery, GLdouble centerz, GLdouble upx, GLdouble upy, GLdouble upz), (eyex, eyey, eyez, centerx, centery, centerz, upx, upy, upz)) \
    X(void, gluPerspective, (GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar), (fovy, aspect, zNear, zFar))

// The one spelling of an entry's type, calling convention included: the
// table's pointer declares (*name), the plain-named forwarder name itself.
// On 32-bit x86 a pointer without APIENTRY would call the system's function
// with the wrong convention and unbalance the stack on every call;
// gl_entry_types.cpp holds each against the system header's declaration.
#define CASCADE_GL_FUNCTION(result, declarator, parameters) result APIENTRY declarator parameters

struct GLEntryPoints {
#define CASCADE_GL_POINTER(result, name, parameters, arguments) CASCADE_GL_FUNCTION(result, (*name), parameters);
    CASCADE_GL_ENTRY_POINTS(CASCADE_GL_POINTER)
    CASCADE_GLU_ENTRY_POINTS(CASCADE_GL_POINTER)
#undef CASCADE_GL_POINTER
};

// What the plain-named functions call. All null, so that every call does
// nothing, while no context is current (see enableGLCalls).
extern GLEntryPoints glCalls;
