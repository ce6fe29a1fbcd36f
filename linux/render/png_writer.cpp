#include "linux/render/png_writer.h"

#include "linux/common/quoted_text.h"
#include "linux/safe_replace/beside_file.h"

#include <png.h>

#include <cerrno>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A temporary name is the target's with a dot before and ".XXXXXX" after.
constexpr std::size_t temporaryNameExtra = 8;
constexpr int temporaryNameSuffixLength = 6;
// Enough tries to step past names other writers hold at the same moment.
constexpr int maxNameAttempts = 100;
// What any program gives a new file, less the umask.
constexpr mode_t newFileMode = 0666;

std::string describeErrno(const std::string& path, int error)
{
    return "cannot write " + quoted(path) + ": " + std::strerror(error);
}

struct PngFailure {
    std::jmp_buf jump;
    char message[200] = {0};
    int fd = -1;
};

void onPngError(png_structp png, png_const_charp message)
{
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    std::longjmp(failure->jump, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// Straight to the file, so that a failed write reports why (a full disk
// says so) instead of libpng's own "Write Error".
void writePngData(png_structp png, png_bytep data, png_size_t length)
{
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    while (length > 0) {
        const ssize_t written = ::write(failure->fd, data, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            png_error(png, std::strerror(written < 0 ? errno : ENOSPC));
        data += written;
        length -= static_cast<png_size_t>(written);
    }
}

void flushPngData(png_structp) {}

struct PathParts {
    std::string directory; // for open(): "." when the path names none
    std::string prefix;    // what goes before a name in the same directory
    std::string base;
};

PathParts splitPath(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", "", path};
    return {path.substr(0, slash + 1), path.substr(0, slash + 1), path.substr(slash + 1)};
}

// ".NAME.XXXXXX", with NAME cut where the whole would be longer than the
// directory allows: a target whose own name is at the limit stays writable.
std::string temporaryPattern(const PathParts& parts)
{
    long nameMax = ::pathconf(parts.directory.c_str(), _PC_NAME_MAX);
    if (nameMax <= static_cast<long>(temporaryNameExtra))
        nameMax = NAME_MAX;
    const std::size_t room = static_cast<std::size_t>(nameMax) - temporaryNameExtra;
    return parts.prefix + "." + parts.base.substr(0, room) + ".XXXXXX";
}

// The pattern with its X's replaced; unique enough with the retries on EEXIST.
std::string fillPattern(const std::string& pattern, int attempt)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    unsigned long long seed = (static_cast<unsigned long long>(now.tv_nsec) * 2654435761u) ^
                              (static_cast<unsigned long long>(::getpid()) << 20) ^
                              (static_cast<unsigned>(attempt) * 40503u);
    std::string name = pattern;
    for (int i = 0; i < temporaryNameSuffixLength; ++i) {
        name[name.size() - 1 - static_cast<std::size_t>(i)] = letters[seed % (sizeof letters - 1)];
        seed /= sizeof letters - 1;
    }
    return name;
}

// Only nothing, a regular file the user may write, or a symbolic link (which
// is replaced, not followed) may be at the target.
bool targetReplaceable(const std::string& path, std::string& error)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return true;
        error = describeErrno(path, errno);
        return false;
    }
    if (S_ISLNK(info.st_mode))
        return true;
    if (S_ISDIR(info.st_mode)) {
        error = "cannot write " + quoted(path) + ": it is a directory";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "cannot write " + quoted(path) + ": it is not a regular file";
        return false;
    }
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        error = describeErrno(path, errno);
        return false;
    }
    return true;
}

} // namespace

PngWriter::~PngWriter() { discard(); }

void PngWriter::discard()
{
    file_.discard();
    written_ = false;
}

bool PngWriter::open(const std::string& path, std::string& error)
{
    discard();
    if (!targetReplaceable(path, error))
        return false;
    path_ = path;
    const PathParts parts = splitPath(path);
    if (file_.create(parts.directory, newFileMode, temporaryPattern(parts)))
        return true;
    error = describeErrno(path_, errno);
    return false;
}

namespace {

// GL reads rows bottom up; a PNG holds them top down.
std::vector<png_const_bytep> topDownRows(const std::vector<std::uint8_t>& rows, int width, int height)
{
    std::vector<png_const_bytep> pointers(static_cast<std::size_t>(height));
    const std::size_t stride = static_cast<std::size_t>(width) * pngBytesPerPixel;
    for (int y = 0; y < height; ++y)
        pointers[static_cast<std::size_t>(y)] = rows.data() + static_cast<std::size_t>(height - 1 - y) * stride;
    return pointers;
}

} // namespace

bool PngWriter::write(int width, int height, const std::vector<std::uint8_t>& rows, std::string& error)
{
    if (file_.fd() < 0 || written_) {
        error = "no file was opened for the picture";
        return false;
    }
    if (width <= 0 || height <= 0 ||
        rows.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * pngBytesPerPixel) {
        error = "the picture's size does not match its pixels";
        return false;
    }
    PngFailure failure;
    failure.fd = file_.fd();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, onPngError, onPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        error = "cannot write " + quoted(path_) + ": out of memory";
        discard();
        return false;
    }
    const std::vector<png_const_bytep> rowPointers = topDownRows(rows, width, height);
    if (setjmp(failure.jump)) {
        png_destroy_write_struct(&png, &info);
        error = "cannot write " + quoted(path_) + ": " + failure.message;
        discard();
        return false;
    }
    png_set_write_fn(png, &failure, writePngData, flushPngData);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), pngBitsPerChannel,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, const_cast<png_bytepp>(rowPointers.data()));
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return synced(error);
}

bool PngWriter::synced(std::string& error)
{
    // A full disk may show up only at the sync.
    if (::fsync(file_.fd()) != 0) {
        error = describeErrno(path_, errno);
        discard();
        return false;
    }
    written_ = true;
    return true;
}

bool PngWriter::place(std::string& error)
{
    if (!written_) {
        error = "no picture was written";
        return false;
    }
    // What is at the target may have changed while the picture was drawn.
    if (!targetReplaceable(path_, error)) {
        discard();
        return false;
    }
    const std::string pattern = temporaryPattern(splitPath(path_));
    const auto nameFor = [&pattern](int attempt) { return fillPattern(pattern, attempt); };
    if (!file_.nameTemporarily(nameFor, maxNameAttempts)) {
        error = describeErrno(path_, errno);
        discard();
        return false;
    }
    // A private picture stays private: the replaced one's mode, and its
    // owner and group where we may give them.
    struct stat old {};
    if (::lstat(path_.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        giveOwnership(file_.fd(), old, false);
    const bool closed = file_.close();
    const int closeError = errno;
    if (!closed || !file_.replace(path_)) {
        error = describeErrno(path_, closed ? errno : closeError);
        discard();
        return false;
    }
    written_ = false;
    return true;
}

bool PngWriter::commit(int width, int height, const std::vector<std::uint8_t>& rows, std::string& error)
{
    return write(width, height, rows, error) && place(error);
}
