// Replaces a file the user cares about only if it still holds what was read:
// one snapshot is read (identity and bytes), the new file and a backup of
// the snapshot are written beside it unnamed, and only once both are whole
// and the file is checked to be the snapshot still does the backup get its
// name and the new file take the old one's place, by a swap whose outgoing
// file is checked once more and swapped back where it is not the snapshot.
// A failure at any step leaves the file and its folder as they were.
#pragma once

#include <sys/stat.h>

#include <csignal>
#include <string>

struct FileSnapshot {
    bool exists = false;
    struct stat info {};
    std::string bytes;
};

// A dotfile kept elsewhere and linked here stays linked: path becomes the
// file its symbolic links lead to, even one that does not exist yet. False
// with one line in error where a link cannot be read, or too many follow.
bool followLinks(std::string& path, std::string& error);

// Reads path (which must not be a symbolic link) whole. Refuses at once, with
// one line in error, what is not a regular file the user may write: a FIFO, a
// directory, a device, a write-protected file.
bool readSnapshot(const std::string& path, FileSnapshot& snapshot, std::string& error);

enum class ReplaceResult { Replaced, FileChanged, Stopped, Failed };

struct ReplaceRequest {
    std::string path;
    const FileSnapshot* snapshot = nullptr;
    std::string bytes;            // the new file
    std::string backupBase;       // the backup's name; ".1", ".2"... where it is taken; empty: none
    const volatile std::sig_atomic_t* stop = nullptr; // set by a signal: give up while we may
};

// backupPath: the backup's name, where the file existed and was replaced.
ReplaceResult replaceIfUnchanged(const ReplaceRequest& request, std::string& backupPath, std::string& error);
