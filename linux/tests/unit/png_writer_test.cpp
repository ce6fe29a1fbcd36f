#include "linux/render/png_writer.h"
#include "linux/tests/support/png_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The writer's system calls, which a test may have fail as a file system
// would: these definitions come before the C library's.
bool failingSyncs = false;
bool noUnnamedFiles = false; // as where the file system has no O_TMPFILE

} // namespace

extern "C" int fsync(int fd)
{
    if (failingSyncs) {
        errno = EIO;
        return -1;
    }
    return static_cast<int>(syscall(SYS_fsync, fd));
}

extern "C" int open(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, mode_t) : 0;
    va_end(arguments);
    if (noUnnamedFiles && (flags & O_TMPFILE) == O_TMPFILE) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return static_cast<int>(syscall(SYS_openat, AT_FDCWD, path, flags, mode));
}

namespace {

// Every case twice: with the unnamed temporary file, and with the named one
// of file systems that have none.
class PngWriterTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        noUnnamedFiles = !GetParam();
        char pattern[] = "/tmp/cascade-png-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
    }
    void TearDown() override
    {
        noUnnamedFiles = false;
        for (const std::string& name : entries())
            unlink((directory + "/" + name).c_str());
        chmod(directory.c_str(), 0700);
        rmdir(directory.c_str());
    }
    std::vector<std::string> entries() const { return filesIn(directory); }
    std::string directory;
};

// A user with no files of its own, for what root would be let through.
constexpr uid_t throwawayId = 54321;

// Runs body in a child process (which may then drop privileges or unshare
// its mounts without touching the test's own) and returns what it said.
std::string inChild(const std::function<std::string()>& body)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return "pipe failed";
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeEnds[0]);
        const std::string said = body();
        const ssize_t written = write(pipeEnds[1], said.data(), said.size());
        _exit(written == static_cast<ssize_t>(said.size()) ? 0 : 1);
    }
    close(pipeEnds[1]);
    std::string said;
    char buffer[512];
    ssize_t got = 0;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        said.append(buffer, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return said;
}

// What opening path for a picture says: "opened" or the error.
std::string openOutcome(const std::string& path)
{
    PngWriter writer;
    std::string error;
    return writer.open(path, error) ? "opened" : error;
}

// 3 x 2 picture in GL's order, the bottom row first.
std::vector<std::uint8_t> bottomUpPicture()
{
    return {
        10, 20, 30, 40, 50, 60, 70, 80, 90,        // bottom row
        200, 0, 0, 0, 200, 0, 0, 0, 200,           // top row
    };
}

} // namespace

TEST_P(PngWriterTest, WritesRgbTopRowFirst)
{
    const std::string path = directory + "/picture.png";
    PngWriter writer;
    std::string error;
    ASSERT_TRUE(writer.open(path, error)) << error;
    if (!GetParam()) {
        EXPECT_FALSE(writer.temporaryPath().empty()) << "the named temporary file was not tried";
    }
    // Written but not placed, the folder holds no new name: one given before
    // the picture is complete would outlive a stop during the encoding.
    const std::vector<std::string> opened = entries();
    ASSERT_TRUE(writer.write(3, 2, bottomUpPicture(), error)) << error;
    EXPECT_EQ(entries(), opened);
    ASSERT_TRUE(writer.place(error)) << error;

    RgbImage image;
    ASSERT_TRUE(readRgbPng(path, image));
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    const std::vector<std::uint8_t> topDown = {200, 0, 0, 0, 200, 0, 0, 0, 200, 10, 20, 30, 40, 50, 60, 70, 80, 90};
    EXPECT_EQ(image.pixels, topDown);
    // Only the picture is left: the temporary file became it.
    EXPECT_EQ(entries(), std::vector<std::string>{"picture.png"});

    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);

    // The same pixels give the same bytes.
    const std::string first = readFileBytes(path);
    PngWriter again;
    ASSERT_TRUE(again.open(path, error));
    ASSERT_TRUE(again.commit(3, 2, bottomUpPicture(), error));
    EXPECT_EQ(readFileBytes(path), first);

    // A name as long as the directory allows: the temporary file's name must
    // fit beside it too.
    const std::string longest = std::string(NAME_MAX - 4, 'a') + ".png";
    PngWriter atLimit;
    ASSERT_TRUE(atLimit.open(directory + "/" + longest, error)) << error;
    ASSERT_TRUE(atLimit.commit(3, 2, bottomUpPicture(), error)) << error;
    EXPECT_EQ(readFileBytes(directory + "/" + longest), first);

    // A symbolic link at the target is replaced; what it points at is not.
    {
        std::ofstream old(directory + "/elsewhere");
        old << "old picture";
    }
    ASSERT_EQ(symlink("elsewhere", (directory + "/link.png").c_str()), 0);
    PngWriter overLink;
    ASSERT_TRUE(overLink.open(directory + "/link.png", error)) << error;
    ASSERT_TRUE(overLink.commit(3, 2, bottomUpPicture(), error)) << error;
    ASSERT_EQ(lstat((directory + "/link.png").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(readFileBytes(directory + "/link.png"), first);
    EXPECT_EQ(readFileBytes(directory + "/elsewhere"), "old picture");
    std::vector<std::string> names = entries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{longest, "elsewhere", "link.png", "picture.png"}));
}

TEST_P(PngWriterTest, UnwritablePlacesAreReportedBeforeAnyWork)
{
    PngWriter writer;
    std::string error;
    EXPECT_FALSE(writer.open(directory + "/missing/picture.png", error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;

    EXPECT_FALSE(writer.open(directory, error));
    EXPECT_NE(error.find("is a directory"), std::string::npos) << error;

    if (geteuid() != 0) { // root writes anywhere
        chmod(directory.c_str(), 0500);
        EXPECT_FALSE(writer.open(directory + "/picture.png", error));
        EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
        chmod(directory.c_str(), 0700);
    }
    EXPECT_TRUE(entries().empty());

    // Only a regular file is ever replaced: a FIFO or a device node at the
    // target is refused, and stays what it was.
    const std::string fifo = directory + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_NE(openOutcome(fifo).find("it is not a regular file"), std::string::npos) << openOutcome(fifo);
    const std::string device = directory + "/null";
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        EXPECT_NE(openOutcome(device).find("it is not a regular file"), std::string::npos);
    }
    struct stat info {};
    ASSERT_EQ(lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    // A file the user may not write, in a directory the user may: refused,
    // though replacing it would only take the directory's permission. Root
    // may write anything, so as root the check runs as a user without any.
    const std::string locked = directory + "/locked.png";
    {
        std::ofstream old(locked);
        old << "old picture";
    }
    chmod(locked.c_str(), 0444);
    chmod(directory.c_str(), 0777);
    const std::string refused = inChild([&] {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(throwawayId) != 0 || setuid(throwawayId) != 0))
            return std::string("could not drop root");
        return openOutcome(locked);
    });
    chmod(directory.c_str(), 0700);
    EXPECT_NE(refused.find("Permission denied"), std::string::npos) << refused;
    EXPECT_EQ(readFileBytes(locked), "old picture");
    unlink(locked.c_str());
    unlink(fifo.c_str());
    unlink(device.c_str());
    EXPECT_TRUE(entries().empty());
}

TEST_P(PngWriterTest, AFailedOrAbandonedWriteLeavesTheOldFile)
{
    const std::string path = directory + "/picture.png";
    {
        std::ofstream old(path);
        old << "old picture";
    }
    std::string error;
    {
        PngWriter writer;
        ASSERT_TRUE(writer.open(path, error));
        // The target, and the temporary file where it cannot be unnamed.
        EXPECT_EQ(entries().size(), writer.temporaryPath().empty() ? 1u : 2u);
        // Pixels that do not match the size are refused.
        EXPECT_FALSE(writer.commit(3, 3, bottomUpPicture(), error));
        EXPECT_FALSE(error.empty());
    }
    {
        PngWriter abandoned;
        ASSERT_TRUE(abandoned.open(path, error));
    } // destroyed without a commit, as when a render is interrupted
    EXPECT_EQ(entries(), std::vector<std::string>{"picture.png"});
    EXPECT_EQ(readFileBytes(path), "old picture");

    PngWriter unopened;
    EXPECT_FALSE(unopened.commit(3, 2, bottomUpPicture(), error));

    // The picture is synced before it takes the name: a sync that fails (a
    // failing disk, or a full one that says so only then) fails the write.
    failingSyncs = true;
    PngWriter unsynced;
    ASSERT_TRUE(unsynced.open(path, error));
    EXPECT_FALSE(unsynced.commit(3, 2, bottomUpPicture(), error));
    failingSyncs = false;
    EXPECT_NE(error.find("Input/output error"), std::string::npos) << error;
    EXPECT_EQ(entries(), std::vector<std::string>{"picture.png"});
    EXPECT_EQ(readFileBytes(path), "old picture");

    // A full disk says so. Needs a small file system of its own, mounted
    // where only a child process sees it.
    const std::string full = directory + "/full";
    mkdir(full.c_str(), 0700);
    const std::string diskFull = inChild([&] {
        if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", full.c_str(), "tmpfs", 0, "size=16k") != 0)
            return std::string("no small file system to fill");
        // Noise does not compress: 300 x 300 pixels stay far above 16 KiB.
        std::vector<std::uint8_t> noise(300 * 300 * 3);
        unsigned state = 12345;
        for (auto& byte : noise) {
            state = state * 1103515245u + 12345u;
            byte = static_cast<std::uint8_t>(state >> 24);
        }
        PngWriter writer;
        std::string error;
        if (!writer.open(full + "/x.png", error) || !writer.commit(300, 300, noise, error))
            return error + (filesIn(full).empty() ? "" : " (and files left behind)");
        return std::string("written");
    });
    rmdir(full.c_str());
    if (diskFull == "no small file system to fill") {
        std::printf("full disk not tried: %s\n", diskFull.c_str());
    } else {
        EXPECT_NE(diskFull.find("No space left on device"), std::string::npos) << diskFull;
    }
}

TEST_P(PngWriterTest, AReplacedPictureKeepsItsModeAndGroup)
{
    const std::string path = directory + "/private.png";
    std::ofstream(path) << "old picture";
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(path.c_str(), static_cast<uid_t>(-1), throwawayId), 0);
    }
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    PngWriter writer;
    std::string error;
    ASSERT_TRUE(writer.open(path, error) && writer.commit(3, 2, bottomUpPicture(), error)) << error;
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_gid, before.st_gid) << (root ? "root may give any group" : "");
}

INSTANTIATE_TEST_SUITE_P(FileSystems, PngWriterTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Unnamed" : "Named"; });
