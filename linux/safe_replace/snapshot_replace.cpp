#include "linux/safe_replace/snapshot_replace.h"

#include "linux/common/quoted_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Backup names tried after the first: "NAME.1" to "NAME.N".
constexpr int maxBackupNumber = 999;
constexpr std::size_t readChunk = 65536;
constexpr mode_t permissionBits = 07777;

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

// A file of the folder: unnamed while it is written, so that nothing is left
// behind whatever happens; named only on file systems without unnamed files.
class BesideFile {
public:
    explicit BesideFile(std::string directory) : directory_(std::move(directory)) {}
    BesideFile(const BesideFile&) = delete;
    BesideFile& operator=(const BesideFile&) = delete;
    ~BesideFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!name_.empty())
            ::unlink(name_.c_str());
    }

    bool create()
    {
        fd_ = ::open(directory_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd_ >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
            return fd_ >= 0;
        std::string pattern = directory_ + "/.xscreensaver.XXXXXX";
        fd_ = ::mkstemp(pattern.data());
        if (fd_ >= 0)
            name_ = pattern;
        return fd_ >= 0;
    }
    int fd() const { return fd_; }

    // Gives the file the name target where nothing has it yet (EEXIST else).
    bool nameAs(const std::string& target)
    {
        if (!name_.empty()) {
            if (::renameat2(AT_FDCWD, name_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0)
                return false;
            name_.clear();
            return true;
        }
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        return errno == ENOENT && ::linkat(fd_, "", AT_FDCWD, target.c_str(), AT_EMPTY_PATH) == 0;
    }

    // Puts the file in target's place, replacing it, by one rename.
    bool replace(const std::string& target)
    {
        if (name_.empty()) {
            for (int attempt = 0; attempt < maxBackupNumber && name_.empty(); ++attempt) {
                const std::string name = directory_ + "/.xscreensaver.new-" + std::to_string(::getpid()) + "-" +
                                         std::to_string(attempt);
                if (nameAs(name))
                    name_ = name;
                else if (errno != EEXIST)
                    return false;
            }
            if (name_.empty())
                return false;
        }
        if (::rename(name_.c_str(), target.c_str()) != 0)
            return false;
        name_.clear();
        return true;
    }

private:
    std::string directory_;
    std::string name_;
    int fd_ = -1;
};

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
    if (!file.create()) {
        error = describe("cannot write in", directoryOf(path), errno);
        return false;
    }
    const bool owned = like.exists ? giveOwnership(file.fd(), like.info, true)
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

bool giveOwnership(int fd, const struct stat& info, bool ownerRequired)
{
    if (::fchown(fd, info.st_uid, info.st_gid) != 0) {
        if (ownerRequired)
            return false;
        ::fchown(fd, static_cast<uid_t>(-1), info.st_gid);
    }
    return ::fchmod(fd, info.st_mode & permissionBits) == 0;
}

ReplaceResult replaceIfUnchanged(const ReplaceRequest& request, std::string& backupPath, std::string& error)
{
    const FileSnapshot& snapshot = *request.snapshot;
    const std::string directory = directoryOf(request.path);
    BesideFile fresh(directory);
    BesideFile backup(directory);
    if (!writeBeside(fresh, request.bytes, snapshot, request.path, error) ||
        (snapshot.exists && !writeBeside(backup, snapshot.bytes, snapshot, request.path, error)))
        return ReplaceResult::Failed;
    if (request.stop && *request.stop)
        return ReplaceResult::Stopped;
    if (!stillSnapshot(request.path, snapshot))
        return ReplaceResult::FileChanged;
    backupPath.clear();
    if (snapshot.exists) {
        backupPath = nameBackup(backup, request.backupBase);
        if (backupPath.empty()) {
            error = describe("cannot keep a backup as", request.backupBase, errno);
            return ReplaceResult::Failed;
        }
    }
    if (!fresh.replace(request.path)) {
        error = describe("cannot replace", request.path, errno);
        if (!backupPath.empty())
            ::unlink(backupPath.c_str());
        backupPath.clear();
        return ReplaceResult::Failed;
    }
    return ReplaceResult::Replaced;
}
