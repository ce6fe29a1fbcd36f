#include "linux/lock/password_prompt.h"
#include "linux/lock/pam_conversation.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <cstdlib>
#include <string>

namespace {

using Clock = PasswordPrompt::Clock;

// Types text a character (or UTF-8 sequence) per key, as the seat hands
// them on: the keysym matters only for the keys the prompt acts on.
void type(PasswordPrompt& prompt, const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        while (i + length < text.size() && (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80)
            ++length;
        const std::string character = text.substr(i, length);
        TypedKey key;
        key.symbol = static_cast<unsigned char>(text[i]);
        key.text = character.c_str();
        prompt.keyTyped(key);
        i += length;
    }
}

void press(PasswordPrompt& prompt, std::uint32_t symbol, const char* text = "", bool control = false,
           bool command = false)
{
    TypedKey key;
    key.symbol = symbol;
    key.text = text;
    key.control = control;
    key.command = command || control;
    prompt.keyTyped(key);
}

} // namespace

TEST(PasswordPrompt, TypingEditingAndEnter)
{
    PasswordBuffer password;
    ASSERT_TRUE(password.usable());
    PasswordPrompt prompt(password);
    EXPECT_FALSE(prompt.shown());
    // Enter with nothing typed asks for no check, but shows the prompt.
    press(prompt, XKB_KEY_Return, "\r");
    EXPECT_TRUE(prompt.shown());
    EXPECT_FALSE(prompt.takeCheckRequest());

    type(prompt, "pä\xE2\x82\xAC"); // p, a-umlaut, euro sign: 1, 2 and 3 bytes
    press(prompt, XKB_KEY_Tab, "\t");
    press(prompt, XKB_KEY_Delete, "\x7F");
    EXPECT_EQ(prompt.characters(), 3u);
    press(prompt, XKB_KEY_BackSpace, "\b");
    EXPECT_STREQ(password.text(), "pä");
    EXPECT_EQ(prompt.characters(), 2u);
    press(prompt, XKB_KEY_Return, "\r");
    EXPECT_TRUE(prompt.takeCheckRequest());
    EXPECT_FALSE(prompt.takeCheckRequest());

    // Keys during a check go nowhere; the answer wipes what was typed.
    prompt.checkStarted();
    EXPECT_EQ(prompt.message(), PasswordPrompt::Message::Checking);
    type(prompt, "xy");
    press(prompt, XKB_KEY_Escape);
    press(prompt, XKB_KEY_Return, "\r");
    EXPECT_STREQ(password.text(), "pä");
    EXPECT_FALSE(prompt.takeCheckRequest());
    prompt.checkEnded(false, "");
    EXPECT_EQ(prompt.message(), PasswordPrompt::Message::Wrong);
    EXPECT_STREQ(prompt.messageText(), "wrong password");
    EXPECT_TRUE(password.empty());
    EXPECT_TRUE(prompt.shown());
    // Typing again takes the message away; Escape clears and hides.
    type(prompt, "ab");
    EXPECT_EQ(prompt.message(), PasswordPrompt::Message::None);
    press(prompt, XKB_KEY_Escape);
    EXPECT_FALSE(prompt.shown());
    EXPECT_TRUE(password.empty());
    EXPECT_EQ(password.text()[0], '\0');
}

TEST(PasswordPrompt, HidesAndForgetsAfterASpellWithoutInput)
{
    PasswordBuffer password;
    PasswordPrompt prompt(password);
    const Clock::time_point start{};
    prompt.pressed();
    prompt.update(start);
    type(prompt, "abc");
    prompt.update(start + promptShownFor / 2);
    prompt.update(start + promptShownFor);
    EXPECT_TRUE(prompt.shown()) << "input half-way restarts the spell";
    prompt.update(start + promptShownFor / 2 + promptShownFor);
    EXPECT_FALSE(prompt.shown());
    EXPECT_TRUE(password.empty());
    // A running check is never cut short by the spell.
    type(prompt, "abc");
    prompt.update(start);
    prompt.checkStarted();
    prompt.update(start + 10 * promptShownFor);
    EXPECT_TRUE(prompt.shown());
}

TEST(PasswordPrompt, TheBufferKeepsToItsPage)
{
    PasswordBuffer password;
    // What does not fit whole is refused whole, and counts nothing.
    EXPECT_TRUE(password.append(std::string(4000, 'x').c_str()));
    EXPECT_FALSE(password.append(std::string(200, 'y').c_str()));
    EXPECT_EQ(password.characters(), 4000u);
    while (password.append("z")) {
    }
    // Full: one byte short of its page, for the NUL.
    EXPECT_EQ(std::string(password.text()).size(), password.characters());
    EXPECT_EQ((password.characters() + 1) % 4096, 0u);
    password.removeLast();
    password.clear();
    password.removeLast();
    EXPECT_EQ(password.characters(), 0u);
}

TEST(PasswordPrompt, ShortcutsAndWhatItTellsOfTheKeyboard)
{
    PasswordBuffer password;
    PasswordPrompt prompt(password);
    type(prompt, "abc");
    press(prompt, 'x', "\x18", true);     // Ctrl+X: a shortcut
    press(prompt, 'y', "y", false, true); // Alt+Y
    press(prompt, XKB_KEY_u, "u", false, true); // Alt+U or Super+U: not Ctrl's
    EXPECT_STREQ(password.text(), "abc");
    press(prompt, XKB_KEY_u, "\x15", true); // Ctrl+U clears
    EXPECT_TRUE(password.empty());
    EXPECT_TRUE(prompt.shown());

    KeyboardState keyboard;
    keyboard.layout = "German";
    prompt.keyboardChanged(keyboard);
    EXPECT_STREQ(prompt.statusText(), "German");
    // A keypad key that types nothing, Num Lock being off, says so until it
    // is on; Caps Lock comes before either.
    press(prompt, XKB_KEY_KP_End);
    EXPECT_STREQ(prompt.statusText(), "Num Lock is off");
    keyboard.capsLock = true;
    prompt.keyboardChanged(keyboard);
    EXPECT_STREQ(prompt.statusText(), "Caps Lock is on");
    keyboard.capsLock = false;
    keyboard.numLock = true;
    prompt.keyboardChanged(keyboard);
    EXPECT_STREQ(prompt.statusText(), "German");

    // PAM's own words take the place of "wrong password" until typing.
    type(prompt, "pw");
    prompt.checkStarted();
    EXPECT_STREQ(prompt.messageText(), "checking");
    prompt.checkEnded(false, "The account is locked due to 3 failed logins.");
    EXPECT_STREQ(prompt.messageText(), "The account is locked due to 3 failed logins.");
    type(prompt, "a");
    EXPECT_STREQ(prompt.messageText(), "");
}

// What PAM gets: the password for a prompt that hides what is typed and for
// one that shows it, nothing for what it only says, which is kept; no
// answer at all where no check is under way.
TEST(PamConversation, AnswersEveryPromptAndKeepsWhatPamSays)
{
    const pam_message hidden{PAM_PROMPT_ECHO_OFF, "Password: "};
    const pam_message shown{PAM_PROMPT_ECHO_ON, "Token: "};
    const pam_message error{PAM_ERROR_MSG, "The account is locked."};
    const pam_message info{PAM_TEXT_INFO, "1 minute left."};
    const pam_message* messages[] = {&hidden, &error, &shown, &info};
    std::string said;
    PamConversation conversation{"secret", &said};
    pam_response* answers = nullptr;
    ASSERT_EQ(answerPam(4, messages, &answers, &conversation), PAM_SUCCESS);
    EXPECT_STREQ(answers[0].resp, "secret");
    EXPECT_EQ(answers[1].resp, nullptr);
    EXPECT_STREQ(answers[2].resp, "secret");
    EXPECT_EQ(answers[3].resp, nullptr);
    EXPECT_EQ(said, "The account is locked. 1 minute left.");
    for (int i = 0; i < 4; ++i)
        std::free(answers[i].resp);
    std::free(answers);

    PamConversation idle;
    answers = nullptr;
    EXPECT_EQ(answerPam(4, messages, &answers, &idle), PAM_CONV_ERR);
    EXPECT_EQ(answers, nullptr);
}
