#include "linux/common/utf8_text.h"

#include <gtest/gtest.h>

TEST(Utf8Text, CharactersCutsAndWraps)
{
    // Valid sequences of 1 to 4 bytes; a stray continuation, an overlong
    // form and a cut sequence each count as one replacement.
    EXPECT_EQ(characterCount("j\xC3\xBCrgen\xE2\x82\xAC\xF0\x9F\x99\x82"), 8u);
    const char* bad = "\x80\xC0\xAF\xE2\x82";
    EXPECT_EQ(takeCharacter(bad), U'\xFFFD');
    EXPECT_EQ(characterCount("\x80\xC0\xAF\xE2\x82"), 5u);
    EXPECT_EQ(firstCharacters("j\xC3\xBCrgen", 2), "j\xC3\xBC");
    EXPECT_EQ(firstCharacters("ab", 5), "ab");

    EXPECT_EQ(wrapText("The account is locked due to 3 failed logins.", 20, 3),
              (std::vector<std::string>{"The account is", "locked due to 3", "failed logins."}));
    EXPECT_EQ(wrapText("aaaa bbbb cccc dddd e", 9, 2), (std::vector<std::string>{"aaaa bbbb", "cccc d..."}));
    EXPECT_EQ(wrapText("\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC", 3, 2),
              (std::vector<std::string>{"\xC3\xBC\xC3\xBC\xC3\xBC", "\xC3\xBC"}));
    EXPECT_TRUE(wrapText("", 10, 3).empty());
}
