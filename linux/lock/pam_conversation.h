// PAM's conversation for a password check: every prompt PAM asks with is
// answered with the password, the ones that hide what is typed and the ones
// that show it (some stacks ask that way); what PAM only shows (an account
// held after failures, an expired password) is kept for the prompt.
#pragma once

#include <string>

#include <security/pam_appl.h>

struct PamConversation {
    // Null where no check is under way: a prompt then gets no answer.
    const char* password = nullptr;
    // Where PAM's messages go, joined by spaces; null: nowhere.
    std::string* said = nullptr;
};

// PAM's conv function; data is a PamConversation. PAM frees the answers,
// having wiped them.
int answerPam(int count, const pam_message** messages, pam_response** responses, void* data);
