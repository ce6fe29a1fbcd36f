#include "linux/add_to_xscreensaver/xscreensaver_list.h"

#include <vector>

const char* const cascadeEntry = "  GL:\t\t\t\tcascade --root\t\t\t\t    \\n";

namespace {

constexpr std::size_t none = std::string::npos;

struct PhysicalLine {
    std::size_t begin = 0;
    std::size_t end = 0;  // before "\n" or "\r\n"
    std::size_t next = 0; // the next line's first byte (the file's size at the end)
    bool continued = false;
};

PhysicalLine physicalLineAt(const std::string& file, std::size_t at)
{
    PhysicalLine line;
    line.begin = at;
    const std::size_t newline = file.find('\n', at);
    line.end = newline == none ? file.size() : newline;
    line.next = newline == none ? file.size() : newline + 1;
    if (newline != none && line.end > at && file[line.end - 1] == '\r')
        --line.end;
    std::size_t backslashes = 0;
    while (backslashes < line.end - at && file[line.end - 1 - backslashes] == '\\')
        ++backslashes;
    line.continued = backslashes % 2 == 1;
    return line;
}

// The physical lines of the logical line that starts at "at".
std::vector<PhysicalLine> logicalLineAt(const std::string& file, std::size_t at)
{
    std::vector<PhysicalLine> lines{physicalLineAt(file, at)};
    while (lines.back().continued && lines.back().next < file.size() && lines.back().next > lines.back().end)
        lines.push_back(physicalLineAt(file, lines.back().next));
    return lines;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isSpace(char c) { return isBlank(c) || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// Where the value of a "programs:" resource starts on this line, or none.
// The system's file writes it "*programs:"; the daemon reads that form in
// no user's file.
std::size_t programsValueStart(const std::string& file, const PhysicalLine& line, bool system)
{
    static const std::string key = "programs";
    std::size_t at = line.begin;
    while (at < line.end && isBlank(file[at]))
        ++at;
    if (system && at < line.end && file[at] == '*')
        ++at;
    if (file.compare(at, key.size(), key) != 0 || at + key.size() > line.end)
        return none;
    at += key.size();
    while (at < line.end && isBlank(file[at]))
        ++at;
    return at < line.end && file[at] == ':' ? at + 1 : none;
}

// One character of the value as the daemon sees it, with where it stands.
struct ValueChar {
    char c;
    std::size_t at;
    bool separator; // the "\n" that ends an entry
    bool escaped;   // written with a backslash before it
};

std::vector<ValueChar> valueOf(const std::string& file, const std::vector<PhysicalLine>& lines, std::size_t start)
{
    std::string text;
    std::vector<std::size_t> where;
    for (const PhysicalLine& line : lines) {
        const std::size_t from = line.begin > start ? line.begin : start;
        const std::size_t to = line.continued ? line.end - 1 : line.end;
        for (std::size_t i = from; i < to; ++i) {
            text.push_back(file[i]);
            where.push_back(i);
        }
    }
    std::vector<ValueChar> value;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            value.push_back({text[i], where[i], false, false});
            continue;
        }
        const char escaped = text[++i];
        const char c = escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped == 'r' ? '\r' : escaped;
        value.push_back({c, where[i - 1], escaped == 'n', true});
    }
    return value;
}

// One entry of the list, [from, to) of the value, read front to back.
class EntryReader {
public:
    EntryReader(const std::vector<ValueChar>& value, std::size_t from, std::size_t to)
        : value_(value), at_(from), to_(to)
    {
    }

    bool at(char c) const { return at_ < to_ && value_[at_].c == c; }
    // The character read next; only short of the end.
    const ValueChar& next() const { return value_[at_]; }
    bool atEnd() const { return at_ >= to_; }
    void skip() { ++at_; }
    void skipSpace()
    {
        while (at_ < to_ && isSpace(value_[at_].c))
            ++at_;
    }
    // A quoted name or a "visual:", and the space after it; false where the
    // entry goes on with neither.
    bool skipNameOrVisual() { return skipQuotedName() || skipVisual(); }
    // The name of the program that the next word runs, without its folders.
    std::string program()
    {
        std::string name;
        for (; at_ < to_ && !isSpace(value_[at_].c); ++at_)
            name = value_[at_].c == '/' ? std::string() : name + value_[at_].c;
        return name;
    }

private:
    bool skipQuotedName()
    {
        if (!at('"'))
            return false;
        ++at_;
        while (at_ < to_ && value_[at_].c != '"')
            ++at_;
        at_ = at_ + 1 < to_ ? at_ + 1 : to_;
        skipSpace();
        return true;
    }
    bool skipVisual()
    {
        std::size_t end = at_;
        while (end < to_ && !isSpace(value_[end].c) && value_[end].c != ':' && value_[end].c != '"')
            ++end;
        if (end == to_ || value_[end].c != ':')
            return false;
        at_ = end + 1;
        skipSpace();
        return true;
    }

    const std::vector<ValueChar>& value_;
    std::size_t at_;
    std::size_t to_;
};

// What an entry's leading "-" says: whether it is switched off, and whether
// taking out that one byte switches it on.
struct EntrySwitch {
    bool off = false;
    bool switchable = false;
    std::size_t mark = 0; // where the "-" stands in the file
};

EntrySwitch readSwitch(EntryReader& entry)
{
    EntrySwitch result;
    entry.skipSpace();
    if (entry.atEnd())
        return result;
    result.off = entry.at('-');
    result.mark = entry.next().at;
    const bool markAlone = !entry.next().escaped;
    if (result.off) {
        entry.skip();
        entry.skipSpace();
    }
    // "- -visual: cascade" without its first "-" is still off, and "\-"
    // is no one byte to take out: such an entry stays, Cascade is appended.
    result.switchable = markAlone && !(result.off && entry.at('-'));
    return result;
}

// Reads one entry, [from, to) of the value: is it Cascade, and switched off?
void readEntry(const std::vector<ValueChar>& value, std::size_t from, std::size_t to, ProgramsList& list)
{
    EntryReader entry(value, from, to);
    const EntrySwitch state = readSwitch(entry);
    // A quoted name and a visual may come before the command, in either order.
    if (entry.skipNameOrVisual())
        entry.skipNameOrVisual();
    if (entry.program() != "cascade" || list.cascade == CascadeState::Enabled)
        return;
    if (!state.off) {
        list.cascade = CascadeState::Enabled;
    } else if (state.switchable && list.cascade == CascadeState::Absent) {
        list.cascade = CascadeState::Disabled;
        list.switchOffMark = state.mark;
    }
}

void readEntries(const std::vector<ValueChar>& value, ProgramsList& list)
{
    std::size_t from = 0;
    for (std::size_t i = 0; i <= value.size(); ++i) {
        if (i == value.size() || value[i].separator) {
            readEntry(value, from, i, list);
            from = i + 1;
        }
    }
}

// Whether the value ends between entries (blank, or after a "\n"), so that
// an entry can follow without a separator first.
bool endsBetweenEntries(const std::vector<ValueChar>& value)
{
    for (auto c = value.rbegin(); c != value.rend(); ++c) {
        if (c->separator)
            return true;
        if (!isSpace(c->c))
            return false;
    }
    return true;
}

// The line end the file uses where the list starts, or on the line before
// where the list ends the file.
std::string lineEndAt(const std::string& file, std::size_t at)
{
    std::size_t newline = file.find('\n', at);
    if (newline == none && at > 0)
        newline = file.rfind('\n', at - 1);
    return newline != none && newline > 0 && file[newline - 1] == '\r' ? "\r\n" : "\n";
}

// What goes at the list's end to append Cascade, keeping every byte before
// and after it.
std::string appendix(const std::string& file, std::size_t begin)
{
    const std::vector<PhysicalLine> lines = logicalLineAt(file, begin);
    const PhysicalLine& last = lines.back();
    const std::vector<ValueChar> value = valueOf(file, lines, programsValueStart(file, lines.front(), false));
    const bool between = endsBetweenEntries(value);
    const std::string eol = lineEndAt(file, begin);
    const std::string separator = between ? "" : "\\n\\" + eol;
    if (last.continued) // the file ends in a continuation
        return eol + separator + cascadeEntry;
    bool blankLast = lines.size() > 1;
    for (std::size_t i = last.begin; blankLast && i < last.end; ++i)
        blankLast = isBlank(file[i]);
    if (blankLast)
        return (between ? "" : "\\n\\" + eol) + cascadeEntry;
    return (between ? "\\" : "\\n\\") + eol + cascadeEntry;
}

// The system's resource, written as a user's: without its leading "*".
std::string asUserResource(const std::string& systemFile, const ProgramsList& system)
{
    std::string block = systemFile.substr(system.begin, system.end - system.begin);
    block.erase(0, block.find_first_not_of(" \t"));
    if (!block.empty() && block[0] == '*')
        block.erase(0, 1);
    return block;
}

// What comes before a list copied from the system's file: the user's file,
// ended so that the list starts a line of its own, or a new file's comment.
std::string beforeCopiedList(const std::string* userFile, const std::string& systemName)
{
    if (!userFile)
        return "# XScreenSaver preferences. Settings not given here are the system's\n# (" + systemName + ").\n";
    std::string text = *userFile;
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    // A last line that goes on would take the list's first line into it.
    if (!text.empty() && physicalLineAt(text, text.rfind('\n', text.size() - 2) + 1).continued)
        text += '\n';
    return text;
}

} // namespace

ProgramsList findProgramsList(const std::string& file, bool system)
{
    ProgramsList list;
    std::size_t valueStart = none;
    std::vector<PhysicalLine> found;
    for (std::size_t at = 0; at < file.size();) {
        std::vector<PhysicalLine> lines = logicalLineAt(file, at);
        const std::size_t start = programsValueStart(file, lines.front(), system);
        if (start != none) {
            valueStart = start;
            found = lines;
        }
        at = lines.back().next;
    }
    if (valueStart == none)
        return list;
    list.found = true;
    list.begin = found.front().begin;
    list.end = found.back().end;
    readEntries(valueOf(file, found, valueStart), list);
    return list;
}

bool addCascade(const std::string* userFile, const std::string& systemFile, const std::string& systemName,
                ListEdit& edit, std::string& error)
{
    const ProgramsList own = userFile ? findProgramsList(*userFile) : ProgramsList();
    if (own.found) {
        edit.before = own.cascade;
        edit.fromSystem = false;
        edit.text = *userFile;
        if (own.cascade == CascadeState::Disabled)
            edit.text.erase(own.switchOffMark, 1);
        else if (own.cascade == CascadeState::Absent)
            edit.text.insert(own.end, appendix(*userFile, own.begin));
        return true;
    }
    const ProgramsList system = findProgramsList(systemFile, true);
    if (!system.found) {
        error = "no programs list in the system's file " + systemName;
        return false;
    }
    std::string block = asUserResource(systemFile, system);
    ListEdit fromSystem;
    if (!addCascade(&block, std::string(), systemName, fromSystem, error))
        return false;
    edit.before = fromSystem.before;
    edit.fromSystem = true;
    edit.text = beforeCopiedList(userFile, systemName) + fromSystem.text + "\n";
    return true;
}
