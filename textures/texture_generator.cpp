#include "components/random_source.h"
#include "components/scalar_helpers.h"
#include "textures/texture.h"
#include "textures/texture_registry.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// Named quantities are held as floats and every operation between them is
// done in double precision, so each narrowing happens exactly where the
// reference picture narrows.

namespace {

// Fixed work areas, sized for the largest accepted image; static because
// together they are half a megabyte.
unsigned char pixels[Texture::maxPixels * 4];
float smokeGrid[Texture::smokeGridSize][Texture::smokeGridSize];

const char* const kindNames[textureKindCount] = {
    "SPHERE", "NOTSPHERE", "GRADIENT", "SMOKE", "HALO", "STAR", "SAND", "BLANK", "SPARK",
};

int bytesPerPixel(GLenum format)
{
    switch (format) {
    case GL_RGBA: return 4;
    case GL_LUMINANCE_ALPHA: return 2;
    default: return 0;
    }
}

// Truncation toward zero keeping the low 8 bits. Every formula stays within
// 0..255, but a value no integer can hold must not reach the conversion.
unsigned char toByte(float value)
{
    if (!(value > -2147483648.0f && value < 2147483648.0f))
        return 0;
    return static_cast<unsigned char>(static_cast<std::uint32_t>(static_cast<std::int32_t>(value)) & 0xFFu);
}

void storePixel(long index, GLenum format, float r, float g, float b, float a)
{
    if (format == GL_RGBA) {
        unsigned char* p = pixels + index * 4;
        p[0] = toByte(r);
        p[1] = toByte(g);
        p[2] = toByte(b);
        p[3] = toByte(a);
    } else {
        unsigned char* p = pixels + index * 2;
        p[0] = toByte(r);
        p[1] = toByte(a);
    }
}

// Distance relative to the spot radius cx, limited to 1. A texture one pixel
// wide has a radius of 0: only its centre pixel counts as inside.
float spotDistance(double r, int cx)
{
    float d;
    if (cx != 0)
        d = static_cast<float>(r / cx);
    else
        d = r == 0.0 ? 0.0f : 1.0f;
    if (d > 1)
        d = 1;
    return d;
}

// One axis of the star's tent. With a half size of 0 the only row or column
// is the centre one, where the tent is at its peak.
float starTent(float offset, int half)
{
    if (half == 0)
        return 1.0f;
    return static_cast<float>((half - std::fabs(static_cast<double>(offset))) / half);
}

// What a per-pixel formula sees of one pixel: its indices, its offset from
// the centre (cx, cy) and its distance r from it.
struct PixelSite {
    int column;
    int row;
    float x;
    float y;
    double r;
    int cx;
    int cy;
};

struct Rgba {
    float r, g, b, a;
};

Rgba grey(float v) { return Rgba{v, v, v, v}; }

// Runs one kind's formula over the image in row-major order, the order in
// which the kinds that draw from the random sequence must draw.
template <Rgba (*shade)(const PixelSite&)>
void fillEachPixel(int width, int height, GLenum format)
{
    const int cx = static_cast<int>(width * 0.5);
    const int cy = static_cast<int>(height * 0.5);
    long index = 0;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column, ++index) {
            const float x = static_cast<float>(column - cx);
            const float y = static_cast<float>(row - cy);
            const double r = std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y);
            const Rgba c = shade(PixelSite{column, row, x, y, r, cx, cy});
            storePixel(index, format, c.r, c.g, c.b, c.a);
        }
    }
}

Rgba spherePixel(const PixelSite& p)
{
    const float d = spotDistance(p.r, p.cx);
    return grey(static_cast<float>((1 - static_cast<double>(d) * d) * 255));
}

Rgba notSpherePixel(const PixelSite& p)
{
    const float d = spotDistance(p.r, p.cx);
    return grey(static_cast<float>(static_cast<double>(d) * d * 255));
}

Rgba gradientPixel(const PixelSite& p)
{
    float v = static_cast<float>((16 - std::sqrt(2.0 * p.row)) * 15);
    // Past row 128 (above it: row 0 is the bottom of the image) the formula
    // turns negative; those rows are empty.
    if (v < 0)
        v = 0;
    return grey(v);
}

Rgba haloPixel(const PixelSite& p)
{
    float t = static_cast<float>(p.r / 58);
    if (t > 1)
        t = static_cast<float>(9 - 8 * static_cast<double>(t));
    return grey(t < 0 ? 0.0f : static_cast<float>(std::pow(static_cast<double>(t), 1.0) * 255));
}

Rgba starPixel(const PixelSite& p)
{
    const float u = starTent(p.x, p.cx);
    const float w = starTent(p.y, p.cy);
    float product = static_cast<float>(static_cast<double>(u) * w);
    if (product < 0)
        product = 0;
    else if (product > 1)
        product = 1;
    return grey(static_cast<float>(product * 255.0));
}

// One draw per pixel, and a second one for the grains that are neither black
// nor white.
Rgba sandPixel(const PixelSite&)
{
    const float s = static_cast<float>(frand(1.0));
    if (s < 0.001)
        return Rgba{0, 0, 0, 255};
    if (s < 0.002)
        return Rgba{255, 255, 255, 255};
    const float g = static_cast<float>(frand(127.0) + 127);
    return Rgba{g, static_cast<float>(g * 0.8), static_cast<float>(g * 0.6), g};
}

Rgba blankPixel(const PixelSite&) { return Rgba{0, 0, 0, 255}; }

Rgba sparkPixel(const PixelSite& p)
{
    // Past column 128 the band's formula has no real value; those columns
    // are dark, but still take their one draw so the sequence stays one draw
    // per pixel.
    const float a = static_cast<float>(64 - std::abs(p.column - 64));
    float v = 0;
    if (a >= 0) {
        float t = static_cast<float>(std::sqrt(static_cast<double>(a)) / 7 - 0.1);
        t = maxf(0, minf(t, 1));
        v = static_cast<float>(std::pow(static_cast<double>(t), 4.0) * 255);
    }
    const double draw = frand(255 - static_cast<double>(v));
    if (a >= 0 && draw < 10)
        v = 255;
    return grey(v);
}

// Adds one puff to the grid. At and beyond its radius a puff adds exactly 0
// (t comes out at 1 or more), so only the cells strictly inside it, within its
// bounding box clipped to the image, are visited; a cell it leaves alone keeps
// a value that was already weighed for the maximum.
void addPuff(int px, int py, int radius, int width, int height, float& maxValue)
{
    const int radiusSquared = radius * radius;
    const int rowFirst = py - radius < 0 ? 0 : py - radius;
    const int rowLast = py + radius > height - 1 ? height - 1 : py + radius;
    const int columnFirst = px - radius < 0 ? 0 : px - radius;
    const int columnLast = px + radius > width - 1 ? width - 1 : px + radius;
    for (int row = rowFirst; row <= rowLast; ++row) {
        const int dy = row - py;
        float* cells = smokeGrid[row];
        for (int column = columnFirst; column <= columnLast; ++column) {
            const int dx = column - px;
            const int squares = dx * dx + dy * dy;
            float t;
            if (radius > 0) {
                if (squares >= radiusSquared)
                    continue;
                t = static_cast<float>(std::sqrt(static_cast<double>(squares)) / radius);
                if (t > 1)
                    t = 1;
            } else {
                // A puff of radius 0 is the limit of a shrinking one: it
                // covers its centre cell fully and nothing else.
                t = squares == 0 ? 0.0f : 1.0f;
            }
            cells[column] = static_cast<float>(cells[column] + (1 - static_cast<double>(t)));
            if (cells[column] > maxValue)
                maxValue = cells[column];
        }
    }
}

// A SMOKE puff's size and place, as fractions of the texture's width (and,
// for the centre's row, its height): a radius of 4 % of the width plus up to
// 24 % more at random, and a centre scattered around the middle with a
// standard deviation of 17 %.
constexpr double puffRadiusFixedShare = 0.04;
constexpr double puffRadiusRandomShare = 0.24;
constexpr double puffCentreShare = 0.5;
constexpr double puffCentreSpreadShare = 0.17;
// The densest cell's value before the first puff clears the grid: below any
// sum of puffs, so the first cell a puff touches becomes the maximum.
constexpr float densestBeforeAnyPuff = -9999;

void fillSmoke(Texture& texture, int width, int height, GLenum format)
{
    const long pixelCount = static_cast<long>(width) * height;
    // Without a puff there is nothing to normalise: the image is empty.
    if (texture.puffCount < 1) {
        std::memset(pixels, 0, static_cast<std::size_t>(pixelCount * bytesPerPixel(format)));
        return;
    }
    float maxValue = densestBeforeAnyPuff;
    for (int puff = 0; puff < texture.puffCount; ++puff) {
        texture.puffRadius =
            static_cast<int>(frand(width * puffRadiusRandomShare) + width * puffRadiusFixedShare);
        const int px = static_cast<int>(frandGauss(static_cast<float>(width * puffCentreSpreadShare)) +
                                        width * puffCentreShare);
        const int py = static_cast<int>(frandGauss(static_cast<float>(height * puffCentreSpreadShare)) +
                                        height * puffCentreShare);
        if (puff == 0) {
            for (int row = 0; row < height; ++row)
                std::memset(smokeGrid[row], 0, sizeof(float) * static_cast<std::size_t>(width));
            maxValue = 0;
        }
        addPuff(px, py, texture.puffRadius, width, height, maxValue);
    }
    // Every puff can miss the image; an empty grid stays an empty image
    // rather than being scaled by an infinite factor.
    if (!(maxValue > 0)) {
        std::memset(pixels, 0, static_cast<std::size_t>(pixelCount * bytesPerPixel(format)));
        return;
    }
    const float scale = static_cast<float>(255 / static_cast<double>(maxValue));
    long index = 0;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column, ++index) {
            const float v = static_cast<float>(static_cast<double>(scale) * smokeGrid[row][column]);
            storePixel(index, format, v, v, v, v);
        }
    }
}

// One fill per kind; only SMOKE reads the texture, for its puff settings.
void fillImage(Texture& texture, TextureKind kind, int width, int height, GLenum format)
{
    switch (kind) {
    case SPHERE: fillEachPixel<spherePixel>(width, height, format); break;
    case NOTSPHERE: fillEachPixel<notSpherePixel>(width, height, format); break;
    case GRADIENT: fillEachPixel<gradientPixel>(width, height, format); break;
    case SMOKE: fillSmoke(texture, width, height, format); break;
    case HALO: fillEachPixel<haloPixel>(width, height, format); break;
    case STAR: fillEachPixel<starPixel>(width, height, format); break;
    case SAND: fillEachPixel<sandPixel>(width, height, format); break;
    case BLANK: fillEachPixel<blankPixel>(width, height, format); break;
    case SPARK: fillEachPixel<sparkPixel>(width, height, format); break;
    }
}

bool acceptable(TextureKind kind, int width, int height, GLenum format)
{
    if (width < 1 || height < 1)
        return false;
    if (static_cast<std::int64_t>(width) * height > Texture::maxPixels)
        return false;
    if (static_cast<std::uint32_t>(kind) >= static_cast<std::uint32_t>(textureKindCount))
        return false;
    if (bytesPerPixel(format) == 0)
        return false;
    if (kind == SMOKE && (width > Texture::smokeGridSize || height > Texture::smokeGridSize))
        return false;
    const int slot = TextureRegistry::instance.count;
    return slot >= 0 && slot < TextureRegistry::capacity;
}

} // namespace

const char* textureKindName(TextureKind kind)
{
    if (static_cast<std::uint32_t>(kind) >= static_cast<std::uint32_t>(textureKindCount))
        return nullptr;
    return kindNames[kind];
}

int Texture::generate(TextureKind kind, int newWidth, int newHeight, GLenum newFormat, int mipmapped)
{
    width = newWidth;
    height = newHeight;
    format = newFormat;
    if (!acceptable(kind, width, height, format))
        return 1;

    TextureRegistry& registry = TextureRegistry::instance;
    const int slot = registry.count;
    registry.textures[slot] = this;
    registryIndex = slot;
    std::strcpy(registry.names[slot], textureKindName(kind));

    fillImage(*this, kind, width, height, format);

    bind();
    applyFilters(mipmapped);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, format,
                 GL_UNSIGNED_BYTE, pixels);
    if (mipmapped)
        gluBuild2DMipmaps(GL_TEXTURE_2D, 4, width, height, format, GL_UNSIGNED_BYTE, pixels);
    registry.count = slot + 1;
    return 0;
}
