#include "linux/common/utf8_text.h"

namespace {

constexpr char32_t replacement = 0xFFFD;
const char* const ellipsis = "...";

bool continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length a lead byte announces, and the bits it carries; 0 where it
// leads no sequence.
std::size_t sequenceLength(unsigned char lead, char32_t& bits)
{
    if (lead < 0x80) {
        bits = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0 && lead >= 0xC2) {
        bits = lead & 0x1F;
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        bits = lead & 0x0F;
        return 3;
    }
    if ((lead & 0xF8) == 0xF0 && lead <= 0xF4) {
        bits = lead & 0x07;
        return 4;
    }
    return 0;
}

} // namespace

char32_t takeCharacter(const char*& text)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    char32_t character = 0;
    const std::size_t length = sequenceLength(bytes[0], character);
    for (std::size_t i = 1; i < length; ++i) {
        // A NUL is no continuation byte, so a cut sequence stops here.
        if (!continuation(bytes[i])) {
            ++text;
            return replacement;
        }
        character = (character << 6) | (bytes[i] & 0x3F);
    }
    if (length == 0 || (length == 3 && character < 0x800) || (length == 4 && character < 0x10000) ||
        character > 0x10FFFF || (character >= 0xD800 && character <= 0xDFFF)) {
        ++text;
        return replacement;
    }
    text += length;
    return character;
}

std::size_t characterCount(const char* text)
{
    std::size_t count = 0;
    while (*text) {
        takeCharacter(text);
        ++count;
    }
    return count;
}

std::string firstCharacters(const std::string& text, std::size_t count)
{
    const char* at = text.c_str();
    for (std::size_t i = 0; i < count && *at; ++i)
        takeCharacter(at);
    return text.substr(0, static_cast<std::size_t>(at - text.c_str()));
}

namespace {

// The byte offsets of text's characters, and of its end.
std::vector<std::size_t> characterStarts(const std::string& text)
{
    std::vector<std::size_t> starts;
    const char* at = text.c_str();
    while (*at) {
        starts.push_back(static_cast<std::size_t>(at - text.c_str()));
        takeCharacter(at);
    }
    starts.push_back(text.size());
    return starts;
}

} // namespace

std::vector<std::string> wrapText(const std::string& text, std::size_t width, std::size_t rows)
{
    std::vector<std::string> lines;
    if (width == 0 || rows == 0)
        return lines;
    const std::vector<std::size_t> starts = characterStarts(text);
    const std::size_t total = starts.size() - 1;
    std::size_t first = 0;
    while (first < total && text[starts[first]] == ' ')
        ++first;
    while (first < total && lines.size() < rows) {
        std::size_t end = first + width;
        if (end >= total) {
            lines.push_back(text.substr(starts[first], starts[total] - starts[first]));
            return lines;
        }
        if (lines.size() + 1 == rows) {
            const std::size_t kept = width > 3 ? width - 3 : 0;
            lines.push_back(text.substr(starts[first], starts[first + kept] - starts[first]) + ellipsis);
            return lines;
        }
        // Break at the last space that fits, where there is one.
        std::size_t space = end;
        while (space > first && text[starts[space]] != ' ')
            --space;
        if (space > first)
            end = space;
        lines.push_back(text.substr(starts[first], starts[end] - starts[first]));
        first = end;
        while (first < total && text[starts[first]] == ' ')
            ++first;
    }
    return lines;
}
