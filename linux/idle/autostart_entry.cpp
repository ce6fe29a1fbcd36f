// The login entry read back: what -autostart on wrote, or an entry edited by
// hand into something the watcher's settings cannot stand for, which is
// refused with the reason rather than half-read.
#include "linux/idle/autostart.h"

#include "linux/common/quoted_text.h"
#include "linux/idle/watcher_lease.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* entryGroup = "[Desktop Entry]";
// Far more than any entry of ours; a larger file is not one.
constexpr off_t maxEntryBytes = 65536;
// Characters an unquoted argument of the entry format may not hold.
constexpr const char* reservedCharacters = " \t\n\"'\\><~|&;$*?#()`";

// A string value's escapes undone: \s \n \t \r \\.
bool unescapeValue(const std::string& value, std::string& line, std::string& error)
{
    line.clear();
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            line += value[i];
            continue;
        }
        const char next = i + 1 < value.size() ? value[++i] : '\0';
        const char* from = "s\\ntr";
        const char* to = " \\\n\t\r";
        const char* at = next ? std::strchr(from, next) : nullptr;
        if (!at) {
            error = "the Exec line has a backslash before " + (next ? quoted(std::string(1, next)) : "its end");
            return false;
        }
        line += to[at - from];
    }
    return true;
}

// One quoted argument from line at i (just past its opening quote).
bool readQuoted(const std::string& line, std::size_t& i, std::string& word, std::string& error)
{
    for (; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\') {
            if (i + 1 >= line.size() || !std::strchr("\"`$\\", line[i + 1])) {
                error = "the Exec line escapes what needs no escape inside quotes";
                return false;
            }
            ++i;
        }
        word += line[i];
    }
    if (i == line.size()) {
        error = "the Exec line opens a quote it never closes";
        return false;
    }
    ++i;
    if (i < line.size() && line[i] != ' ') {
        error = "the Exec line has text right after a closing quote";
        return false;
    }
    return true;
}

// %% is a %; any other % is a field code, which no command of ours holds.
bool undoFieldCodes(std::string& word, std::string& error)
{
    std::string plain;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] == '%' && (i + 1 == word.size() || word[++i] != '%')) {
            error = "the Exec line holds a field code (" + quoted(word.substr(i - 1, 2)) + ")";
            return false;
        }
        plain += word[i];
    }
    word = plain;
    return true;
}

bool splitLine(const std::string& line, std::vector<std::string>& arguments, std::string& error)
{
    for (std::size_t i = 0; i < line.size();) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] == '"') {
            if (!readQuoted(line, ++i, word, error))
                return false;
        } else {
            for (; i < line.size() && line[i] != ' '; ++i) {
                if (std::strchr(reservedCharacters, line[i])) {
                    error = "the Exec line has " + quoted(std::string(1, line[i])) + " outside quotes";
                    return false;
                }
                word += line[i];
            }
        }
        if (!undoFieldCodes(word, error))
            return false;
        arguments.push_back(word);
    }
    return true;
}

std::string optionName(const std::string& word)
{
    return word.size() > 2 && word.compare(0, 2, "--") == 0 ? word.substr(1) : word;
}

// The watcher's arguments, and only those the settings stand for.
bool watcherOptions(const std::vector<std::string>& arguments, Options& options, std::string& problem)
{
    const std::string program = arguments.empty() ? "" : arguments[0].substr(arguments[0].rfind('/') + 1);
    if (program != "cascade") {
        problem = "the entry starts " + quoted(arguments.empty() ? "nothing" : arguments[0]) + ", not cascade";
        return false;
    }
    const std::set<std::string> settings = {"-idle", "-lock-after", "-lock-command"};
    for (std::size_t i = 1; i < arguments.size(); i += 2) {
        if (!settings.count(optionName(arguments[i]))) {
            problem = "the entry gives cascade " + quoted(arguments[i]) + ", which the settings do not hold";
            return false;
        }
    }
    const std::vector<std::string> given(arguments.begin() + 1, arguments.end());
    const ParseResult parsed = parseOptions(given, nullptr, options);
    if (!parsed.ok || options.idleSeconds == 0) {
        problem = "the entry's command is not a watcher's: " + (parsed.ok ? std::string("no -idle") : parsed.error);
        return false;
    }
    return true;
}

struct EntryKeys {
    bool inGroup = false;
    bool sawGroup = false;
    int execLines = 0;
    std::string exec, type, hidden, enabled;
};

void readKey(const std::string& line, EntryKeys& keys)
{
    const auto equals = line.find('=');
    if (equals == std::string::npos)
        return;
    const std::string key = line.substr(0, line.find_last_not_of(' ', equals - 1) + 1);
    const std::string value = line.substr(std::min(line.find_first_not_of(' ', equals + 1), line.size()));
    if (key == "Exec") {
        keys.exec = value;
        ++keys.execLines;
    } else if (key == "Type") {
        keys.type = value;
    } else if (key == "Hidden") {
        keys.hidden = value;
    } else if (key == "X-GNOME-Autostart-enabled") {
        keys.enabled = value;
    }
}

EntryKeys entryKeys(const std::string& text)
{
    EntryKeys keys;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            keys.inGroup = line == entryGroup;
            keys.sawGroup = keys.sawGroup || keys.inGroup;
        } else if (keys.inGroup) {
            readKey(line, keys);
        }
    }
    return keys;
}

// Why the session would not start what the keys say, or empty.
std::string keysProblem(const EntryKeys& keys)
{
    if (!keys.sawGroup)
        return "the entry has no [Desktop Entry] group";
    if (keys.execLines != 1)
        return keys.execLines == 0 ? "the entry has no Exec line" : "the entry has more than one Exec line";
    if (keys.type != "Application")
        return "the entry's Type is " + quoted(keys.type) + ", not Application";
    if (keys.hidden == "true")
        return "the entry is hidden (Hidden=true): the session starts nothing from it";
    if (keys.enabled == "false")
        return "the entry is switched off (X-GNOME-Autostart-enabled=false)";
    return std::string();
}

bool readEntryFile(const std::string& path, std::string& text, int& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxEntryBytes) {
        error = fd < 0 || !S_ISREG(info.st_mode) ? (fd < 0 ? errno : EINVAL) : EFBIG;
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    text.assign(static_cast<std::size_t>(info.st_size), '\0');
    const ssize_t got = ::read(fd, &text[0], text.size());
    error = got < 0 ? errno : 0;
    ::close(fd);
    if (got >= 0)
        text.resize(static_cast<std::size_t>(got));
    return got >= 0;
}

} // namespace

bool parseDesktopExecLine(const std::string& value, std::vector<std::string>& arguments, std::string& error)
{
    arguments.clear();
    std::string line;
    return unescapeValue(value, line, error) && splitLine(line, arguments, error);
}

AutostartEntry parseAutostartEntry(const std::string& text)
{
    AutostartEntry entry;
    entry.state = AutostartEntry::State::Unreadable;
    const EntryKeys keys = entryKeys(text);
    entry.problem = keysProblem(keys);
    std::vector<std::string> arguments;
    if (entry.problem.empty() && parseDesktopExecLine(keys.exec, arguments, entry.problem) &&
        watcherOptions(arguments, entry.options, entry.problem)) {
        entry.state = AutostartEntry::State::Readable;
        entry.command = arguments;
    }
    return entry;
}

AutostartEntry readAutostartEntry()
{
    const std::string path = autostartEntryPath();
    std::string text;
    int error = 0;
    AutostartEntry entry;
    if (readEntryFile(path, text, error)) {
        entry = parseAutostartEntry(text);
    } else if (error != ENOENT) {
        entry.state = AutostartEntry::State::Unreadable;
        entry.problem = "cannot read " + quoted(path) + ": " +
                        (error == EINVAL   ? std::string("it is not a regular file")
                         : error == ELOOP ? std::string("it is a symbolic link, which -autostart does not follow")
                                          : std::strerror(error));
    }
    entry.path = path;
    return entry;
}

pid_t runningWatcher()
{
    pid_t pid = 0;
    const int pidfd = leaseHolder(pid);
    if (pidfd >= 0)
        ::close(pidfd);
    return pid;
}
