// The saver's pixel format, the same on every front: 8 bits per colour
// channel and for alpha, and a 16-bit depth buffer. Every GL context asks
// for it.
#pragma once

constexpr int channelBits = 8;
constexpr int depthBits = 16;
