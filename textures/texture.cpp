#include "textures/texture.h"

#include "textures/texture_registry.h"

Texture::Texture()
{
    TextureRegistry& registry = TextureRegistry::instance;
    for (int slot = 0; slot < TextureRegistry::capacity; ++slot) {
        registry.textures[slot] = nullptr;
        registry.names[slot][0] = '\0';
    }
    registry.envColour[0] = 1.0f;
    registry.envColour[1] = 1.0f;
    registry.envColour[2] = 1.0f;
    registry.envColour[3] = 1.0f;
}

Texture::~Texture()
{
    if (glName != 0)
        glDeleteTextures(1, &glName);
}

void Texture::bind()
{
    TextureRegistry& registry = TextureRegistry::instance;
    if (glName == 0)
        glGenTextures(1, &glName);
    if (glName == registry.lastBoundName)
        return;
    registry.lastBoundName = glName;
    glBindTexture(GL_TEXTURE_2D, glName);
    if (wrapMode != 0) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrapMode));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(wrapMode));
    }
    const GLenum mode = registry.envModeOverride != 0 ? registry.envModeOverride : envMode;
    if (mode == 0)
        return;
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(mode));
    if (mode == GL_BLEND)
        glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, registry.envColour);
}

void Texture::applyFilters(int mipmapped)
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    mipmapped ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR);
}
