#include "linux/safe_replace/beside_file.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr mode_t permissionBits = 07777;

} // namespace

bool BesideFile::create(const std::string& directory, mode_t mode, const std::string& namedPattern)
{
    discard();
    fd_ = ::open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    // Any other failure is the folder's, and a named file would fail alike.
    if (fd_ >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd_ >= 0;
    std::vector<char> pattern(namedPattern.begin(), namedPattern.end());
    pattern.push_back('\0');
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0)
        return false;
    name_ = pattern.data();
    // mkstemp makes the file private; give it the mode an unnamed one gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, mode & ~mask);
    return true;
}

bool BesideFile::linkAs(const std::string& target)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    // No /proc: the privileged way needs no name.
    return errno == ENOENT && ::linkat(fd_, "", AT_FDCWD, target.c_str(), AT_EMPTY_PATH) == 0;
}

bool BesideFile::nameAs(const std::string& target)
{
    if (name_.empty())
        return linkAs(target);
    if (::renameat2(AT_FDCWD, name_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0)
        return false;
    name_.clear();
    return true;
}

bool BesideFile::nameTemporarily(const std::function<std::string(int)>& nameFor, int attempts)
{
    for (int attempt = 0; attempt < attempts && name_.empty(); ++attempt) {
        const std::string name = nameFor(attempt);
        if (linkAs(name))
            name_ = name;
        else if (errno != EEXIST)
            return false;
    }
    return !name_.empty();
}

bool BesideFile::close()
{
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed;
}

bool BesideFile::replace(const std::string& target)
{
    if (::rename(name_.c_str(), target.c_str()) != 0)
        return false;
    name_.clear();
    return true;
}

bool BesideFile::exchange(const std::string& target)
{
    return ::renameat2(AT_FDCWD, name_.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0;
}

bool BesideFile::placeNew(const std::string& target)
{
    if (::renameat2(AT_FDCWD, name_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0)
        return false;
    name_.clear();
    return true;
}

bool BesideFile::nameIsOwn() const
{
    struct stat own {}, named {};
    return ::fstat(fd_, &own) == 0 && ::lstat(name_.c_str(), &named) == 0 && own.st_dev == named.st_dev &&
           own.st_ino == named.st_ino;
}

void BesideFile::discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!name_.empty()) {
        ::unlink(name_.c_str());
        name_.clear();
    }
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
