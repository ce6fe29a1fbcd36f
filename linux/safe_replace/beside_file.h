// A new file written in the folder of the one it is to replace, so that one
// rename puts it in that one's place whole. It is unnamed while it is written
// where the file system allows, so that nothing is left behind whatever
// happens to the process; elsewhere it has a temporary name from the start.
// A temporary name it still has when it goes is removed with it.
#pragma once

#include <sys/stat.h>

#include <functional>
#include <string>

class BesideFile {
public:
    BesideFile() = default;
    ~BesideFile() { discard(); }
    BesideFile(const BesideFile&) = delete;
    BesideFile& operator=(const BesideFile&) = delete;

    // Makes the file in directory, write-only, with mode less the umask;
    // where the file system has no unnamed files, under the name mkstemp
    // makes of namedPattern (".../NAME.XXXXXX"). False with errno set.
    bool create(const std::string& directory, mode_t mode, const std::string& namedPattern);

    int fd() const { return fd_; }
    // The temporary name while the file has one; empty otherwise.
    const std::string& temporaryName() const { return name_; }

    // Gives the file the lasting name target where nothing has it yet
    // (false with errno EEXIST else): the file outlives this object.
    bool nameAs(const std::string& target);

    // An unnamed file gets the first of nameFor(0), nameFor(1)... up to
    // attempts that nothing has, for replace: a link cannot replace a file, a
    // rename can. A named file keeps its name. False with errno set.
    bool nameTemporarily(const std::function<std::string(int)>& nameFor, int attempts);

    // Closes the file, saying whether its last writes got through (errno else).
    bool close();

    // Puts the file, by its temporary name, in target's place by one rename.
    bool replace(const std::string& target);
    // Swaps the temporary name and target by one rename: target is then
    // this file, and the temporary name the one that was there. Where the
    // file system cannot swap, false with errno EINVAL.
    bool exchange(const std::string& target);
    // Puts the file in target's place only where nothing has that name.
    bool placeNew(const std::string& target);
    // Whether the temporary name names this file (and not one swapped in).
    bool nameIsOwn() const;

    // Closes and removes the file unless it took a lasting name or a place.
    void discard();

private:
    bool linkAs(const std::string& target);

    int fd_ = -1;
    std::string name_;
};

// Gives fd the owner, group and mode of info. With ownerRequired, failing to
// give the owner and group fails; without, the group is given where the user
// may and the mode always.
bool giveOwnership(int fd, const struct stat& info, bool ownerRequired);
