#include "linux/lock/password_check.h"

#include "linux/lock/pam_conversation.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <system_error>

#include <security/pam_appl.h>
#include <unistd.h>

namespace {

// Where Linux-PAM looks for a service's stack: the administrator's folder,
// the vendor's, and the old single file.
const char* const pamFolders[] = {"/etc/pam.d/", "/usr/lib/pam.d/"};
const char* const pamSingleFile = "/etc/pam.conf";

bool serviceNamed(const char* service)
{
    for (const char* folder : pamFolders)
        if (access((std::string(folder) + service).c_str(), R_OK) == 0)
            return true;
    // The single file counts only where there is no folder, as PAM reads it.
    if (access("/etc/pam.d", F_OK) == 0)
        return false;
    return access(pamSingleFile, R_OK) == 0;
}

} // namespace

bool pamServiceFound(std::string& error)
{
    if (serviceNamed(pamService))
        return true;
    error = std::string("cannot lock: PAM has no service \"") + pamService + "\" (/etc/pam.d/" + pamService +
            "), so no password could unlock";
    return false;
}

PasswordCheck::~PasswordCheck()
{
    if (!thread_.joinable())
        return;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        ending_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

bool PasswordCheck::prepare(std::string& error)
{
    if (thread_.joinable())
        return opened_;
    try {
        thread_ = std::thread(&PasswordCheck::serve, this);
    } catch (const std::system_error& failure) {
        error = std::string("cannot lock: no thread for the password's check (") + failure.what() + ")";
        return false;
    }
    std::unique_lock<std::mutex> hold(mutex_);
    wake_.wait(hold, [this] { return opened_ || !fault_.empty(); });
    if (!opened_)
        error = "cannot lock: PAM cannot check a password for " + user_ + ": " + fault_;
    return opened_;
}

bool PasswordCheck::start(const char* password)
{
    if (!thread_.joinable() || state_.load() != State::Idle)
        return false;
    fault_.clear();
    said_.clear();
    state_ = State::Running;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        password_ = password;
    }
    wake_.notify_one();
    return true;
}

PasswordCheck::State PasswordCheck::take()
{
    const State state = state_.load();
    if (state == State::Accepted || state == State::Rejected)
        state_ = State::Idle;
    return state;
}

// PAM's stack is started once before the lock is asked for, and kept till
// the end: its modules are loaded then, while a lack of memory or a broken
// module can still refuse the lock, and stay loaded, so that a check under
// a later lack of memory does not fail to load them and lock the user out.
// Each check still starts the stack afresh, as PAM expects of a new login,
// and so sees a stack the administrator has mended meanwhile.
void PasswordCheck::serve()
{
    PamConversation nobody;
    const pam_conv silent = {answerPam, &nobody};
    const int started = pam_start(pamService, user_.c_str(), &silent, &kept_);
    std::unique_lock<std::mutex> hold(mutex_);
    opened_ = started == PAM_SUCCESS;
    if (!opened_)
        fault_ = kept_ ? pam_strerror(kept_, started) : "PAM would not start";
    wake_.notify_all();
    for (;;) {
        wake_.wait(hold, [this] { return ending_ || (opened_ && password_); });
        if (ending_)
            break;
        const char* password = password_;
        password_ = nullptr;
        hold.unlock();
        run(password);
        hold.lock();
    }
    if (kept_)
        pam_end(kept_, started);
    kept_ = nullptr;
}

void PasswordCheck::run(const char* password)
{
    int result = PAM_BUF_ERR;
    pam_handle_t* handle = nullptr;
    try {
        PamConversation conversation{password, &said_};
        const pam_conv pamConversation = {answerPam, &conversation};
        result = pam_start(pamService, user_.c_str(), &pamConversation, &handle);
        if (result == PAM_SUCCESS)
            result = pam_authenticate(handle, 0);
        // An unknown user, a broken stack or a missing module is PAM's fault,
        // not a wrong password: worth a line on stderr, never the password.
        if (result != PAM_SUCCESS && result != PAM_AUTH_ERR)
            fault_ = pam_strerror(handle, result);
    } catch (const std::bad_alloc&) {
        // Only a check that PAM answered with success unlocks.
        result = PAM_BUF_ERR;
        fault_ = "out of memory";
    }
    if (handle)
        pam_end(handle, result);
    state_ = result == PAM_SUCCESS ? State::Accepted : State::Rejected;
}
