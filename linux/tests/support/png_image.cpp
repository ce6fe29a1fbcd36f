#include "linux/tests/support/png_image.h"

#include <dirent.h>

#include <png.h>

#include <cstdio>
#include <fstream>
#include <sstream>

bool readRgbPng(const std::string& path, RgbImage& image)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return false;
    const bool rgb8 = png.format == PNG_FORMAT_RGB;
    png.format = PNG_FORMAT_RGB;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.pixels.assign(PNG_IMAGE_SIZE(png), 0);
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr))
        return false;
    return rgb8;
}

std::string readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> filesIn(const std::string& directory)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(directory.c_str())) {
        while (dirent* entry = readdir(dir))
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                names.push_back(entry->d_name);
        closedir(dir);
    }
    return names;
}
