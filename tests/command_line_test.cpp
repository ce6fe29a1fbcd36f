// The screen-saver command line: program-name skipping, the mode switch and
// the handle digits, as Windows hands them to a saver.
#include "win32/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using cmdline::SaverSwitch;
using cmdline::scanHandleDigits;
using cmdline::scanSwitch;
using cmdline::skipProgramName;

struct SwitchCase {
    const char* arguments;
    SaverSwitch mode;
    const char* rest;  // nullptr: the mode reads nothing further
};

void expectScan(const SwitchCase& c)
{
    SCOPED_TRACE(std::string("arguments '") + c.arguments + "'");
    const cmdline::SwitchScan scan = scanSwitch(c.arguments);
    EXPECT_EQ(c.mode, scan.mode);
    if (c.rest) {
        ASSERT_NE(nullptr, scan.rest);
        EXPECT_STREQ(c.rest, scan.rest);
    } else {
        EXPECT_EQ(nullptr, scan.rest);
    }
}

TEST(CommandLineSwitch, NoLetterMeansConfigurationWithoutOwner)
{
    for (const char* text : {"", "  ", "  /  -", "/", "-", "//--  "})
        expectScan({text, SaverSwitch::ConfigNoOwner, nullptr});
}

TEST(CommandLineSwitch, SaverInEverySpelling)
{
    for (const char* text : {"/s", "-S", "s", "//s", "/save", "/screensaver", " -/ S 1234", "/s:99"})
        expectScan({text, SaverSwitch::Saver, nullptr});
}

TEST(CommandLineSwitch, PreviewSkipsSpacesBeforeTheHandle)
{
    expectScan({"/p 1234", SaverSwitch::Preview, "1234"});
    expectScan({"/p1234", SaverSwitch::Preview, "1234"});
    expectScan({"/P   1234", SaverSwitch::Preview, "1234"});
    expectScan({"/l 1234", SaverSwitch::Preview, "1234"});
    expectScan({"-L1234", SaverSwitch::Preview, "1234"});
    expectScan({"/p:1234", SaverSwitch::Preview, ":1234"});
    expectScan({"/p", SaverSwitch::Preview, ""});
    expectScan({"/p 12ab", SaverSwitch::Preview, "12ab"});
    // Only spaces are skipped after the letter, not tabs.
    expectScan({"/p\t12", SaverSwitch::Preview, "\t12"});
}

TEST(CommandLineSwitch, ConfigReadsAnOwnerOnlyAfterAColon)
{
    expectScan({"/c:1234", SaverSwitch::Config, "1234"});
    expectScan({"/C:", SaverSwitch::Config, ""});
    expectScan({"/c: 1234", SaverSwitch::Config, " 1234"});
    expectScan({"/c 1234", SaverSwitch::Config, nullptr});
    expectScan({"/c", SaverSwitch::Config, nullptr});
    expectScan({"-c1234", SaverSwitch::Config, nullptr});
}

TEST(CommandLineSwitch, ChangePasswordSkipsSpacesBeforeTheHandle)
{
    expectScan({"/a 1234", SaverSwitch::ChangePassword, "1234"});
    expectScan({"/A", SaverSwitch::ChangePassword, ""});
    expectScan({"a   77 88", SaverSwitch::ChangePassword, "77 88"});
}

TEST(CommandLineSwitch, AnythingElseIsInvalid)
{
    for (const char* text : {"/x", "/\ts", "\t/s", "/\xe9", "/\xc3\xa9", "/1", "5", "/ b", "/?", "/:s", "/\x01s",
                             "/\x7f", "/z", "\xff"})
        expectScan({text, SaverSwitch::Invalid, nullptr});
}

TEST(CommandLineHandle, DigitsUpToTheFirstOtherCharacterWrappingAt32Bits)
{
    EXPECT_EQ(1234u, scanHandleDigits("1234"));
    EXPECT_EQ(12u, scanHandleDigits("12ab"));
    EXPECT_EQ(0u, scanHandleDigits(":1234"));
    EXPECT_EQ(0u, scanHandleDigits(" 1234"));
    EXPECT_EQ(0u, scanHandleDigits("-5"));
    EXPECT_EQ(0u, scanHandleDigits(""));
    EXPECT_EQ(7u, scanHandleDigits("0007 8"));
    EXPECT_EQ(4294967295u, scanHandleDigits("4294967295"));
    EXPECT_EQ(0u, scanHandleDigits("4294967296"));
    EXPECT_EQ(1u, scanHandleDigits("4294967297"));
    EXPECT_EQ(276447231u, scanHandleDigits("99999999999999"));  // 99999999999999 mod 2^32
}

TEST(CommandLineProgramName, QuotedAndPlainNamesAndTheSpaceAfterThem)
{
    EXPECT_STREQ("/s", skipProgramName("\"C:\\Windows\\My Saver.scr\" /s"));
    EXPECT_STREQ("/p 12", skipProgramName("cascade.scr   /p 12"));
    EXPECT_STREQ("/c:5", skipProgramName("cascade.scr\t \x01/c:5"));
    EXPECT_STREQ("", skipProgramName("cascade.scr"));
    EXPECT_STREQ("", skipProgramName("\"unterminated name /s"));
    EXPECT_STREQ("x", skipProgramName("\"\"x"));
    EXPECT_STREQ("/s", skipProgramName("  /s"));
    EXPECT_STREQ("", skipProgramName(""));
}

TEST(CommandLineProgramName, StepsWithTheGivenCharacterFunction)
{
    // A double-byte code page: a lead byte takes its trail byte along, so a
    // trail byte equal to '"' does not end a quoted name.
    static auto dbcsNext = [](const char* text) -> const char* {
        if (*text == '\0')
            return text;
        if (static_cast<unsigned char>(*text) == 0x81 && text[1] != '\0')
            return text + 2;
        return text + 1;
    };
    EXPECT_STREQ("/s", skipProgramName("\"a\x81\"b\" /s", +dbcsNext));
    EXPECT_STREQ("b\" /s", skipProgramName("\"a\x81\"b\" /s"));
}

} // namespace
