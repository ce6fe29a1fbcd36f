// KConfig's format as its reader takes it: each line trimmed; "#" starts a
// comment; "[a][b]" opens group a's subgroup b, a trailing "[$i]" only
// marks it immutable; "key=value" and "key[$i]=value" set key, while
// "key[de]=value" is key's German translation, a key of its own.
#include "linux/settings/kconfig_text.h"

#include <vector>

namespace {

struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;  // where the line's content ends, before "\r\n" or "\n"
    std::size_t next = 0; // where the next line begins
};

std::vector<Line> splitLines(const std::string& text)
{
    std::vector<Line> lines;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t newline = text.find('\n', begin);
        Line line{begin, newline == std::string::npos ? text.size() : newline,
                  newline == std::string::npos ? text.size() : newline + 1};
        if (line.end > begin && text[line.end - 1] == '\r')
            --line.end;
        lines.push_back(line);
        begin = line.next;
    }
    return lines;
}

std::string trimmed(const std::string& text, std::size_t begin, std::size_t end)
{
    const char* blank = " \t\r";
    const std::size_t first = text.find_first_not_of(blank, begin);
    if (first == std::string::npos || first >= end)
        return "";
    return text.substr(first, text.find_last_not_of(blank, end - 1) + 1 - first);
}

// The names of a header's brackets, its flags ("$i") left out; nothing where
// the line is no header.
std::vector<std::string> headerNames(const std::string& content)
{
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at < content.size() && content[at] == '[') {
        const std::size_t close = content.find(']', at);
        if (close == std::string::npos)
            break;
        const std::string name = content.substr(at + 1, close - at - 1);
        if (name.empty() || name[0] != '$')
            names.push_back(name);
        at = close + 1;
    }
    return names;
}

bool isHeader(const std::string& content) { return !content.empty() && content[0] == '['; }

// Whether an entry line sets key: "key=" or "key[$flags]=", spaces allowed
// around the key.
bool setsKey(const std::string& content, const std::string& key)
{
    if (content.empty() || content[0] == '#' || isHeader(content))
        return false;
    const std::size_t equals = content.find('=');
    if (equals == std::string::npos)
        return false;
    const std::string name = trimmed(content, 0, equals);
    return name == key || name.compare(0, key.size() + 2, key + "[$") == 0;
}

// What the lines are, in the group or out of it.
struct Scan {
    std::vector<Line> lines;
    std::vector<std::size_t> keyLines; // the key's lines in the group
    std::size_t firstHeader = std::string::npos;
    std::size_t firstSectionEnd = 0; // after the last non-blank line of the group's first section
};

Scan scan(const std::string& text, const std::string& group, const std::string& key)
{
    Scan found;
    found.lines = splitLines(text);
    bool inGroup = false;
    bool inFirstSection = false;
    for (std::size_t i = 0; i < found.lines.size(); ++i) {
        const std::string content = trimmed(text, found.lines[i].begin, found.lines[i].end);
        if (isHeader(content)) {
            inGroup = headerNames(content) == std::vector<std::string>{group};
            inFirstSection = inGroup && found.firstHeader == std::string::npos;
            if (inFirstSection) {
                found.firstHeader = i;
                found.firstSectionEnd = i + 1;
            }
            continue;
        }
        if (inFirstSection && !content.empty())
            found.firstSectionEnd = i + 1;
        if (inGroup && setsKey(content, key))
            found.keyLines.push_back(i);
    }
    return found;
}

std::string lineEnd(const std::vector<Line>& lines)
{
    return !lines.empty() && lines[0].next - lines[0].end == 2 ? "\r\n" : "\n";
}

// text with a line's content replaced (where it ends) or the line removed.
std::string rebuilt(const std::string& text, const std::vector<Line>& lines, const std::vector<std::size_t>& which,
                    const std::string* content)
{
    std::string result;
    std::size_t copied = 0;
    for (std::size_t index : which) {
        const Line& line = lines[index];
        result.append(text, copied, line.begin - copied);
        if (content)
            result += *content + text.substr(line.end, line.next - line.end);
        copied = line.next;
    }
    return result + text.substr(copied);
}

} // namespace

std::optional<std::string> kconfigEntry(const std::string& text, const std::string& group, const std::string& key)
{
    const Scan found = scan(text, group, key);
    if (found.keyLines.empty())
        return std::nullopt;
    const Line& line = found.lines[found.keyLines.back()];
    const std::size_t equals = text.find('=', line.begin);
    return trimmed(text, equals + 1, line.end);
}

std::string withKConfigEntry(const std::string& text, const std::string& group, const std::string& key,
                             const std::string& value)
{
    const Scan found = scan(text, group, key);
    const std::string entry = key + "=" + value;
    if (!found.keyLines.empty())
        return rebuilt(text, found.lines, found.keyLines, &entry);
    const std::string eol = lineEnd(found.lines);
    if (found.firstHeader != std::string::npos) {
        const Line& last = found.lines[found.firstSectionEnd - 1];
        const bool ended = last.next > last.end;
        return text.substr(0, last.next) + (ended ? "" : eol) + entry + eol + text.substr(last.next);
    }
    std::string result = text;
    if (!found.lines.empty()) {
        const Line& last = found.lines.back();
        if (last.next == last.end)
            result += eol;
        if (!trimmed(text, last.begin, last.end).empty())
            result += eol; // a blank line between groups, as KDE writes them
    }
    return result + "[" + group + "]" + eol + entry + eol;
}

std::string withoutKConfigEntry(const std::string& text, const std::string& group, const std::string& key)
{
    const Scan found = scan(text, group, key);
    return rebuilt(text, found.lines, found.keyLines, nullptr);
}
