// Shared set-up of the texture tests: a clean recording double and a registry
// as a fresh process has it, plus pixel access into the last upload.
#pragma once

#include "recording_gl.h"
#include "textures/texture.h"
#include "textures/texture_registry.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

class TextureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gldouble::reset();
        TextureRegistry& registry = TextureRegistry::instance;
        registry.count = 0;
        registry.envModeOverride = 0;
        registry.lastBoundName = 0xFFFFFFFFu;
    }

    static TextureRegistry& registry() { return TextureRegistry::instance; }

    // The bytes of one pixel of the latest upload.
    static std::vector<int> pixelAt(int width, int row, int column, int bytesPerPixel = 4)
    {
        const std::vector<unsigned char>& image = gldouble::lastImage();
        const std::size_t start =
            (static_cast<std::size_t>(row) * width + column) * static_cast<std::size_t>(bytesPerPixel);
        std::vector<int> bytes;
        for (int i = 0; i < bytesPerPixel; ++i)
            bytes.push_back(image.at(start + i));
        return bytes;
    }

    static std::vector<int> grey(int value) { return {value, value, value, value}; }
};
