#include "linux/lock/screen_lock.h"

#include "linux/common/messages.h"
#include "linux/wayland/input_rules.h"
#include "linux/wayland/wait_limit.h"
#include "linux/wayland/wayland_display.h"
#include "linux/wayland/wayland_window.h"

#include "ext-session-lock-v1-client-protocol.h"

#include <wayland-client.h>

#include <csignal>
#include <vector>

#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// While a check runs or the prompt counts its time, the loop looks again at
// least this often.
constexpr int lookAgainMs = 50;
constexpr std::size_t passwdRecordSize = 4096;

void lockHandleLocked(void* data, ext_session_lock_v1*) { static_cast<ScreenLock*>(data)->compositorLocked(); }
void lockHandleFinished(void* data, ext_session_lock_v1*) { static_cast<ScreenLock*>(data)->compositorFinished(); }

const ext_session_lock_v1_listener lockListener = {lockHandleLocked, lockHandleFinished};

// A locker that a stop signal could end would leave the session locked with
// nobody to unlock it; one that a process of the same user could trace or
// dump would give the password away.
void guardProcess()
{
    for (int stop : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
        std::signal(stop, SIG_IGN);
    prctl(PR_SET_DUMPABLE, 0);
}

} // namespace

std::unique_ptr<ScreenLock> ScreenLock::make(InputRules& rules, WaylandSurfaces& surfaces, std::string& error)
{
    passwd record{};
    passwd* found = nullptr;
    std::vector<char> strings(passwdRecordSize);
    if (getpwuid_r(getuid(), &record, strings.data(), strings.size(), &found) != 0 || !found) {
        error = "cannot lock: the user has no name to check a password for";
        return nullptr;
    }
    if (!pamServiceFound(error))
        return nullptr;
    return std::make_unique<ScreenLock>(rules, surfaces, found->pw_name);
}

ScreenLock::ScreenLock(InputRules& rules, WaylandSurfaces& surfaces, std::string user)
    : rules_(rules), surfaces_(surfaces), check_(user), overlay_(prompt_, user)
{
}

ScreenLock::~ScreenLock()
{
    // Only a lock never held may be dropped; a held one stays with the
    // compositor when the process goes.
    if (lock_ && state_ != State::Held)
        ext_session_lock_v1_destroy(lock_);
}

bool ScreenLock::prepare(const WaylandDisplay& display, std::string& error)
{
    if (!display.sessionLocks()) {
        error = "cannot lock: the Wayland compositor does not offer ext-session-lock-v1";
        return false;
    }
    // A lock no password could be typed into would hold the session for good.
    if (!password_.usable()) {
        error = "cannot lock: no memory for the password";
        return false;
    }
    return check_.prepare(error);
}

bool ScreenLock::ask(WaylandDisplay& display, std::string& error)
{
    if (!prepare(display, error))
        return false;
    guardProcess();
    if (!password_.lockedInMemory())
        note("the password's memory could not be locked against swapping (RLIMIT_MEMLOCK)");
    lock_ = ext_session_lock_manager_v1_lock(display.sessionLocks());
    ext_session_lock_v1_add_listener(lock_, &lockListener, this);
    rules_.lockTo(&prompt_);
    surfaces_.lockWith(lock_);
    state_ = State::Asked;
    return true;
}

ScreenLock::State ScreenLock::update(WaylandDisplay& display, Clock::time_point now)
{
    if (state_ == State::Asked && lockedEvent_) {
        state_ = State::Held;
        surfaces_.lockHeld();
        note("the session is locked");
    }
    if (finishedEvent_ && state_ == State::Asked) {
        // Refused: the lock was never held, its surfaces are no use.
        surfaces_.dropLockSurfaces();
        rules_.lockTo(nullptr);
        ext_session_lock_v1_destroy(lock_);
        lock_ = nullptr;
        state_ = State::Refused;
    } else if (finishedEvent_ && state_ == State::Held) {
        // The compositor ended a held lock itself, by its own means.
        note("the compositor ended the lock");
        unlock(display);
    }
    if (state_ != State::Held)
        return state_;
    prompt_.update(now);
    takeCheckAnswer(display);
    return state_;
}

void ScreenLock::takeCheckAnswer(WaylandDisplay& display)
{
    if (prompt_.takeCheckRequest() && check_.start(password_.text()))
        prompt_.checkStarted();
    switch (check_.take()) {
    case PasswordCheck::State::Accepted:
        prompt_.checkEnded(true, check_.said());
        unlock(display);
        break;
    case PasswordCheck::State::Rejected:
        prompt_.checkEnded(false, check_.said());
        if (!check_.said().empty())
            note("PAM: " + check_.said());
        note(check_.fault().empty() ? "the password was not accepted"
                                    : "the password could not be checked: " + check_.fault());
        break;
    case PasswordCheck::State::Idle:
    case PasswordCheck::State::Running:
        break;
    }
}

// The compositor must have taken the unlock before the process may go, or
// it could see a locker vanish with the lock still held.
void ScreenLock::unlock(WaylandDisplay& display)
{
    ext_session_lock_v1_unlock_and_destroy(lock_);
    lock_ = nullptr;
    surfaces_.dropLockSurfaces();
    display.roundTrip();
    state_ = State::Unlocked;
    note("the session is unlocked");
}

int ScreenLock::waitLimitMs(int pacedLimitMs) const
{
    if (state_ != State::Held || !prompt_.shown())
        return pacedLimitMs;
    return soonerLimitMs(pacedLimitMs, lookAgainMs);
}
