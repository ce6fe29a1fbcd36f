#include "linux/common/pixel_quads.h"
#include "linux/common/utf8_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

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

// The prompt painted without GL: GL's rows counted from the bottom land in
// the buffer's rows counted from the top, in XRGB, clipped to the picture.
TEST(PixelQuads, PaintsBottomUpRowsClippedInXrgb)
{
    std::vector<std::uint32_t> pixels(4 * 3, 0x12345678u);
    PixelQuads quads(pixels.data(), 4, 3);
    quads.clear();
    quads.colour(1.0f, 0.8f, 0.4f);
    quads.quad(-5, 0, 2, 1); // the bottom row's first two pixels
    quads.colour(0.0f, 0.0f, 2.0f);
    quads.quad(3, 2, 9, 9); // the top row's last pixel
    quads.quad(1, 1, 1, 3); // empty
    const std::uint32_t black = 0xff000000u;
    const std::uint32_t orange = 0xffffcc66u;
    const std::uint32_t blue = 0xff0000ffu;
    EXPECT_EQ(pixels, (std::vector<std::uint32_t>{black, black, black, blue, black, black, black, black, orange, orange,
                                                  black, black}));
}
