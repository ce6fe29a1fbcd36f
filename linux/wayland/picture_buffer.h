// The picture the scene draws, kept in a framebuffer object of its own. The
// scene never clears: each frame lays a translucent quad over the last one,
// so its picture must survive from frame to frame, and a Wayland EGL window's
// back buffer does not (after a swap it is another buffer, two or three
// frames old or never drawn). The picture is drawn here once per frame and
// copied to each output's buffer, scaled to fill it. Needs GL 3.0's
// framebuffer objects and blits, which the caller loads.
#pragma once

#include "front/pixel_format.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <string>

struct FramebufferFunctions {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;

    // Fills every entry through the loader; false if any is missing.
    bool load(void (*(*loader)(const char*))());
};

class PictureBuffer {
public:
    PictureBuffer() = default;
    PictureBuffer(const PictureBuffer&) = delete;
    PictureBuffer& operator=(const PictureBuffer&) = delete;

    // Where the colours are kept. Renderbuffer: in the driver's own choice.
    // BgraTexture: in a texture made from BGRA bytes, which a driver that
    // keeps a texture as its pixels came (llvmpipe) stores in XRGB8888's
    // order, so that it reads into shared memory without a conversion.
    enum class Colours { Renderbuffer, BgraTexture };

    // With a context current: the functions to use and the format to keep.
    void prepare(const FramebufferFunctions& functions, const FramebufferFormat& format,
                 Colours colours = Colours::Renderbuffer);
    // A width x height picture, bound for drawing. A picture of another size
    // already there is carried over, scaled, so that a new output or a
    // resized window does not start from black. False with error set when GL
    // would not make it.
    bool resize(int width, int height, std::string& error);
    // Binds the picture as where the scene draws.
    void bindForDrawing() const;
    // Copies the picture into framebuffer into (0: the default framebuffer
    // of the current surface), width x height pixels, filling it: the middle
    // of the picture where the aspect ratios differ.
    void showIn(int width, int height, GLuint into = 0) const;
    // Frees the GL objects; the context must be current.
    void destroy();

    GLuint framebuffer() const { return objects_.framebuffer; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    struct Objects {
        GLuint framebuffer = 0;
        GLuint colour = 0;
        GLuint colourTexture = 0;
        GLuint depth = 0;
    };
    // False where GL would not; outOfMemory says whether for want of memory.
    bool make(Objects& objects, int width, int height, bool& outOfMemory) const;
    void makeColour(Objects& objects, int width, int height) const;
    void release(Objects& objects) const;
    void clearNew(GLuint framebuffer, bool colourToo) const;
    void blit(GLuint from, int fromWidth, int fromHeight, GLuint to, int toWidth, int toHeight) const;

    FramebufferFunctions gl_;
    FramebufferFormat format_{};
    Colours colours_ = Colours::Renderbuffer;
    Objects objects_;
    int width_ = 0;
    int height_ = 0;
};
