// The process-wide table of generated textures and the bind state they share.
#pragma once

#include "components/gl_api.h"

#include <cstdint>

class Texture;

class TextureRegistry {
public:
    static constexpr int capacity = 31;
    static constexpr int nameLength = 80;

    // The one registry. Constant-initialised, so it is ready before any
    // static Texture is constructed, whatever the order of translation units.
    static TextureRegistry instance;

    // Deletes the GL name of every registered texture that has one; changes
    // no stored value.
    void deleteAllTextures();

    char names[capacity][nameLength] = {};
    Texture* textures[capacity] = {};
    GLenum envModeOverride = 0;
    std::int32_t count = 0;
    GLuint lastBoundName = 0xFFFFFFFFu;
    GLfloat envColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
};
