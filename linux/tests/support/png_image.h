// Reads a PNG back for the tests: 8-bit RGB rows, top row first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // width * height * 3, top row first

    const std::uint8_t* at(int x, int y) const { return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3; }
};

// False when the file is missing or is not an 8-bit RGB PNG.
bool readRgbPng(const std::string& path, RgbImage& image);
std::string readFileBytes(const std::string& path);
// Names in a directory, without "." and "..", in the order the system gives.
std::vector<std::string> filesIn(const std::string& directory);
