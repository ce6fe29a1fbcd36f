// The framebuffer the saver asks every window system for: 8 bits per colour
// channel and for alpha, and a 16-bit depth buffer. Each backend's create()
// takes it and puts it in its window system's terms: a GLX visual, an EGL
// config, a WGL pixel-format descriptor. A front whose scene tests no depth
// may ask for depthlessFramebuffer instead: a software rasterizer lays plain
// rectangles by a much quicker path where no depth buffer is bound.
#pragma once

#include <string>

struct FramebufferFormat {
    int channelBits;  // each of red, green, blue and alpha
    int depthBits;
};

constexpr FramebufferFormat saverFramebuffer = {8, 16};
constexpr FramebufferFormat depthlessFramebuffer = {8, 0};

// "8-bit RGBA and a 16-bit depth buffer" or "8-bit RGBA and no depth buffer",
// for a backend's error line.
inline std::string describeFramebuffer(const FramebufferFormat& format)
{
    const std::string depth =
        format.depthBits > 0 ? "a " + std::to_string(format.depthBits) + "-bit depth buffer" : "no depth buffer";
    return std::to_string(format.channelBits) + "-bit RGBA and " + depth;
}
