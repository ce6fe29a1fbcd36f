// Checks the user's password through PAM, on a thread of its own: after a
// wrong one pam_unix waits seconds, and the scene must go on meanwhile. One
// check at a time; the password is read in place, so the caller leaves it
// alone until the answer is taken.
#pragma once

#include <atomic>
#include <string>
#include <thread>

// The PAM service whose stack checks the password: the package installs
// /etc/pam.d/cascade, which takes the system's common-auth.
constexpr const char* pamService = "cascade";

class PasswordCheck {
public:
    enum class State { Idle, Running, Accepted, Rejected };

    explicit PasswordCheck(std::string user) : user_(std::move(user)) {}
    // Waits for a check under way: PAM's answer cannot be abandoned safely.
    ~PasswordCheck();
    PasswordCheck(const PasswordCheck&) = delete;
    PasswordCheck& operator=(const PasswordCheck&) = delete;

    // Starts checking password (NUL-terminated, alive until the answer is
    // taken); false while a check runs.
    bool start(const char* password);
    // Running while a check runs; then its answer, once; Idle after that.
    State take();
    // Why PAM itself failed, where it did (a missing service, a broken
    // stack): empty when the password was merely wrong.
    const std::string& fault() const { return fault_; }

private:
    void run(const char* password);

    std::string user_;
    std::thread thread_;
    std::atomic<State> state_{State::Idle};
    std::string fault_; // written by the thread before the state, read after it
};
