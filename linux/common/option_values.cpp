#include "linux/common/option_values.h"

#include "linux/common/options.h"

namespace {

// X11 resource ids are 32-bit.
constexpr std::uint64_t maxWindowId = 0xFFFFFFFFu;
// The longest a fraction given to -letterbox may be written.
constexpr std::size_t maxFractionLength = 20;
// Bars of half the height each would leave no picture between them.
constexpr double letterboxLimit = 0.5;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool parseBounded(const std::string& text, std::uint64_t limit, std::uint64_t& value)
{
    if (text.empty())
        return false;
    std::uint64_t result = 0;
    for (char c : text) {
        if (!isDigit(c))
            return false;
        result = result * 10 + static_cast<std::uint64_t>(c - '0');
        if (result > limit)
            return false;
    }
    value = result;
    return true;
}

bool parseWindowId(const std::string& text, unsigned long& id)
{
    std::uint64_t value = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        for (std::size_t i = 2; i < text.size(); ++i) {
            const int digit = hexValue(text[i]);
            if (digit < 0)
                return false;
            value = value * 16 + static_cast<std::uint64_t>(digit);
            if (value > maxWindowId)
                return false;
        }
    } else if (!parseBounded(text, maxWindowId, value)) {
        return false;
    }
    if (value == 0)
        return false;
    id = static_cast<unsigned long>(value);
    return true;
}

bool parseSize(const std::string& text, int& width, int& height)
{
    const auto cross = text.find_first_of("xX");
    if (cross == std::string::npos)
        return false;
    std::uint64_t w = 0;
    std::uint64_t h = 0;
    if (!parseBounded(text.substr(0, cross), maxDimension, w) ||
        !parseBounded(text.substr(cross + 1), maxDimension, h) || w == 0 || h == 0)
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool parseLetterbox(const std::string& text, double& fraction)
{
    double value = 0.0;
    double scale = 1.0;
    bool seenPoint = false;
    bool seenDigit = false;
    if (text.empty() || text.size() > maxFractionLength)
        return false;
    for (char c : text) {
        if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else if (isDigit(c)) {
            seenDigit = true;
            if (seenPoint) {
                scale /= 10.0;
                value += (c - '0') * scale;
            } else {
                value = value * 10.0 + (c - '0');
            }
        } else {
            return false;
        }
    }
    if (!seenDigit || !(value < letterboxLimit))
        return false;
    fraction = value;
    return true;
}
