// The saver generates only SMOKE, for its overlay: the other eight kinds serve tests and tools.
// The procedural images the generator can make. The value is what callers
// pass; the name is what the registry records for a generated texture.
#pragma once

#include <cstdint>

enum TextureKind : std::int32_t {
    SPHERE = 0,
    NOTSPHERE = 1,
    GRADIENT = 2,
    SMOKE = 3,
    HALO = 4,
    STAR = 5,
    SAND = 6,
    BLANK = 7,
    SPARK = 8,
};

constexpr int textureKindCount = 9;

// The registry name of a kind, or null for a value outside the nine kinds.
const char* textureKindName(TextureKind kind);
