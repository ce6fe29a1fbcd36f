#include "linux/wayland/picture_buffer.h"

namespace {

// The GL storage for the saver's framebuffer format (front/pixel_format.h).
GLenum colourStorage(const FramebufferFormat& format) { return format.channelBits > 8 ? GL_RGBA16 : GL_RGBA8; }
GLenum depthStorage(const FramebufferFormat& format)
{
    return format.depthBits > 16 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16;
}

template <typename Function>
bool loadOne(void (*(*loader)(const char*))(), const char* name, Function& function)
{
    function = reinterpret_cast<Function>(loader(name));
    return function != nullptr;
}

// The middle part of a from-sized picture with the aspect ratio of to.
void middlePart(int fromWidth, int fromHeight, int toWidth, int toHeight, GLint part[4])
{
    const long long wide = static_cast<long long>(fromWidth) * toHeight;
    const long long tall = static_cast<long long>(fromHeight) * toWidth;
    int width = fromWidth;
    int height = fromHeight;
    if (wide > tall)
        width = static_cast<int>(tall / toHeight);
    else if (tall > wide)
        height = static_cast<int>(wide / toWidth);
    part[0] = (fromWidth - width) / 2;
    part[1] = (fromHeight - height) / 2;
    part[2] = part[0] + width;
    part[3] = part[1] + height;
}

} // namespace

bool FramebufferFunctions::load(void (*(*loader)(const char*))())
{
    return loadOne(loader, "glGenFramebuffers", genFramebuffers) &&
           loadOne(loader, "glDeleteFramebuffers", deleteFramebuffers) &&
           loadOne(loader, "glBindFramebuffer", bindFramebuffer) &&
           loadOne(loader, "glGenRenderbuffers", genRenderbuffers) &&
           loadOne(loader, "glDeleteRenderbuffers", deleteRenderbuffers) &&
           loadOne(loader, "glBindRenderbuffer", bindRenderbuffer) &&
           loadOne(loader, "glRenderbufferStorage", renderbufferStorage) &&
           loadOne(loader, "glFramebufferRenderbuffer", framebufferRenderbuffer) &&
           loadOne(loader, "glCheckFramebufferStatus", checkFramebufferStatus) &&
           loadOne(loader, "glBlitFramebuffer", blitFramebuffer) &&
           loadOne(loader, "glFramebufferTexture2D", framebufferTexture2D);
}

void PictureBuffer::prepare(const FramebufferFunctions& functions, const FramebufferFormat& format, Colours colours)
{
    gl_ = functions;
    format_ = format;
    // BGRA bytes say nothing of a deeper format.
    colours_ = format.channelBits > 8 ? Colours::Renderbuffer : colours;
}

bool PictureBuffer::resize(int width, int height, std::string& error)
{
    if (objects_.framebuffer && width == width_ && height == height_)
        return true;
    Objects made;
    bool outOfMemory = false;
    if (!make(made, width, height, outOfMemory)) {
        release(made);
        error = "OpenGL would not make a " + std::to_string(width) + "x" + std::to_string(height) +
                " picture with " + describeFramebuffer(format_) + (outOfMemory ? ": out of memory" : "");
        return false;
    }
    if (objects_.framebuffer)
        blit(objects_.framebuffer, width_, height_, made.framebuffer, width, height);
    clearNew(made.framebuffer, objects_.framebuffer == 0);
    release(objects_);
    objects_ = made;
    width_ = width;
    height_ = height;
    bindForDrawing();
    return true;
}

void PictureBuffer::clearNew(GLuint framebuffer, bool colourToo) const
{
    // A first picture starts black, as a window's first frame does; one
    // carried over keeps its colours. Depth is never carried.
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_SCISSOR_BIT);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    gl_.bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glClear(GL_DEPTH_BUFFER_BIT | (colourToo ? GL_COLOR_BUFFER_BIT : 0));
    glPopAttrib();
}

void PictureBuffer::bindForDrawing() const { gl_.bindFramebuffer(GL_FRAMEBUFFER, objects_.framebuffer); }

void PictureBuffer::showIn(int width, int height, GLuint into) const
{
    blit(objects_.framebuffer, width_, height_, into, width, height);
}

void PictureBuffer::destroy()
{
    release(objects_);
    width_ = height_ = 0;
}

bool PictureBuffer::make(Objects& objects, int width, int height, bool& outOfMemory) const
{
    // Only this call's errors count.
    while (glGetError() != GL_NO_ERROR) {
    }
    gl_.genFramebuffers(1, &objects.framebuffer);
    gl_.bindFramebuffer(GL_FRAMEBUFFER, objects.framebuffer);
    makeColour(objects, width, height);
    if (format_.depthBits > 0) {
        gl_.genRenderbuffers(1, &objects.depth);
        gl_.bindRenderbuffer(GL_RENDERBUFFER, objects.depth);
        gl_.renderbufferStorage(GL_RENDERBUFFER, depthStorage(format_), width, height);
        gl_.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, objects.depth);
    }
    const bool complete = gl_.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    gl_.bindFramebuffer(GL_FRAMEBUFFER, objects_.framebuffer);
    // A storage GL could not allocate leaves its attachment incomplete too:
    // the error says why.
    const GLenum fault = glGetError();
    outOfMemory = fault == GL_OUT_OF_MEMORY;
    return complete && fault == GL_NO_ERROR;
}

// Attached to the bound framebuffer.
void PictureBuffer::makeColour(Objects& objects, int width, int height) const
{
    if (colours_ == Colours::Renderbuffer) {
        gl_.genRenderbuffers(1, &objects.colour);
        gl_.bindRenderbuffer(GL_RENDERBUFFER, objects.colour);
        gl_.renderbufferStorage(GL_RENDERBUFFER, colourStorage(format_), width, height);
        gl_.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, objects.colour);
        return;
    }
    // The scene's texture binding is its own; the picture's comes and goes.
    GLint sceneTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &sceneTexture);
    glGenTextures(1, &objects.colourTexture);
    glBindTexture(GL_TEXTURE_2D, objects.colourTexture);
    // Unsized, so that the driver may keep the bytes as they are given.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(sceneTexture));
    gl_.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, objects.colourTexture, 0);
}

void PictureBuffer::release(Objects& objects) const
{
    if (objects.colourTexture)
        glDeleteTextures(1, &objects.colourTexture);
    if (objects.framebuffer)
        gl_.deleteFramebuffers(1, &objects.framebuffer);
    if (objects.colour)
        gl_.deleteRenderbuffers(1, &objects.colour);
    if (objects.depth)
        gl_.deleteRenderbuffers(1, &objects.depth);
    objects = Objects{};
}

void PictureBuffer::blit(GLuint from, int fromWidth, int fromHeight, GLuint to, int toWidth, int toHeight) const
{
    GLint part[4];
    middlePart(fromWidth, fromHeight, toWidth, toHeight, part);
    // A blit is clipped by the scissor box: the scene's state must not cut
    // the copy short.
    glPushAttrib(GL_SCISSOR_BIT);
    glDisable(GL_SCISSOR_TEST);
    gl_.bindFramebuffer(GL_READ_FRAMEBUFFER, from);
    gl_.bindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    const bool sameSize = part[2] - part[0] == toWidth && part[3] - part[1] == toHeight;
    gl_.blitFramebuffer(part[0], part[1], part[2], part[3], 0, 0, toWidth, toHeight, GL_COLOR_BUFFER_BIT,
                        sameSize ? GL_NEAREST : GL_LINEAR);
    glPopAttrib();
}
