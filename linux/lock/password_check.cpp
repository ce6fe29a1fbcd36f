#include "linux/lock/password_check.h"

#include <cstdlib>
#include <cstring>

#include <security/pam_appl.h>

namespace {

// PAM asks, the answer is the password for every prompt that hides what is
// typed (and one that shows it: some stacks ask that way); messages it only
// shows are left unanswered. PAM frees the answers, having wiped them.
int converse(int count, const pam_message** messages, pam_response** responses, void* data)
{
    if (count <= 0 || count > PAM_MAX_NUM_MSG)
        return PAM_CONV_ERR;
    auto* answers = static_cast<pam_response*>(std::calloc(static_cast<std::size_t>(count), sizeof(pam_response)));
    if (!answers)
        return PAM_BUF_ERR;
    const char* password = static_cast<const char*>(data);
    for (int i = 0; i < count; ++i) {
        const int style = messages[i]->msg_style;
        if (style != PAM_PROMPT_ECHO_OFF && style != PAM_PROMPT_ECHO_ON)
            continue;
        answers[i].resp = strdup(password);
        if (!answers[i].resp) {
            for (int j = 0; j < i; ++j)
                if (answers[j].resp) {
                    explicit_bzero(answers[j].resp, std::strlen(answers[j].resp));
                    std::free(answers[j].resp);
                }
            std::free(answers);
            return PAM_BUF_ERR;
        }
    }
    *responses = answers;
    return PAM_SUCCESS;
}

} // namespace

PasswordCheck::~PasswordCheck()
{
    if (thread_.joinable())
        thread_.join();
}

bool PasswordCheck::start(const char* password)
{
    if (state_.load() == State::Running)
        return false;
    if (thread_.joinable())
        thread_.join();
    fault_.clear();
    state_ = State::Running;
    thread_ = std::thread(&PasswordCheck::run, this, password);
    return true;
}

PasswordCheck::State PasswordCheck::take()
{
    const State state = state_.load();
    if (state == State::Accepted || state == State::Rejected) {
        thread_.join();
        state_ = State::Idle;
    }
    return state;
}

void PasswordCheck::run(const char* password)
{
    const pam_conv conversation = {converse, const_cast<char*>(password)};
    pam_handle_t* handle = nullptr;
    int result = pam_start(pamService, user_.c_str(), &conversation, &handle);
    if (result == PAM_SUCCESS)
        result = pam_authenticate(handle, 0);
    // An unknown user, a broken stack or a missing module is PAM's fault,
    // not a wrong password: worth a line on stderr, never the password.
    if (result != PAM_SUCCESS && result != PAM_AUTH_ERR)
        fault_ = pam_strerror(handle, result);
    if (handle)
        pam_end(handle, result);
    state_ = result == PAM_SUCCESS ? State::Accepted : State::Rejected;
}
