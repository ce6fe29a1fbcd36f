// Before the lock is asked for, a crash is a refusal like any other: where
// the graphics driver or PAM dies for want of memory while the locker makes
// ready, nothing is locked yet, and whoever started the locker (a watcher, a
// script, swayidle) is told in one line and exit code 1 that the session is
// not locked. Once the lock is asked for a crash is a crash again: the
// compositor keeps the session locked, and another locker can take it over.
#pragma once

// From the locker's start; the handlers use async-signal-safe calls only.
void refuseOnCrash();
// Just before the lock is asked for.
void crashesAreCrashes();
