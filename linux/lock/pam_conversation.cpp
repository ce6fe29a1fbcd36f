#include "linux/lock/pam_conversation.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

void wipeAnswers(pam_response* answers, int count)
{
    for (int j = 0; j < count; ++j)
        if (answers[j].resp) {
            explicit_bzero(answers[j].resp, std::strlen(answers[j].resp));
            std::free(answers[j].resp);
        }
    std::free(answers);
}

void keepMessage(const PamConversation& conversation, const char* message)
{
    if (!message || !conversation.said)
        return;
    // No exception may cross PAM's C code: a message that finds no memory is
    // lost, the check goes on.
    try {
        std::string& said = *conversation.said;
        said += (said.empty() ? "" : " ") + std::string(message);
    } catch (const std::bad_alloc&) {
    }
}

} // namespace

int answerPam(int count, const pam_message** messages, pam_response** responses, void* data)
{
    if (count <= 0 || count > PAM_MAX_NUM_MSG)
        return PAM_CONV_ERR;
    auto* answers = static_cast<pam_response*>(std::calloc(static_cast<std::size_t>(count), sizeof(pam_response)));
    if (!answers)
        return PAM_BUF_ERR;
    const auto* conversation = static_cast<const PamConversation*>(data);
    for (int i = 0; i < count; ++i) {
        const int style = messages[i]->msg_style;
        if (style == PAM_ERROR_MSG || style == PAM_TEXT_INFO) {
            keepMessage(*conversation, messages[i]->msg);
            continue;
        }
        if (style != PAM_PROMPT_ECHO_OFF && style != PAM_PROMPT_ECHO_ON)
            continue;
        if (!conversation->password) {
            wipeAnswers(answers, i);
            return PAM_CONV_ERR;
        }
        answers[i].resp = strdup(conversation->password);
        if (!answers[i].resp) {
            wipeAnswers(answers, i);
            return PAM_BUF_ERR;
        }
    }
    *responses = answers;
    return PAM_SUCCESS;
}
