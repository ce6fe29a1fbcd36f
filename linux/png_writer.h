// Saves an RGB picture as a PNG without ever leaving a half-written file:
// the bytes go to a temporary file beside the target, which is renamed over
// the target only once it is complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The pictures are RGB with one byte per channel.
constexpr std::size_t pngBytesPerPixel = 3;
constexpr int pngBitsPerChannel = 8;

class PngWriter {
public:
    PngWriter() = default;
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;
    // Removes the temporary file unless commit succeeded.
    ~PngWriter();

    // Creates the temporary file now, so that an unwritable destination is
    // reported before any work is spent on the picture.
    bool open(const std::string& path, std::string& error);

    // rows: height rows of width * pngBytesPerPixel bytes, the bottom row first as GL reads
    // them; the PNG gets them top row first. Writes, syncs and renames.
    bool commit(int width, int height, const std::vector<std::uint8_t>& rows, std::string& error);

    // Drops the temporary file (also done by the destructor).
    void discard();

    // The file being written until commit; empty when none is open.
    const std::string& temporaryPath() const { return tempPath_; }

private:
    std::string path_;
    std::string tempPath_;
    int fd_ = -1;
};
