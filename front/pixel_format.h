// The framebuffer the saver asks every window system for: 8 bits per colour
// channel and for alpha, and a 16-bit depth buffer. Each backend's create()
// takes it and puts it in its window system's terms: a GLX visual, an EGL
// config, a WGL pixel-format descriptor.
#pragma once

#include <string>

struct FramebufferFormat {
    int channelBits;  // each of red, green, blue and alpha
    int depthBits;
};

constexpr FramebufferFormat saverFramebuffer = {8, 16};

// "8-bit RGBA and a 16-bit depth buffer", for a backend's error line.
inline std::string describeFramebuffer(const FramebufferFormat& format)
{
    return std::to_string(format.channelBits) + "-bit RGBA and a " + std::to_string(format.depthBits) +
           "-bit depth buffer";
}
