#include "linux/safe_replace/snapshot_replace.h"

#include "linux/common/quoted_text.h"
#include "linux/safe_replace/beside_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Backup names tried after the first: "NAME.1" to "NAME.N".
constexpr int maxBackupNumber = 999;
constexpr std::size_t readChunk = 65536;
// Unnamed or not, a file written beside the user's starts private.
constexpr mode_t privateMode = 0600;
// Symbolic links followed to the real file, as the kernel allows.
constexpr int maxLinks = 40;

std::string describe(const std::string& what, const std::string& path, int error)
{
    return what + " " + quoted(path) + ": " + std::strerror(error);
}

std::string directoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool readAll(int fd, std::string& bytes)
{
    bytes.clear();
    std::vector<char> chunk(readChunk);
    for (;;) {
        const ssize_t got = ::read(fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        bytes.append(chunk.data(), static_cast<std::size_t>(got));
    }
}

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return ::fsync(fd) == 0;
}

bool refuseKind(const std::string& path, const struct stat& info, std::string& error)
{
    if (S_ISREG(info.st_mode))
        return false;
    error = "cannot change " + quoted(path) +
            (S_ISDIR(info.st_mode) ? ": it is a directory" : ": it is not a regular file");
    return true;
}

// The mode any program gives a new file; where root writes into a folder of
// another user's (a HOME kept by su or sudo), the folder's owner gets it.
bool giveNewFileOwnership(int fd, const std::string& directory)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat folder {};
    if (::geteuid() == 0 && ::stat(directory.c_str(), &folder) == 0 &&
        ::fchown(fd, folder.st_uid, folder.st_gid) != 0)
        return false;
    return ::fchmod(fd, 0666 & ~mask) == 0;
}

// The old file's owner, group and mode. XScreenSaver's own settings program
// rewrites a user's file with the user's group: where the old group cannot be
// given (a file once made by root, then handed to the user), the user's own
// file takes the user's group, unless its mode lets its group in, since
// that would open it to others.
bool keepOwnership(int fd, const struct stat& old)
{
    if (giveOwnership(fd, old, true))
        return true;
    const int refusal = errno;
    if (old.st_uid != ::geteuid() || (old.st_mode & S_IRWXG) != 0) {
        errno = refusal;
        return false;
    }
    return giveOwnership(fd, old, false);
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Whether the file is still the snapshot: the same file, the same bytes.
bool stillSnapshot(const std::string& path, const FileSnapshot& snapshot)
{
    struct stat now {};
    if (::lstat(path.c_str(), &now) != 0)
        return !snapshot.exists && errno == ENOENT;
    if (!snapshot.exists || !sameFile(now, snapshot.info))
        return false;
    FileSnapshot again;
    std::string ignored;
    return readSnapshot(path, again, ignored) && sameFile(again.info, snapshot.info) &&
           again.bytes == snapshot.bytes;
}

bool writeBeside(BesideFile& file, const std::string& bytes, const FileSnapshot& like, const std::string& path,
                 std::string& error)
{
    if (!file.create(directoryOf(path), privateMode, directoryOf(path) + "/.xscreensaver.XXXXXX")) {
        error = describe("cannot write in", directoryOf(path), errno);
        return false;
    }
    const bool owned = like.exists ? keepOwnership(file.fd(), like.info)
                                   : giveNewFileOwnership(file.fd(), directoryOf(path));
    if (!owned) {
        error = describe("cannot give the new file the owner, group and mode of", path, errno);
        return false;
    }
    if (!writeAll(file.fd(), bytes)) {
        error = describe("cannot write beside", path, errno);
        return false;
    }
    return true;
}

// The first free name of base, base.1, base.2...; empty with errno set else.
std::string nameBackup(BesideFile& backup, const std::string& base)
{
    for (int number = 0; number <= maxBackupNumber; ++number) {
        const std::string name = number == 0 ? base : base + "." + std::to_string(number);
        if (backup.nameAs(name))
            return name;
        if (errno != EEXIST)
            return std::string();
    }
    errno = EEXIST;
    return std::string();
}

enum class Placed { Done, Changed, Failed };

bool nameBesideTarget(BesideFile& file, const std::string& target)
{
    const std::string directory = directoryOf(target);
    const auto nameFor = [&directory](int attempt) {
        return directory + "/.xscreensaver.new-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    };
    return file.nameTemporarily(nameFor, maxBackupNumber);
}

// A file swapped out that was not the snapshot goes back. Another writer
// may have renamed a file over ours between the two swaps: what comes back
// is then theirs, newer than the one that went back, and is put back in
// turn, as their rename alone would have left it.
void swapBack(BesideFile& file, const std::string& target)
{
    if (!file.exchange(target)) {
        // Ours was removed in between: the other writer's file takes the
        // free name.
        if (errno == ENOENT)
            file.placeNew(target);
        return;
    }
    if (!file.nameIsOwn())
        file.exchange(target);
}

// The new file in target's place. A rename after the last compare would
// leave a moment in which another writer's file, renamed in place since,
// is replaced unseen. A swap leaves none: the file that comes out is out of
// every writer's reach, and is compared with the snapshot after the swap;
// where it is not the snapshot it goes back, and the caller hears that the
// file changed. What is left: a writer that renames its file in after the
// swap replaces ours, as it would replace any file there (its change stands,
// ours is gone: the user sees theirs); one that writes into the old file in
// place, through a descriptor opened before the swap, writes into the file
// swapped out, which is compared and then removed, so a write that lands
// between the compare and the removal is lost, as with any rename; and
// between a swap and its undoing, readers may see our file for a moment.
Placed putInPlace(BesideFile& file, const std::string& target, const FileSnapshot& snapshot)
{
    if (!nameBesideTarget(file, target))
        return Placed::Failed;
    const bool swapped = snapshot.exists ? file.exchange(target) : file.placeNew(target);
    if (!swapped) {
        // Made or removed by another writer since the compare.
        if (errno == EEXIST || errno == ENOENT)
            return Placed::Changed;
        // A file system that cannot swap or refuse to replace (some network
        // and FUSE ones) says EINVAL: the plain rename, with its moment.
        if (errno != EINVAL)
            return Placed::Failed;
        return file.replace(target) ? Placed::Done : Placed::Failed;
    }
    if (!snapshot.exists || stillSnapshot(file.temporaryName(), snapshot))
        return Placed::Done; // the old file goes with the temporary name
    swapBack(file, target);
    return Placed::Changed;
}

} // namespace

bool readSnapshot(const std::string& path, FileSnapshot& snapshot, std::string& error)
{
    snapshot = FileSnapshot();
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return true;
        error = describe("cannot read", path, errno);
        return false;
    }
    if (refuseKind(path, info, error))
        return false;
    // The owner's write bit off is the user's "keep out", even for root.
    if (!(info.st_mode & S_IWUSR) || ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        error = "cannot change " + quoted(path) + ": it is write-protected";
        return false;
    }
    // Non-blocking: what became a FIFO since the look cannot hang the read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = describe("cannot read", path, errno);
        return false;
    }
    const bool read = ::fstat(fd, &snapshot.info) == 0 && !refuseKind(path, snapshot.info, error) &&
                      readAll(fd, snapshot.bytes);
    const int readError = errno;
    ::close(fd);
    if (!read) {
        if (error.empty())
            error = describe("cannot read", path, readError);
        return false;
    }
    snapshot.exists = true;
    return true;
}

ReplaceResult replaceIfUnchanged(const ReplaceRequest& request, std::string& backupPath, std::string& error)
{
    const FileSnapshot& snapshot = *request.snapshot;
    const bool keepsBackup = snapshot.exists && !request.backupBase.empty();
    BesideFile fresh;
    BesideFile backup;
    if (!writeBeside(fresh, request.bytes, snapshot, request.path, error) ||
        (keepsBackup && !writeBeside(backup, snapshot.bytes, snapshot, request.path, error)))
        return ReplaceResult::Failed;
    if (request.stop && *request.stop)
        return ReplaceResult::Stopped;
    if (!stillSnapshot(request.path, snapshot))
        return ReplaceResult::FileChanged;
    backupPath.clear();
    if (keepsBackup) {
        backupPath = nameBackup(backup, request.backupBase);
        if (backupPath.empty()) {
            error = describe("cannot keep a backup as", request.backupBase, errno);
            return ReplaceResult::Failed;
        }
    }
    const Placed placed = putInPlace(fresh, request.path, snapshot);
    if (placed != Placed::Done) {
        error = describe("cannot replace", request.path, errno);
        if (!backupPath.empty())
            ::unlink(backupPath.c_str());
        backupPath.clear();
        return placed == Placed::Changed ? ReplaceResult::FileChanged : ReplaceResult::Failed;
    }
    return ReplaceResult::Replaced;
}

bool followLinks(std::string& path, std::string& error)
{
    for (int hop = 0; hop < maxLinks; ++hop) {
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
        if (length < 0 && (errno == EINVAL || errno == ENOENT))
            return true; // not a link, or nothing there yet
        if (length < 0) {
            error = "cannot follow the link " + path + ": " + std::strerror(errno);
            return false;
        }
        const std::string link(target, static_cast<std::size_t>(length));
        const auto slash = path.rfind('/');
        path = link[0] == '/' || slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
    }
    error = "cannot follow the link " + path + ": too many links";
    return false;
}
