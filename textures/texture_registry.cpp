#include "textures/texture_registry.h"

#include "textures/texture.h"

namespace {
// Fails to compile if the registry ever stops being constant-initialisable:
// static textures elsewhere write to it during their dynamic initialisation.
constexpr bool constantInitialisable()
{
    TextureRegistry registry;
    return registry.count == 0;
}
static_assert(constantInitialisable(), "TextureRegistry must be constant-initialised");
} // namespace

TextureRegistry TextureRegistry::instance;

void TextureRegistry::deleteAllTextures()
{
    for (int slot = 0; slot < count && slot < capacity; ++slot) {
        Texture* texture = textures[slot];
        if (texture && texture->glName != 0)
            glDeleteTextures(1, &texture->glName);
    }
}
