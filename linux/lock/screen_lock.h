// Cascade as the session's lock (ext-session-lock-v1): the compositor shows
// nothing but Cascade's lock surfaces, one per output with the scene on it,
// until the user's password, checked through PAM, unlocks. Asked for, the
// lock takes the input at once (input that ended the saver now would leave
// the session locked with nobody to unlock it); once the compositor holds
// it, the saver's own surfaces go. While it is asked for or held the stop
// signals are ignored and the process cannot be traced or dumped. The lock
// object is here; its surfaces are WaylandSurfaces'.
#pragma once

#include "linux/lock/password_buffer.h"
#include "linux/lock/password_check.h"
#include "linux/lock/password_prompt.h"
#include "linux/lock/prompt_overlay.h"

#include <chrono>
#include <memory>
#include <string>

class InputRules;
class WaylandDisplay;
class WaylandSurfaces;
struct ext_session_lock_v1;

class ScreenLock {
public:
    using Clock = std::chrono::steady_clock;
    enum class State { Idle, Asked, Held, Refused, Unlocked };

    // Fails, with error set, where no user name can be found for PAM.
    static std::unique_ptr<ScreenLock> make(InputRules& rules, WaylandSurfaces& surfaces, std::string& error);
    ScreenLock(InputRules& rules, WaylandSurfaces& surfaces, std::string user);
    ~ScreenLock();
    ScreenLock(const ScreenLock&) = delete;
    ScreenLock& operator=(const ScreenLock&) = delete;

    // What the lock needs, had first, while it can still be refused: the
    // compositor's lock protocol, the password's memory, the check's thread,
    // PAM's stack. False, with error set, where one is lacking; once true,
    // true again.
    bool prepare(const WaylandDisplay& display, std::string& error);
    // Asks the compositor for the lock (preparing first, where the caller
    // has not); false, with error set, where it cannot.
    bool ask(WaylandDisplay& display, std::string& error);
    // After each wait for events: takes in the compositor's answer, the
    // prompt's time and the password's check. Refused and Unlocked end the
    // lock; the caller ends with them.
    State update(WaylandDisplay& display, Clock::time_point now);
    // The longest the loop may wait for events, given its own limit: a check
    // or a prompt's time must not wait for a frame that may not come.
    int waitLimitMs(int pacedLimitMs) const;
    State state() const { return state_; }
    void drawPrompt(int width, int height) const { overlay_.draw(width, height); }
    // Where GL can draw nothing: the prompt into a picture in memory.
    void paintPrompt(QuadSink& sink, int width, int height) const { overlay_.paint(sink, width, height); }
    // Before ask(): the prompt drawn once, hidden or not, so that what GL
    // needs for it is had while a lack can still refuse the lock.
    void rehearsePrompt(int width, int height) const { overlay_.drawShown(width, height); }

    // For the listener.
    void compositorLocked() { lockedEvent_ = true; }
    void compositorFinished() { finishedEvent_ = true; }

private:
    void takeCheckAnswer(WaylandDisplay& display);
    void unlock(WaylandDisplay& display);

    InputRules& rules_;
    WaylandSurfaces& surfaces_;
    PasswordBuffer password_;
    PasswordPrompt prompt_{password_};
    PasswordCheck check_;
    PromptOverlay overlay_;
    ext_session_lock_v1* lock_ = nullptr;
    State state_ = State::Idle;
    bool lockedEvent_ = false;
    bool finishedEvent_ = false;
};
