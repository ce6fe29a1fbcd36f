// The saver's pixel format, the same as the Windows saver's: 8 bits per
// channel with alpha, and a 16-bit depth buffer. Both GL contexts ask for it.
#pragma once

constexpr int channelBits = 8;
constexpr int depthBits = 16;
