// The screen-saver command line as Windows hands it over: any bytes at all.
// The text sits in a heap block exactly one NUL longer than itself, so ASan
// reports any read past its end. Checked on every input:
//  - the mode is the one the first non-separator character names, and its
//    rest is where that mode goes on reading: inside the text, never past it;
//  - the handle digits match a plain reference (decimal, wrapping at 32 bits,
//    stopped by the first other character) at the start of the text, at the
//    rest and after every mode letter;
//  - skipping the program name, byte by byte or with a stand-in for a
//    double-byte code page's CharNextA, stops inside the text at a character
//    that is not a control character or space.
#include "fuzz_check.h"

#include "win32/command_line.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>

namespace {

using cmdline::SaverSwitch;

std::uint32_t referenceDigits(const char* text)
{
    std::uint32_t value = 0;
    while (*text >= '0' && *text <= '9') {
        value = static_cast<std::uint32_t>(value * 10ull + static_cast<unsigned>(*text - '0'));
        ++text;
    }
    return value;
}

bool isSeparator(char c) { return c == ' ' || c == '-' || c == '/'; }

const char* pastSpaces(const char* text)
{
    while (*text == ' ')
        ++text;
    return text;
}

// CharNextA under a double-byte code page (Shift JIS lead bytes): a lead byte
// takes the byte after it along, unless that byte ends the text.
const char* nextDoubleByte(const char* text)
{
    if (*text == '\0')
        return text;
    const auto byte = static_cast<unsigned char>(*text);
    const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    if (lead && text[1] != '\0')
        return text + 2;
    return text + 1;
}

bool inside(const char* pointer, const char* text, const char* end)
{
    return pointer >= text && pointer <= end;
}

void checkSwitch(const char* text, const char* end)
{
    const cmdline::SwitchScan scan = cmdline::scanSwitch(text);

    const char* letter = text;
    while (isSeparator(*letter))
        ++letter;
    SaverSwitch expected = SaverSwitch::Invalid;
    const char* expectedRest = nullptr;
    switch (*letter) {
    case '\0': expected = SaverSwitch::ConfigNoOwner; break;
    case 's':
    case 'S': expected = SaverSwitch::Saver; break;
    case 'a':
    case 'A':
        expected = SaverSwitch::ChangePassword;
        expectedRest = pastSpaces(letter + 1);
        break;
    case 'p':
    case 'P':
    case 'l':
    case 'L':
        expected = SaverSwitch::Preview;
        expectedRest = pastSpaces(letter + 1);
        break;
    case 'c':
    case 'C':
        expected = SaverSwitch::Config;
        if (letter[1] == ':')
            expectedRest = letter + 2;
        break;
    default: break;
    }

    FUZZ_CHECK(scan.mode == expected);
    FUZZ_CHECK(scan.rest == expectedRest);
    if (scan.rest != nullptr) {
        FUZZ_CHECK(inside(scan.rest, text, end));
        FUZZ_CHECK(cmdline::scanHandleDigits(scan.rest) == referenceDigits(scan.rest));
    }
    if (*letter != '\0')
        FUZZ_CHECK(cmdline::scanHandleDigits(letter + 1) == referenceDigits(letter + 1));
}

void checkProgramName(const char* text, const char* end)
{
    for (cmdline::NextChar next : {cmdline::nextByte, nextDoubleByte}) {
        const char* arguments = cmdline::skipProgramName(text, next);
        FUZZ_CHECK(inside(arguments, text, end));
        FUZZ_CHECK(*arguments == '\0' || static_cast<unsigned char>(*arguments) > ' ');
        checkSwitch(arguments, end);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    // A command line ends at its first NUL; the block holds exactly that much.
    const std::size_t length = strnlen(reinterpret_cast<const char*>(bytes), size);
    const std::unique_ptr<char[]> block(new char[length + 1]);
    std::memcpy(block.get(), bytes, length);
    block[length] = '\0';
    const char* text = block.get();
    const char* end = text + length;

    FUZZ_CHECK(cmdline::nextByte(end) == end);
    FUZZ_CHECK(length == 0 || cmdline::nextByte(text) == text + 1);
    FUZZ_CHECK(cmdline::scanHandleDigits(text) == referenceDigits(text));
    checkSwitch(text, end);
    checkProgramName(text, end);
    return 0;
}
