#include "win32/command_line.h"

namespace cmdline {

namespace {

bool isSeparator(char c)
{
    return c == ' ' || c == '-' || c == '/';
}

const char* skipSpaces(const char* text)
{
    while (*text == ' ')
        ++text;
    return text;
}

} // namespace

const char* nextByte(const char* text)
{
    return *text ? text + 1 : text;
}

const char* skipProgramName(const char* commandLine, NextChar next)
{
    const char* text = commandLine;
    if (*text == '"') {
        do
            text = next(text);
        while (*text != '\0' && *text != '"');
        if (*text == '"')
            ++text;
    } else if (static_cast<unsigned char>(*text) > ' ') {
        while (static_cast<unsigned char>(*text) > ' ')
            text = next(text);
    }
    while (*text != '\0' && static_cast<unsigned char>(*text) <= ' ')
        text = next(text);
    return text;
}

SwitchScan scanSwitch(const char* arguments)
{
    const char* text = arguments;
    while (isSeparator(*text))
        ++text;

    // Read as a signed char: bytes of 0x80 and above are no letter of ours.
    const signed char c = static_cast<signed char>(*text);
    SwitchScan scan;
    switch (c) {
    case '\0':
        scan.mode = SaverSwitch::ConfigNoOwner;
        break;
    case 'a':
    case 'A':
        scan.mode = SaverSwitch::ChangePassword;
        scan.rest = skipSpaces(text + 1);
        break;
    case 'c':
    case 'C':
        scan.mode = SaverSwitch::Config;
        if (text[1] == ':')
            scan.rest = text + 2;
        break;
    case 'l':
    case 'L':
    case 'p':
    case 'P':
        scan.mode = SaverSwitch::Preview;
        scan.rest = skipSpaces(text + 1);
        break;
    case 's':
    case 'S':
        scan.mode = SaverSwitch::Saver;
        break;
    default:
        scan.mode = SaverSwitch::Invalid;
        break;
    }
    return scan;
}

std::uint32_t scanHandleDigits(const char* text)
{
    std::uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10u + static_cast<std::uint32_t>(*text - '0');
    return value;
}

} // namespace cmdline
