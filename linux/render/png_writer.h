// Saves an RGB picture as a PNG without ever leaving a half-written file:
// the bytes go to a temporary file in the target's directory, unnamed where
// the file system allows it (so that even a killed process leaves nothing
// behind), which takes the target's name only once it is complete. Only a
// regular file or a symbolic link is ever replaced (the link itself, not
// what it points at), and only one the user may write; a replaced file's
// mode is kept, and its owner and group where the user may give them.
#pragma once

#include "linux/safe_replace/beside_file.h"

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
    // Removes the temporary file unless place succeeded.
    ~PngWriter();

    // Checks the target and creates the temporary file now, so that an
    // unwritable or unsuitable destination is reported before any work is
    // spent on the picture.
    bool open(const std::string& path, std::string& error);

    // rows: height rows of width * pngBytesPerPixel bytes, the bottom row first as GL reads
    // them; the PNG gets them top row first. Writes and syncs the temporary file.
    bool write(int width, int height, const std::vector<std::uint8_t>& rows, std::string& error);

    // Gives the written file the target's name, replacing what was there.
    bool place(std::string& error);

    // write, then place.
    bool commit(int width, int height, const std::vector<std::uint8_t>& rows, std::string& error);

    // Drops the temporary file (also done by the destructor).
    void discard();

    // The temporary file's name while it has one (always on file systems
    // without unnamed files, else only for a moment inside place); empty
    // otherwise.
    const std::string& temporaryPath() const { return file_.temporaryName(); }

private:
    // The picture's bytes synced to the file; discards it where they are not.
    bool synced(std::string& error);

    std::string path_;
    BesideFile file_;
    bool written_ = false;
};
