// The login entry read back as a settings window reads it: whatever
// -autostart on writes comes back as given, and what the settings cannot
// stand for is refused with one line saying why.
#include "linux/idle/autostart.h"
#include "linux/idle/watcher_lease.h"
#include "linux/idle/watcher_control.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string entryWithExec(const std::string& exec, const std::string& more = "")
{
    return "[Desktop Entry]\nType=Application\nName=Cascade idle watcher\nExec=" + exec + "\n" + more;
}

// A temporary configuration home, XDG_CONFIG_HOME and XDG_RUNTIME_DIR
// pointed at it for the test's life.
class AutostartFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/cascade-autostart-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
        ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
        ::setenv("WAYLAND_DISPLAY", "wayland-test", 1);
    }
    void TearDown() override { std::system(("rm -rf '" + folder_ + "'").c_str()); }
    std::string folder_;
};

} // namespace

TEST(AutostartEntry, ExecLineRoundTripsWhateverTheArgumentsHold)
{
    std::vector<std::vector<std::string>> cases = {
        {"/usr/libexec/xscreensaver/cascade", "-idle", "300"},
        {"/opt/my apps/cascade", "-lock-command", "swaylock -f -c \"000000\" $HOME \\ 100% it's `x`"},
        {"cascade", "", "%%", "%f", "\\\\", "\"", "a\tb", "#;|&<>~*?()"},
    };
    // Random words over every character the format treats specially.
    const std::string alphabet = "ab %$\\\"'`\t#;|&<>~*?()=-";
    std::mt19937 random(20261210);
    for (int round = 0; round < 500; ++round) {
        std::vector<std::string> arguments;
        for (std::size_t words = 1 + random() % 4; words > 0; --words) {
            std::string word;
            for (std::size_t length = random() % 8; length > 0; --length)
                word += alphabet[random() % alphabet.size()];
            arguments.push_back(word);
        }
        cases.push_back(arguments);
    }
    for (const auto& arguments : cases) {
        const std::string line = desktopExecLine(arguments);
        std::vector<std::string> back;
        std::string error;
        EXPECT_TRUE(parseDesktopExecLine(line, back, error)) << line << ": " << error;
        EXPECT_EQ(back, arguments) << line;
    }
}

TEST(AutostartEntry, WhatOnWritesReadsBackAsItsSettings)
{
    const std::string lock = "swaylock -f -c \"000000\" $HOME \\ 100%";
    const AutostartEntry entry = parseAutostartEntry(entryWithExec(
        desktopExecLine({"/usr/bin/cascade", "-idle", "240", "-lock-after", "600", "-lock-command", lock}),
        "NoDisplay=true\nX-GNOME-Autostart-enabled=true\n[Other Group]\nExec=sh\n"));
    ASSERT_EQ(entry.state, AutostartEntry::State::Readable) << entry.problem;
    EXPECT_EQ(entry.options.idleSeconds, 240);
    EXPECT_EQ(entry.options.lockAfterSeconds, 600);
    EXPECT_EQ(entry.options.lockCommand, lock);
    // Spaces round the = and two-dash options, as a hand may write them.
    const AutostartEntry spaced =
        parseAutostartEntry("# mine\n[Desktop Entry]\nType = Application\nExec =  cascade --idle 60\n");
    ASSERT_EQ(spaced.state, AutostartEntry::State::Readable) << spaced.problem;
    EXPECT_EQ(spaced.options.idleSeconds, 60);
    EXPECT_EQ(spaced.options.lockAfterSeconds, 0);
}

TEST(AutostartEntry, EntriesEditedBeyondTheSettingsAreRefusedWithAReason)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {entryWithExec("swayidle -w timeout 300 cascade"), "not cascade"},
        {entryWithExec("cascade -idle 300 -fps"), "-fps"},
        {entryWithExec("cascade -idle 300 -lock-after"), "not a watcher's"},
        {entryWithExec("cascade -lock-after 60"), "not a watcher's"},
        {entryWithExec("cascade -idle 300", "Hidden=true\n"), "Hidden=true"},
        {entryWithExec("cascade -idle 300", "X-GNOME-Autostart-enabled=false\n"), "switched off"},
        {entryWithExec("cascade -idle 300 -lock-after 60 -lock-command \"swaylock"), "never closes"},
        {entryWithExec("cascade -idle 300 -lock-after 60 -lock-command \"a \\\\q\""), "escape"},
        {entryWithExec("cascade -idle 300 -lock-after 60 -lock-command \"a\"b"), "closing quote"},
        {entryWithExec("cascade -idle 300 -lock-after 60 -lock-command $LOCK"), "outside quotes"},
        {entryWithExec("cascade -idle 300 %f"), "field code"},
        {entryWithExec("cascade -idle 300 \\q"), "backslash"},
        {entryWithExec("cascade -idle 300", "Exec=cascade -idle 60\n"), "more than one"},
        {"[Desktop Entry]\nType=Application\n", "no Exec"},
        {"[Desktop Entry]\nType=Link\nExec=cascade -idle 300\n", "Link"},
        {"Exec=cascade -idle 300\n", "no [Desktop Entry]"},
    };
    for (const auto& [text, reason] : cases) {
        const AutostartEntry entry = parseAutostartEntry(text);
        EXPECT_EQ(entry.state, AutostartEntry::State::Unreadable) << text;
        EXPECT_NE(entry.problem.find(reason), std::string::npos) << text << "-> " << entry.problem;
        EXPECT_EQ(entry.problem.find('\n'), std::string::npos) << entry.problem;
    }
}

TEST_F(AutostartFiles, TheEntryFileAbsentReadableOrNotAFile)
{
    const std::string path = folder_ + "/autostart/cascade-idle.desktop";
    AutostartEntry entry = readAutostartEntry();
    EXPECT_EQ(entry.state, AutostartEntry::State::Absent);
    EXPECT_EQ(entry.path, path);
    ASSERT_EQ(::mkdir((folder_ + "/autostart").c_str(), 0755), 0);
    std::ofstream(folder_ + "/real") << entryWithExec("/usr/bin/cascade -idle 90");
    ASSERT_EQ(::symlink("../real", path.c_str()), 0);
    entry = readAutostartEntry();
    EXPECT_EQ(entry.state, AutostartEntry::State::Unreadable);
    EXPECT_NE(entry.problem.find("symbolic link"), std::string::npos) << entry.problem;
    ASSERT_EQ(::rename((folder_ + "/real").c_str(), path.c_str()), 0);
    entry = readAutostartEntry();
    ASSERT_EQ(entry.state, AutostartEntry::State::Readable) << entry.problem;
    EXPECT_EQ(entry.options.idleSeconds, 90);
}

// Only a watcher the kernel shows holding the session's watcher lease is one:
// the test holds the lease itself (not cascade), then names in it a process
// that is called cascade (sleep under that name) but holds no lease.
TEST_F(AutostartFiles, NoWatcherIsFoundThatIsNotProvenOne)
{
    EXPECT_EQ(runningWatcher(), 0);
    EXPECT_FALSE(watcherLeaseHeld());
    int fd = -1;
    std::string error;
    ASSERT_TRUE(takeWatcherLease(fd, error)) << error;
    EXPECT_TRUE(watcherLeaseHeld());
    pid_t pid = 0;
    EXPECT_EQ(leaseHolder(pid), -1) << "the test program passed for a watcher";
    const std::string impostor = folder_ + "/cascade";
    ASSERT_EQ(std::system(("cp /bin/sleep '" + impostor + "'").c_str()), 0);
    const pid_t sleeper = ::fork();
    if (sleeper == 0) {
        ::execl(impostor.c_str(), "cascade", "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::usleep(100000); // not a timing assertion: an exec not yet done only makes the check easier to pass
    const std::string forged = std::to_string(sleeper) + "\n";
    ASSERT_EQ(::pwrite(fd, forged.data(), forged.size(), 0), static_cast<ssize_t>(forged.size()));
    EXPECT_EQ(runningWatcher(), 0) << "a cascade that does not hold the lock passed for the watcher";
    ::kill(sleeper, SIGKILL);
    ::waitpid(sleeper, nullptr, 0);
    ::close(fd);
    EXPECT_FALSE(watcherLeaseHeld());
}

// The entry and the printed lines name the program as a user types it only
// where that name on PATH runs this very file; a watcher is known by its
// file, whichever of those names started it.
TEST_F(AutostartFiles, TheProgramIsNamedAsTypedAndKnownByItsFile)
{
    const std::string bin = folder_ + "/bin", other = folder_ + "/other";
    ASSERT_EQ(std::system(("mkdir '" + bin + "' '" + other + "' && cp /bin/sleep '" + bin + "/cascade' && cp /bin/sleep '" +
                           other + "/cascade'").c_str()), 0);
    const std::string program = bin + "/cascade";
    const char* const savedPath = std::getenv("PATH");
    const std::string path = savedPath ? savedPath : "";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {bin + ":" + path, "cascade"},    // this very file first on PATH
        {folder_ + "::" + bin, "cascade"}, // folders without one before it
        {other + ":" + bin, program},     // another file of that name first
        {"bin:" + folder_, program},      // only a relative folder holds it
        {"", program},
    };
    char* cwd = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir(folder_.c_str()), 0);
    for (const auto& [searched, named] : cases) {
        ::setenv("PATH", searched.c_str(), 1);
        EXPECT_EQ(typedCommand({program, "-idle", "300"}), (std::vector<std::string>{named, "-idle", "300"})) << searched;
    }
    ::setenv("PATH", path.c_str(), 1);
    ASSERT_EQ(::chdir(cwd), 0);
    std::free(cwd);

    const pid_t sleeper = ::fork();
    if (sleeper == 0) {
        ::execl(program.c_str(), "cascade", "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Until the exec is done the child is the test program: the first check
    // waits for it rather than for a time.
    bool known = false;
    for (int tries = 0; tries < 500 && !(known = runsCommand(sleeper, {program, "30"})); ++tries)
        ::usleep(10000);
    EXPECT_TRUE(known) << "a watcher started as a bare name was not known by its file";
    EXPECT_FALSE(runsCommand(sleeper, {program, "31"}));
    EXPECT_FALSE(runsCommand(sleeper, {other + "/cascade", "30"})) << "another file of the same name passed";
    EXPECT_FALSE(runsCommand(sleeper, {program, "30", "-lock-after", "60"}));
    ::kill(sleeper, SIGKILL);
    ::waitpid(sleeper, nullptr, 0);
}
