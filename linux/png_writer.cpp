#include "png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string describeErrno(const std::string& what, const std::string& path, int error)
{
    return what + " '" + path + "': " + std::strerror(error);
}

struct PngFailure {
    std::jmp_buf jump;
    char message[200] = {0};
};

void onPngError(png_structp png, png_const_charp message)
{
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    std::longjmp(failure->jump, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

} // namespace

PngWriter::~PngWriter() { discard(); }

void PngWriter::discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

bool PngWriter::open(const std::string& path, std::string& error)
{
    discard();
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        error = "cannot write '" + path + "': it is a directory";
        return false;
    }
    const auto slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string pattern = (slash == std::string::npos ? "" : directory) + "." + base + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkstemp(buffer.data());
    if (fd < 0) {
        error = describeErrno("cannot write", path, errno);
        return false;
    }
    // mkstemp makes the file private; give the picture the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    fd_ = fd;
    tempPath_ = buffer.data();
    path_ = path;
    return true;
}

bool PngWriter::commit(int width, int height, const std::vector<std::uint8_t>& rows,
                       std::string& error)
{
    if (fd_ < 0) {
        error = "no file was opened for the picture";
        return false;
    }
    if (width <= 0 || height <= 0 ||
        rows.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * pngBytesPerPixel) {
        error = "the picture's size does not match its pixels";
        return false;
    }
    FILE* file = ::fdopen(fd_, "wb");
    if (!file) {
        error = describeErrno("cannot write", path_, errno);
        discard();
        return false;
    }
    fd_ = -1; // now owned by the FILE

    PngFailure failure;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, onPngError, onPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        error = "cannot write '" + path_ + "': out of memory";
        discard();
        return false;
    }
    std::vector<png_const_bytep> rowPointers(static_cast<std::size_t>(height));
    const std::size_t stride = static_cast<std::size_t>(width) * pngBytesPerPixel;
    for (int y = 0; y < height; ++y)
        rowPointers[static_cast<std::size_t>(y)] = rows.data() + static_cast<std::size_t>(height - 1 - y) * stride;

    if (setjmp(failure.jump)) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        error = "cannot write '" + path_ + "': " + failure.message;
        discard();
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), pngBitsPerChannel,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, const_cast<png_bytepp>(rowPointers.data()));
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);

    // A full disk shows up at the flush or the sync, not at the writes.
    const bool flushed = std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
    const int flushError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!flushed || !closed) {
        error = describeErrno("cannot write", path_, flushed ? errno : flushError);
        discard();
        return false;
    }
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0) {
        error = describeErrno("cannot write", path_, errno);
        discard();
        return false;
    }
    tempPath_.clear();
    return true;
}
