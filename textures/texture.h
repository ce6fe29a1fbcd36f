// The saver itself never calls applyNoise: it serves tests and tools.
// One GL 2D texture with the parameters its generator and noise pass read.
// Every generated texture is entered in the process-wide TextureRegistry,
// which also holds the bind state all textures share.
#pragma once

#include "components/gl_api.h"
#include "textures/texture_kind.h"

#include <cstdint>

// Flag bits of Texture::applyNoise, applied to each pixel in this order.
constexpr std::uint32_t NOISE_COLUMN_OFFSETS = 0x01;
constexpr std::uint32_t NOISE_ROW_OFFSET = 0x02;
constexpr std::uint32_t NOISE_PIXEL = 0x04;
constexpr std::uint32_t NOISE_RADIAL_FALLOFF = 0x08;
constexpr std::uint32_t NOISE_DARKEN_ODD_COLUMNS = 0x10;
constexpr std::uint32_t NOISE_DARKEN_ODD_ROWS = 0x20;

class Texture {
public:
    // Largest image the fixed work areas of generate and applyNoise hold.
    static constexpr int maxPixels = 65536;
    // SMOKE accumulates into a grid of this many rows and columns.
    static constexpr int smokeGridSize = 256;

    // Also empties the registry's slots and names (not its count).
    Texture();
    virtual ~Texture();

    // Makes this the current GL_TEXTURE_2D texture and applies its wrap and
    // environment modes, unless it is already the one bound last.
    void bind();
    // Unpack alignment and filters of the texture currently bound.
    void applyFilters(int mipmapped);

    // Builds a procedural image, registers the texture and uploads the image.
    // Returns 0 on success and 1 when the request is refused, in which case
    // only width, height and format change: no registration, no GL call.
    int generate(TextureKind kind, int width, int height, GLenum format, int mipmapped);

    // Rebuilds the level-0 image from a white field with the NOISE_* effects
    // and uploads it into the existing GL texture.
    void applyNoise(std::uint32_t flags, std::int32_t amplitude, std::int32_t radius);

    GLuint glName = 0;
    GLenum format = GL_RGBA;
    GLenum wrapMode = GL_REPEAT;
    GLenum envMode = GL_MODULATE;
    std::int32_t width = 128;
    std::int32_t height = 128;
    std::int32_t puffCount = 100;
    std::int32_t puffRadius = 12;
    std::int32_t registryIndex = -1;
};
