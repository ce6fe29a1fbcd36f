#include "linux/common/pixel_quads.h"

#include <algorithm>
#include <cstddef>

namespace {

constexpr std::uint32_t opaque = 0xff000000u;

std::uint32_t channel(float level, int shift)
{
    const float clamped = std::min(1.0f, std::max(0.0f, level));
    return static_cast<std::uint32_t>(clamped * 255.0f + 0.5f) << shift;
}

} // namespace

PixelQuads::PixelQuads(std::uint32_t* pixels, int width, int height)
    : pixels_(pixels), width_(std::max(0, width)), height_(std::max(0, height))
{
}

void PixelQuads::clear()
{
    std::fill(pixels_, pixels_ + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), opaque);
}

void PixelQuads::colour(float red, float green, float blue)
{
    colour_ = opaque | channel(red, 16) | channel(green, 8) | channel(blue, 0);
}

void PixelQuads::quad(int left, int bottom, int right, int top)
{
    left = std::max(left, 0);
    right = std::min(right, width_);
    bottom = std::max(bottom, 0);
    top = std::min(top, height_);
    // GL's row y is the buffer's row height - 1 - y.
    for (int y = bottom; y < top && left < right; ++y) {
        std::uint32_t* row = pixels_ + static_cast<std::size_t>(height_ - 1 - y) * static_cast<std::size_t>(width_);
        std::fill(row + left, row + right, colour_);
    }
}
