// Checks the user's password through PAM, on a thread of its own: after a
// wrong one pam_unix waits seconds, and the scene must go on meanwhile. The
// thread is made before the lock is asked for, where a lack of threads can
// still refuse the lock, and waits for each check. One check at a time; the
// password is read in place, so the caller leaves it alone until the answer
// is taken. What PAM says on the way (an account held after failures, an
// expired password) is kept for the prompt.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// The PAM service whose stack checks the password: the package installs
// /etc/pam.d/cascade, which takes the system's common-auth.
constexpr const char* pamService = "cascade";

// Where PAM has no service of that name it takes "other", which on many
// systems denies everything: a lock then could never be undone. False, with
// error set, where no PAM configuration names the service. (Whether PAM
// can start it for the user, PasswordCheck::prepare finds.)
bool pamServiceFound(std::string& error);

struct pam_handle;

class PasswordCheck {
public:
    enum class State { Idle, Running, Accepted, Rejected };

    explicit PasswordCheck(std::string user) : user_(std::move(user)) {}
    // Waits for a check under way: PAM's answer cannot be abandoned safely.
    ~PasswordCheck();
    PasswordCheck(const PasswordCheck&) = delete;
    PasswordCheck& operator=(const PasswordCheck&) = delete;

    // Makes the thread and starts PAM's stack on it; false, with error
    // set, where there is no thread or PAM will not start.
    bool prepare(std::string& error);
    // Starts checking password (NUL-terminated, alive until the answer is
    // taken); false while a check runs, or before prepare.
    bool start(const char* password);
    // Running while a check runs; then its answer, once; Idle after that.
    State take();
    // Why PAM itself failed, where it did (a missing service, a broken
    // stack): empty when the password was merely wrong.
    const std::string& fault() const { return fault_; }
    // What PAM's modules said to the user during the last check, a line
    // each, joined by spaces; empty for nothing.
    const std::string& said() const { return said_; }

private:
    void serve();
    void run(const char* password);

    std::string user_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    const char* password_ = nullptr; // the check asked for, under mutex_
    bool ending_ = false;            // under mutex_
    bool opened_ = false;            // PAM started, under mutex_
    std::atomic<State> state_{State::Idle};
    // PAM started before the lock, its modules kept loaded; the thread's.
    pam_handle* kept_ = nullptr;
    // Written by the thread before the state, read after it.
    std::string fault_;
    std::string said_;
};
