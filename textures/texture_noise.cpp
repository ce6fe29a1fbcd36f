#include "components/random_source.h"
#include "components/scalar_helpers.h"
#include "textures/texture.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr int maxColumnOffsets = 256;

// Fixed work areas of one call; static because the image alone is 256 KiB.
unsigned char pixels[Texture::maxPixels * 4];
std::int32_t columnOffsets[maxColumnOffsets];

// A draw in [0, amplitude) shifted down by half the amplitude.
double centredDraw(std::int32_t amplitude, std::int32_t halfAmp)
{
    return frand(static_cast<double>(amplitude)) - halfAmp;
}

} // namespace

void Texture::applyNoise(std::uint32_t flags, std::int32_t amplitude, std::int32_t radius)
{
    // The texture's own fields may describe an image the work areas cannot
    // hold (a refused generate still stores its size and format), so such a
    // call leaves the texture as it is: no draw, no GL call.
    if (width < 1 || height < 1)
        return;
    if (static_cast<std::int64_t>(width) * height > maxPixels)
        return;
    if ((flags & NOISE_COLUMN_OFFSETS) && width > maxColumnOffsets)
        return;
    if (format != GL_RGBA && format != GL_LUMINANCE_ALPHA)
        return;

    const std::int32_t halfAmp = static_cast<std::int32_t>(amplitude * 0.5);
    const int cx = static_cast<int>(width * 0.5);
    if (radius < 1)
        radius = 1;

    if (flags & NOISE_COLUMN_OFFSETS)
        for (int column = 0; column < width; ++column)
            columnOffsets[column] = static_cast<std::int32_t>(centredDraw(amplitude, halfAmp));

    long index = 0;
    for (int row = 0; row < height; ++row) {
        std::int32_t rowOffset = 0;
        if (flags & NOISE_ROW_OFFSET)
            rowOffset = static_cast<std::int32_t>(centredDraw(amplitude, halfAmp));
        // The falloff is centred on (cx, cx): the half width serves rows too.
        const double dy = static_cast<double>(row) - cx;
        const double dySquared = dy * dy;
        for (int column = 0; column < width; ++column, ++index) {
            float v = 255;
            if (flags & NOISE_COLUMN_OFFSETS)
                v = static_cast<float>(static_cast<double>(v) + columnOffsets[column]);
            if (flags & NOISE_ROW_OFFSET)
                v = static_cast<float>(static_cast<double>(v) + rowOffset);
            if (flags & NOISE_PIXEL)
                v = static_cast<float>(v + centredDraw(amplitude, halfAmp));
            if (flags & NOISE_RADIAL_FALLOFF) {
                const double x = static_cast<double>(column) - cx;
                const double q = std::sqrt(x * x + dySquared) / radius;
                float f = static_cast<float>(1 - q * q);
                if (f < 0)
                    f = 0;
                v = static_cast<float>(static_cast<double>(v) * f);
            }
            if ((flags & NOISE_DARKEN_ODD_COLUMNS) && (column & 1))
                v = static_cast<float>(static_cast<double>(v) - amplitude);
            if ((flags & NOISE_DARKEN_ODD_ROWS) && (row & 1))
                v = static_cast<float>(static_cast<double>(v) - amplitude);
            v = clampf(v, 0, 255);
            const unsigned char byte = static_cast<unsigned char>(static_cast<int>(v));
            if (format == GL_RGBA) {
                unsigned char* p = pixels + index * 4;
                p[0] = p[1] = p[2] = p[3] = byte;
            } else {
                unsigned char* p = pixels + index * 2;
                p[0] = p[1] = byte;
            }
        }
    }

    bind();
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, pixels);
}
