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

// Reads one entry, [from, to) of the value: is it Cascade, and switched off?
void readEntry(const std::vector<ValueChar>& value, std::size_t from, std::size_t to, ProgramsList& list)
{
    auto skipSpace = [&](std::size_t i) {
        while (i < to && isSpace(value[i].c))
            ++i;
        return i;
    };
    std::size_t i = skipSpace(from);
    const bool off = i < to && value[i].c == '-';
    const std::size_t mark = i < to ? value[i].at : 0;
    const bool markAlone = i < to && !value[i].escaped;
    if (off)
        i = skipSpace(i + 1);
    // "- -visual: cascade" without its first "-" is still off, and "\-"
    // is no one byte to take out: such an entry stays, Cascade is appended.
    const bool switchable = markAlone && !(off && i < to && value[i].c == '-');
    for (int part = 0; part < 2 && i < to; ++part) {
        if (value[i].c == '"') {
            ++i;
            while (i < to && value[i].c != '"')
                ++i;
            i = skipSpace(i + 1 < to ? i + 1 : to);
            continue;
        }
        std::size_t j = i;
        while (j < to && !isSpace(value[j].c) && value[j].c != ':' && value[j].c != '"')
            ++j;
        if (j == to || value[j].c != ':')
            break;
        i = skipSpace(j + 1);
    }
    std::string program;
    for (; i < to && !isSpace(value[i].c); ++i)
        program = value[i].c == '/' ? std::string() : program + value[i].c;
    if (program != "cascade" || list.cascade == CascadeState::Enabled)
        return;
    if (!off) {
        list.cascade = CascadeState::Enabled;
    } else if (switchable && list.cascade == CascadeState::Absent) {
        list.cascade = CascadeState::Disabled;
        list.switchOffMark = mark;
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
    // The system's resource, written as a user's: without its leading "*".
    std::string block = systemFile.substr(system.begin, system.end - system.begin);
    block.erase(0, block.find_first_not_of(" \t"));
    if (!block.empty() && block[0] == '*')
        block.erase(0, 1);
    ListEdit fromSystem;
    if (!addCascade(&block, std::string(), systemName, fromSystem, error))
        return false;
    edit.before = fromSystem.before;
    edit.fromSystem = true;
    if (userFile) {
        edit.text = *userFile;
        if (!edit.text.empty() && edit.text.back() != '\n')
            edit.text += '\n';
        // A last line that goes on would take the list's first line into it.
        if (!edit.text.empty() && physicalLineAt(edit.text, edit.text.rfind('\n', edit.text.size() - 2) + 1).continued)
            edit.text += '\n';
    } else {
        edit.text = "# XScreenSaver preferences. Settings not given here are the system's\n# (" + systemName + ").\n";
    }
    edit.text += fromSystem.text + "\n";
    return true;
}
