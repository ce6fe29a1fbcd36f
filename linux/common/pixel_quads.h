// The font's rectangles drawn by the CPU straight into a picture in memory:
// XRGB8888 words, the top row first, as a Wayland shared-memory buffer
// holds them. For the lock's prompt where GL can draw nothing at all (no
// memory left for a frame), so that the password can still be typed.
#pragma once

#include "linux/common/bitmap_font.h"

#include <cstdint>

class PixelQuads final : public QuadSink {
public:
    // pixels: width x height words, rows packed.
    PixelQuads(std::uint32_t* pixels, int width, int height);

    // Every pixel black.
    void clear();
    void colour(float red, float green, float blue) override;
    // Clipped to the picture.
    void quad(int left, int bottom, int right, int top) override;

private:
    std::uint32_t* pixels_;
    int width_;
    int height_;
    std::uint32_t colour_ = 0;
};
