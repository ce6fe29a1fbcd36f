#include "linux/common/quoted_text.h"

std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            out += '?';
        else
            out += c;
        if (out.size() > maxQuotedLength) {
            out += "...";
            break;
        }
    }
    return out + "'";
}
