// The one idle watcher of a Wayland session holds its lease: an flock on a
// file named for the display in the user's runtime folder, released by the
// kernel however the watcher ends. Nothing to do with locking the screen.
// The file also names the watcher's pid, so that -autostart can find the
// watcher it replaces or ends; the pid is believed only where the kernel
// says that very process holds the lease.
#pragma once

#include <string>
#include <sys/types.h>

// The lease's file for this session (WAYLAND_DISPLAY, else wayland-0).
std::string watcherLeasePath();
// Beside it: the stderr of a watcher -autostart started, and the lock that
// lets one -autostart at a time end and start the session's watcher.
std::string watcherLogPath();
std::string autostartLockPath();

// Takes the session's watcher lease and writes the pid into it; fd stays
// open, and so the lease held, until the process ends. False with one line in error, where
// another watcher holds it or the file cannot be had.
bool takeWatcherLease(int& fd, std::string& error);

// The watcher holding the lease, proven: a pidfd of the process (-1 if none,
// or if what holds it cannot be proven to be a watcher), its pid in pid.
int leaseHolder(pid_t& pid);

// Whether some process holds the lease now.
bool watcherLeaseHeld();
