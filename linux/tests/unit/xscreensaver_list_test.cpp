// The adder's one promise, as a property over generated ~/.xscreensaver files
// of every awkward shape the daemon accepts: the new file is the old one,
// byte for byte, but for Cascade's entry switched on (one "-" gone) or
// appended at the end of the last programs list. Checked on the parser in
// process, and on a command run in a throwaway HOME (the installed program,
// or any other given as CASCADE_ADDER), which must also keep the old file
// as the backup and leave nothing else behind.
#include "linux/add_to_xscreensaver/xscreensaver_list.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int inProcessFiles = 3000;
constexpr int programFiles = 150;

const char* const systemFile = "*timeout: 0:10:00\n*programs:\t\\\n\t\tmaze --root\t\\n\\\n- GL:\tgears --root\t\\n\n";
const char* const systemBlock = "programs:\t\\\n\t\tmaze --root\t\\n\\\n- GL:\tgears --root\t\\n\\\n";

// A generated file and what the adder must make of it.
struct Case {
    std::string old;
    std::string expected; // same, switch, append or system
    std::size_t at = 0;   // the "-" that goes, or where Cascade goes in
    std::string eol;
    std::string seed;
};

struct Generator {
    std::mt19937 random;
    std::string eol;
    std::string text;

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    template <std::size_t N> const char* any(const char* const (&options)[N]) { return options[pick(N)]; }
    std::string blanks() { return any({"", " ", "\t", " \t  ", "\t\t\t\t"}); }

    // Lines around the lists: settings, comments that mention Cascade,
    // continued values, bytes that are not text.
    void otherLines()
    {
        for (int n = pick(4); n > 0; --n) {
            const std::string line = any({"timeout:\t0:05:00", "# - GL: cascade --root", "! programs: cascade",
                                          "textLiteral: a \\", "lock:\tFalse", "", "imageDirectory: /caf\xe9\xff",
                                          "font: x"});
            text += line + eol + (line.back() == '\\' ? " b" + eol : "");
        }
        text += std::string("# NUL \0 here", 12) + eol;
    }

    // One entry: its text and, for a switched-off Cascade, where its "-" is.
    // An escaped "-" switches it off too, but dropping one byte cannot
    // switch it on: that entry stays and Cascade is appended.
    std::string entry(bool& isCascade, bool& off, bool& escaped, std::size_t& mark, std::size_t at)
    {
        static const char* const others[] = {"maze --root", "xmatrix -root",
                                             "glslideshow --root -directory ~/Pictures/cascade",
                                             "xterm -e cascade --help", "mycascade --root", "cascade-old -root",
                                             "/opt/cascade/maze -root"};
        static const char* const cascades[] = {"cascade --root", "/usr/libexec/xscreensaver/cascade -root -delay 20000"};
        isCascade = pick(3) == 0;
        off = pick(2) == 0;
        std::string e = blanks();
        if (off) {
            mark = at + e.size();
            escaped = pick(4) == 0;
            e += (escaped ? "\\-" : "-") + blanks();
        }
        e += any({"", "GL: ", "\"Cascade clone\"\t", "color:\t\"My cascade\" ", "\"x\" default: "});
        return e + (isCascade ? any(cascades) : any(others)) + blanks();
    }

    // The last list (or, with first, an earlier one the daemon ignores).
    Case list(bool first, Case c)
    {
        if (pick(4) == 0) // a value ending in an escaped backslash, which continues nothing
            text += "textLiteral: C:\\\\" + eol;
        text += blanks() + (first ? any({"programs:", "*programs:"}) : any({"programs:", "programs :"})) + blanks();
        bool enabled = false;
        std::size_t disabledMark = std::string::npos;
        const int entries = pick(6);
        for (int i = 0; i < entries; ++i) {
            if (i > 0 || pick(2))
                text += pick(2) ? "\\" + eol : std::string();
            bool isCascade = false, off = false, escaped = false;
            std::size_t mark = 0;
            text += entry(isCascade, off, escaped, mark, text.size());
            enabled = enabled || (isCascade && !off);
            if (isCascade && off && !escaped && disabledMark == std::string::npos)
                disabledMark = mark;
            if (i + 1 < entries || pick(2))
                text += "\\n" + blanks();
        }
        if (pick(4) == 0) // a continued line with nothing but blanks
            text += "\\" + eol + any({" ", "\t"});
        if (first)
            return c;
        c.eol = eol;
        if (enabled) {
            c.expected = "same";
        } else if (disabledMark != std::string::npos) {
            c.expected = "switch";
            c.at = disabledMark;
        } else {
            c.expected = "append";
            c.at = text.size();
        }
        return c;
    }

    Case make(unsigned seed)
    {
        random.seed(seed);
        eol = pick(3) == 0 ? "\r\n" : "\n";
        text.clear();
        Case c;
        c.seed = std::to_string(seed);
        otherLines();
        const bool hasList = pick(8) != 0;
        if (hasList && pick(4) == 0) {
            list(true, c);
            text += eol;
            otherLines();
        }
        if (hasList) {
            c = list(false, c);
            if (pick(3)) {
                text += eol;
                otherLines();
            }
        } else {
            c.expected = "system";
            if (pick(2)) // the system's form, which the daemon ignores here
                text += "*programs: cascade --root \\n" + eol;
            if (pick(2))
                text += "lock: True";
        }
        c.old = text;
        return c;
    }
};

// The new file against the old: "" where it keeps the promise.
std::string broken(const Case& c, const std::string& now)
{
    const std::string& old = c.old;
    if (c.expected == "same")
        return now == old ? "" : "changed a list that had Cascade on";
    if (c.expected == "switch")
        return now == std::string(old).erase(c.at, 1) ? "" : "did not just drop Cascade's \"-\"";
    if (c.expected == "system") {
        const std::string start = old + (old.empty() || old.back() == '\n' ? "" : "\n");
        return now == start + systemBlock + cascadeEntry + "\n" ? "" : "did not append the system's list";
    }
    const std::size_t added = now.size() - old.size();
    if (now.size() < old.size() || now.compare(0, c.at, old, 0, c.at) != 0 ||
        now.compare(c.at + added, std::string::npos, old, c.at) != 0)
        return "changed more than the end of the list";
    // Cascade's entry after a separator and a continuation where they are missing.
    const std::string inserted = now.substr(c.at, added);
    const std::string entry = cascadeEntry;
    for (const std::string& lead : {std::string(), "\\" + c.eol, "\\n\\" + c.eol, c.eol, c.eol + "\\n\\" + c.eol})
        if (inserted == lead + entry)
            return findProgramsList(now).cascade == CascadeState::Enabled ? "" : "appended, but not as an entry";
    return "appended something else: " + inserted;
}

std::string describe(const Case& c, const std::string& now, const std::string& problem)
{
    return "seed " + c.seed + ": " + problem + "\n--- old\n" + c.old + "\n--- new\n" + now;
}

TEST(XScreenSaverList, ChangesNothingButCascadesEntry)
{
    Generator generator;
    for (int seed = 0; seed < inProcessFiles; ++seed) {
        const Case c = generator.make(static_cast<unsigned>(seed));
        ListEdit edit;
        std::string error;
        ASSERT_TRUE(addCascade(&c.old, systemFile, "system", edit, error)) << error;
        const std::string problem = broken(c, edit.text);
        ASSERT_EQ("", problem) << describe(c, edit.text, problem);
        // Once added, Cascade is there: a second run changes nothing.
        ListEdit again;
        ASSERT_TRUE(addCascade(&edit.text, systemFile, "system", again, error));
        ASSERT_EQ(CascadeState::Enabled, again.before) << describe(c, edit.text, "not on after the edit");
    }
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(XScreenSaverList, TheCommandKeepsThePromiseAndTheOldFile)
{
    const char* given = std::getenv("CASCADE_ADDER");
    const std::string command = given && *given ? given : CASCADE_ADDER;
    char pattern[] = "/tmp/cascade-list-test-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    const std::string work = pattern;
    writeFile(work + "/system", systemFile);
    Generator generator;
    int failures = 0;
    for (int seed = 0; seed < programFiles && failures < 3; ++seed) {
        const Case c = generator.make(static_cast<unsigned>(seed) * 7919u + 1u);
        const std::string home = work + "/" + c.seed;
        ASSERT_EQ(0, mkdir(home.c_str(), 0700));
        writeFile(home + "/.xscreensaver", c.old);
        const std::string run = "HOME='" + home + "' CASCADE_APP_DEFAULTS='" + work + "/system' '" + command +
                                "' >'" + home + ".out' 2>&1";
        const int status = std::system(run.c_str());
        const std::string now = readFile(home + "/.xscreensaver");
        std::string problem = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? broken(c, now)
                                                                          : "exit " + readFile(home + ".out");
        const bool changed = c.expected != "same";
        if (problem.empty() && changed && readFile(home + "/.xscreensaver.before-cascade") != c.old)
            problem = "the backup is not the old file";
        std::size_t files = 0;
        if (DIR* folder = opendir(home.c_str())) {
            while (const dirent* found = readdir(folder))
                files += std::string(found->d_name) != "." && std::string(found->d_name) != "..";
            closedir(folder);
        }
        if (problem.empty() && files != (changed ? 2u : 1u))
            problem = "left " + std::to_string(files) + " files";
        EXPECT_EQ("", problem) << describe(c, now, problem);
        failures += !problem.empty();
    }
    std::system(("rm -rf '" + work + "'").c_str());
}

} // namespace
