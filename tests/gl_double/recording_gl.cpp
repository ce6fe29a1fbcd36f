#include "recording_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstring>

namespace gldouble {
namespace {

// Made on first use and never destroyed: the core's static objects call GL
// while the program's statics are constructed (the backdrop sets the clear
// colour) and torn down (a star cloud releases its list), in whatever order
// that happens.
std::vector<Call>& callLog()
{
    static auto* calls = new std::vector<Call>;
    return *calls;
}

std::vector<unsigned char>& imageBytes()
{
    static auto* bytes = new std::vector<unsigned char>;
    return *bytes;
}
bool recording = true;
bool genListsFails = false;
GLuint nextListName = 1;
GLuint nextTextureName = 1;

void record(const char* name, std::initializer_list<double> values)
{
    if (!recording)
        return;
    Call call;
    call.name = name;
    call.args.assign(values.begin(), values.end());
    callLog().push_back(std::move(call));
}

std::size_t bytesPerPixel(GLenum format)
{
    switch (format) {
    case GL_RGBA: return 4;
    case GL_RGB: return 3;
    case GL_LUMINANCE_ALPHA: return 2;
    case GL_LUMINANCE:
    case GL_ALPHA: return 1;
    default: return 0;
    }
}

void recordPixels(const char* name, std::initializer_list<double> values, GLenum format,
                  GLsizei width, GLsizei height, const void* pixels)
{
    if (!recording)
        return;
    std::size_t size = 0;
    if (pixels && width > 0 && height > 0)
        size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * bytesPerPixel(format);
    const auto* bytes = static_cast<const unsigned char*>(pixels);
    imageBytes().assign(bytes, bytes + size);
    record(name, values);
    callLog().back().digest = digestOf(pixels, size);
}

} // namespace

Call::Call(std::string callName, std::initializer_list<double> values)
    : name(std::move(callName)), args(values)
{
}

bool Call::operator==(const Call& other) const
{
    return name == other.name && args == other.args && digest == other.digest;
}

std::string describe(const Call& call)
{
    std::string text = call.name + "(";
    char number[40];
    for (std::size_t i = 0; i < call.args.size(); ++i) {
        std::snprintf(number, sizeof number, "%s%.17g", i ? ", " : "", call.args[i]);
        text += number;
    }
    text += ")";
    if (call.digest) {
        std::snprintf(number, sizeof number, " #%016llx", static_cast<unsigned long long>(call.digest));
        text += number;
    }
    return text;
}

std::ostream& operator<<(std::ostream& out, const Call& call) { return out << describe(call); }

void reset()
{
    callLog().clear();
    imageBytes().clear();
    genListsFails = false;
    nextListName = 1;
    nextTextureName = 1;
}

void setRecording(bool on) { recording = on; }

const std::vector<Call>& calls() { return callLog(); }
std::size_t callCount() { return callLog().size(); }

std::size_t countOf(const std::string& name)
{
    std::size_t n = 0;
    for (const Call& call : callLog())
        n += call.name == name;
    return n;
}

std::size_t find(const std::string& name, std::size_t from)
{
    for (std::size_t i = from; i < callLog().size(); ++i)
        if (callLog()[i].name == name)
            return i;
    return npos;
}

std::vector<Call> slice(std::size_t from, std::size_t count)
{
    if (from >= callLog().size())
        return {};
    const std::size_t end = count > callLog().size() - from ? callLog().size() : from + count;
    return std::vector<Call>(callLog().begin() + static_cast<std::ptrdiff_t>(from),
                             callLog().begin() + static_cast<std::ptrdiff_t>(end));
}

std::vector<Call> callsNamed(const std::string& name)
{
    std::vector<Call> named;
    for (const Call& call : callLog())
        if (call.name == name)
            named.push_back(call);
    return named;
}

const std::vector<unsigned char>& lastImage() { return imageBytes(); }

std::uint64_t digestOf(const void* data, std::size_t size)
{
    std::uint64_t hash = 1469598103934665603ull;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

void setGenListsFails(bool fails) { genListsFails = fails; }

} // namespace gldouble

using gldouble::record;

extern "C" {

void APIENTRY glClear(GLbitfield mask) { record("glClear", {double(mask)}); }
void APIENTRY glFlush() { record("glFlush", {}); }
void APIENTRY glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) { record("glClearColor", {r, g, b, a}); }
void APIENTRY glEnable(GLenum cap) { record("glEnable", {double(cap)}); }
void APIENTRY glDisable(GLenum cap) { record("glDisable", {double(cap)}); }
void APIENTRY glBlendFunc(GLenum s, GLenum d) { record("glBlendFunc", {double(s), double(d)}); }
void APIENTRY glDepthMask(GLboolean flag) { record("glDepthMask", {double(flag)}); }
void APIENTRY glDepthFunc(GLenum func) { record("glDepthFunc", {double(func)}); }
void APIENTRY glHint(GLenum target, GLenum mode) { record("glHint", {double(target), double(mode)}); }
void APIENTRY glLineWidth(GLfloat width) { record("glLineWidth", {width}); }
void APIENTRY glPointSize(GLfloat size) { record("glPointSize", {size}); }
void APIENTRY glShadeModel(GLenum mode) { record("glShadeModel", {double(mode)}); }
void APIENTRY glPolygonMode(GLenum face, GLenum mode) { record("glPolygonMode", {double(face), double(mode)}); }
void APIENTRY glLightModeli(GLenum pname, GLint param) { record("glLightModeli", {double(pname), double(param)}); }
void APIENTRY glColorMaterial(GLenum face, GLenum mode) { record("glColorMaterial", {double(face), double(mode)}); }
void APIENTRY glPixelStorei(GLenum pname, GLint param) { record("glPixelStorei", {double(pname), double(param)}); }

void APIENTRY glViewport(GLint x, GLint y, GLsizei w, GLsizei h) { record("glViewport", {double(x), double(y), double(w), double(h)}); }
void APIENTRY glMatrixMode(GLenum mode) { record("glMatrixMode", {double(mode)}); }
void APIENTRY glLoadIdentity() { record("glLoadIdentity", {}); }
void APIENTRY glPushMatrix() { record("glPushMatrix", {}); }
void APIENTRY glPopMatrix() { record("glPopMatrix", {}); }
void APIENTRY glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) { record("glOrtho", {l, r, b, t, n, f}); }
void APIENTRY glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) { record("glRotatef", {angle, x, y, z}); }
void APIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z) { record("glTranslatef", {x, y, z}); }

void APIENTRY glBegin(GLenum mode) { record("glBegin", {double(mode)}); }
void APIENTRY glEnd() { record("glEnd", {}); }
void APIENTRY glVertex2f(GLfloat x, GLfloat y) { record("glVertex2f", {x, y}); }
void APIENTRY glVertex3d(GLdouble x, GLdouble y, GLdouble z) { record("glVertex3d", {x, y, z}); }
void APIENTRY glColor3d(GLdouble r, GLdouble g, GLdouble b) { record("glColor3d", {r, g, b}); }
void APIENTRY glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { record("glColor4f", {r, g, b, a}); }
void APIENTRY glNormal3f(GLfloat x, GLfloat y, GLfloat z) { record("glNormal3f", {x, y, z}); }
void APIENTRY glTexCoord2f(GLfloat s, GLfloat t) { record("glTexCoord2f", {s, t}); }
void APIENTRY glTexCoord2d(GLdouble s, GLdouble t) { record("glTexCoord2d", {s, t}); }

void APIENTRY glFogi(GLenum pname, GLint param) { record("glFogi", {double(pname), double(param)}); }
void APIENTRY glFogf(GLenum pname, GLfloat param) { record("glFogf", {double(pname), param}); }
void APIENTRY glFogfv(GLenum pname, const GLfloat* p) { record("glFogfv", {double(pname), p[0], p[1], p[2], p[3]}); }

GLuint APIENTRY glGenLists(GLsizei range)
{
    GLuint first = 0;
    if (!gldouble::genListsFails && range > 0) {
        first = gldouble::nextListName;
        gldouble::nextListName += static_cast<GLuint>(range);
    }
    record("glGenLists", {double(range)});
    return first;
}
void APIENTRY glNewList(GLuint list, GLenum mode) { record("glNewList", {double(list), double(mode)}); }
void APIENTRY glEndList() { record("glEndList", {}); }
void APIENTRY glCallList(GLuint list) { record("glCallList", {double(list)}); }
void APIENTRY glDeleteLists(GLuint list, GLsizei range) { record("glDeleteLists", {double(list), double(range)}); }

void APIENTRY glGenTextures(GLsizei n, GLuint* textures)
{
    for (GLsizei i = 0; i < n; ++i)
        textures[i] = gldouble::nextTextureName++;
    record("glGenTextures", {double(n)});
}
void APIENTRY glDeleteTextures(GLsizei n, const GLuint* textures)
{
    record("glDeleteTextures", {double(n)});
    if (gldouble::recording)
        for (GLsizei i = 0; i < n; ++i)
            gldouble::callLog().back().args.push_back(textures[i]);
}
void APIENTRY glBindTexture(GLenum target, GLuint texture) { record("glBindTexture", {double(target), double(texture)}); }
void APIENTRY glTexParameteri(GLenum target, GLenum pname, GLint param) { record("glTexParameteri", {double(target), double(pname), double(param)}); }
void APIENTRY glTexEnvf(GLenum target, GLenum pname, GLfloat param) { record("glTexEnvf", {double(target), double(pname), param}); }
void APIENTRY glTexEnvfv(GLenum target, GLenum pname, const GLfloat* p) { record("glTexEnvfv", {double(target), double(pname), p[0], p[1], p[2], p[3]}); }
void APIENTRY glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const GLvoid* pixels)
{
    gldouble::recordPixels("glTexImage2D",
                           {double(target), double(level), double(internalFormat), double(width),
                            double(height), double(border), double(format), double(type)},
                           format, width, height, pixels);
}
void APIENTRY glTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height,
                     GLenum format, GLenum type, const GLvoid* pixels)
{
    gldouble::recordPixels("glTexSubImage2D",
                           {double(target), double(level), double(x), double(y), double(width),
                            double(height), double(format), double(type)},
                           format, width, height, pixels);
}

void APIENTRY gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz,
               GLdouble ux, GLdouble uy, GLdouble uz)
{
    record("gluLookAt", {ex, ey, ez, cx, cy, cz, ux, uy, uz});
}
void APIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    record("gluPerspective", {fovy, aspect, zNear, zFar});
}
GLint APIENTRY gluBuild2DMipmaps(GLenum target, GLint components, GLsizei width, GLsizei height,
                        GLenum format, GLenum type, const void* data)
{
    gldouble::recordPixels("gluBuild2DMipmaps",
                           {double(target), double(components), double(width), double(height),
                            double(format), double(type)},
                           format, width, height, data);
    return 0;
}

} // extern "C"
