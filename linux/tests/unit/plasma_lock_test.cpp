// The lock screen's wallpaper in kscreenlockerrc: the line editor keeps
// every byte it does not concern, and the file-level switch writes only
// what it must and refuses what it cannot read.
#include "linux/settings/kconfig_text.h"
#include "linux/settings/plasma_lock_wallpaper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string group = "Greeter";
const std::string key = "WallpaperPlugin";
const std::string scene = sceneWallpaperPlugin;

std::string on(const std::string& text) { return withKConfigEntry(text, group, key, scene); }
std::string off(const std::string& text) { return withoutKConfigEntry(text, group, key); }

// What KDE writes once an image was chosen: the same key name in a nested
// group, which is not the choice of plugin.
const std::string plasmaFile = "[$Version]\nupdate_info=kscreenlocker.upd:0.1-autolock\n\n"
                               "[Daemon]\nTimeout=10\n\n"
                               "[Greeter]\n# chosen by hand\nTheme = breeze\n\n"
                               "[Greeter][Wallpaper][org.kde.image][General]\nImage=/x.png\nWallpaperPlugin=x\n";

} // namespace

TEST(KConfigText, SetsTheKeyInItsOwnGroupAndNowhereElse)
{
    struct Case {
        const char* what;
        std::string before, after;
    };
    const std::vector<Case> cases = {
        {"no file", "", "[Greeter]\nWallpaperPlugin=org.cascade.scene\n"},
        {"no [Greeter], no final newline", "[Daemon]\nTimeout=10",
         "[Daemon]\nTimeout=10\n\n[Greeter]\nWallpaperPlugin=org.cascade.scene\n"},
        {"key absent: added at the end of [Greeter], before the blank line and the nested group",
         plasmaFile,
         "[$Version]\nupdate_info=kscreenlocker.upd:0.1-autolock\n\n[Daemon]\nTimeout=10\n\n"
         "[Greeter]\n# chosen by hand\nTheme = breeze\nWallpaperPlugin=org.cascade.scene\n\n"
         "[Greeter][Wallpaper][org.kde.image][General]\nImage=/x.png\nWallpaperPlugin=x\n"},
        {"key present, spaced, flagged, twice; a translation and the nested group's left",
         "[Greeter]\r\n WallpaperPlugin = org.kde.image\r\nWallpaperPlugin[de]=y\r\n"
         "[Greeter][Wallpaper]\r\nWallpaperPlugin=z\r\n[Greeter][$i]\r\nWallpaperPlugin[$i]=org.kde.potd",
         "[Greeter]\r\nWallpaperPlugin=org.cascade.scene\r\nWallpaperPlugin[de]=y\r\n"
         "[Greeter][Wallpaper]\r\nWallpaperPlugin=z\r\n[Greeter][$i]\r\nWallpaperPlugin=org.cascade.scene"},
        {"CRLF file, [Greeter] indented and last without a final newline", "[Daemon]\r\nLock=true\r\n\t[Greeter]",
         "[Daemon]\r\nLock=true\r\n\t[Greeter]\r\nWallpaperPlugin=org.cascade.scene\r\n"},
        {"key only in the default group and another group", "WallpaperPlugin=a\n[Other]\nWallpaperPlugin=b\n",
         "WallpaperPlugin=a\n[Other]\nWallpaperPlugin=b\n\n[Greeter]\nWallpaperPlugin=org.cascade.scene\n"},
    };
    for (const Case& c : cases) {
        const std::string after = on(c.before);
        EXPECT_EQ(after, c.after) << c.what;
        EXPECT_EQ(kconfigEntry(after, group, key), scene) << c.what;
        EXPECT_EQ(on(after), after) << c.what << ": a second set changed the file";
    }
    EXPECT_EQ(kconfigEntry(plasmaFile, group, key), std::nullopt);
    EXPECT_EQ(kconfigEntry("[Greeter]\nWallpaperPlugin=a\n[Greeter]\nWallpaperPlugin= b \n", group, key), "b");
}

TEST(KConfigText, RemovingTheKeyPutsBackWhatWasThereBeforeIt)
{
    // Set, then removed: byte for byte the file before, where [Greeter] was there.
    for (const std::string& before : {plasmaFile, std::string("[Greeter]\r\nTheme=breeze\r\n[Daemon]\r\nA=1")})
        EXPECT_EQ(off(on(before)), before);
    EXPECT_EQ(off("[Greeter]\nWallpaperPlugin=org.cascade.scene\nTheme=x\n[Greeter][Wallpaper]\nWallpaperPlugin=y"),
              "[Greeter]\nTheme=x\n[Greeter][Wallpaper]\nWallpaperPlugin=y");
    EXPECT_EQ(off(plasmaFile), plasmaFile);
    EXPECT_EQ(off(""), "");
}

// Random files of the pieces the format gives meaning to: the key is set and
// read back, set once for good, removed; every other byte stays, but for a
// line end given to a last line that had none.
TEST(KConfigText, AnyFileKeepsEveryOtherLine)
{
    const std::vector<std::string> pieces = {"[Greeter]", "[Greeter][Wallpaper]", "[$i]", "[Daemon]", "[", "]",
                                             "WallpaperPlugin", "[de]", "=", "x", " ", "\t", "#", "\n", "\r\n"};
    const auto flat = [](std::string text) {
        text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }),
                   text.end());
        return text;
    };
    std::mt19937 random(20261211);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (std::size_t count = random() % 24; count > 0; --count)
            text += pieces[random() % pieces.size()];
        const std::string set = on(text);
        ASSERT_EQ(kconfigEntry(set, group, key), scene) << text;
        ASSERT_EQ(on(set), set) << text;
        ASSERT_EQ(kconfigEntry(off(text), group, key), std::nullopt) << text;
        const std::string kept = flat(off(set));
        ASSERT_TRUE(kept == flat(off(text)) || kept == flat(off(text)) + "[Greeter]") << text;
    }
}

class LockSettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/cascade-plasma-lock-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
        ::setenv("XDG_CONFIG_HOME", (folder_ + "/config").c_str(), 1);
        ::setenv("XDG_CONFIG_DIRS", (folder_ + "/none:" + folder_ + "/system").c_str(), 1);
        path_ = lockSettingsPath();
    }
    void TearDown() override
    {
        std::system(("rm -rf '" + folder_ + "'").c_str());
        ::unsetenv("XDG_CONFIG_DIRS");
    }
    std::string text() const
    {
        std::ifstream file(path_, std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }
    void write(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }
    std::string folder_;
    std::string path_;
};

TEST_F(LockSettingsFile, TheSwitchWritesOnlyItsChoiceAndReadsItBack)
{
    std::string error;
    EXPECT_EQ(path_, folder_ + "/config/kscreenlockerrc");
    EXPECT_FALSE(readLockWallpaper(path_).scene);
    // Off with no file makes none; on makes the folder and the file.
    EXPECT_TRUE(showSceneBehindLock(path_, false, error)) << error;
    EXPECT_NE(::access(path_.c_str(), F_OK), 0);
    EXPECT_TRUE(showSceneBehindLock(path_, true, error)) << error;
    EXPECT_TRUE(readLockWallpaper(path_).scene);

    write(plasmaFile);
    EXPECT_TRUE(showSceneBehindLock(path_, true, error)) << error;
    EXPECT_EQ(text(), on(plasmaFile));
    EXPECT_TRUE(readLockWallpaper(path_).scene);
    EXPECT_TRUE(showSceneBehindLock(path_, false, error)) << error;
    EXPECT_EQ(text(), plasmaFile);
    // Another wallpaper chosen in KDE's settings meanwhile is not ours to take back.
    const std::string potd = "[Greeter]\nWallpaperPlugin=org.kde.potd\n";
    write(potd);
    EXPECT_FALSE(readLockWallpaper(path_).scene);
    EXPECT_TRUE(showSceneBehindLock(path_, false, error)) << error;
    EXPECT_EQ(text(), potd);

    // A dotfile linked in stays linked: its target is written.
    ASSERT_EQ(::rename(path_.c_str(), (folder_ + "/kept").c_str()), 0);
    ASSERT_EQ(::symlink("../kept", path_.c_str()), 0);
    EXPECT_TRUE(showSceneBehindLock(path_, true, error)) << error;
    struct stat link {};
    EXPECT_TRUE(::lstat(path_.c_str(), &link) == 0 && S_ISLNK(link.st_mode));
    EXPECT_TRUE(readLockWallpaper(folder_ + "/kept").scene);
}

// An administrator's choice of ours in /etc/xdg is read beneath the user's
// file, and off must override it, not just leave the user's file alone.
TEST_F(LockSettingsFile, TheSystemsChoiceIsReadBeneathTheUsers)
{
    ASSERT_EQ(::mkdir((folder_ + "/system").c_str(), 0700), 0);
    std::ofstream(folder_ + "/system/kscreenlockerrc") << "[Greeter]\nWallpaperPlugin=org.cascade.scene\n";
    EXPECT_TRUE(readLockWallpaper(path_).scene);
    std::string error;
    EXPECT_TRUE(showSceneBehindLock(path_, false, error)) << error;
    EXPECT_EQ(text(), "[Greeter]\nWallpaperPlugin=org.kde.image\n");
    EXPECT_FALSE(readLockWallpaper(path_).scene);
    EXPECT_TRUE(showSceneBehindLock(path_, true, error)) << error;
    EXPECT_TRUE(readLockWallpaper(path_).scene);
}

TEST_F(LockSettingsFile, WhatCannotBeReadIsSaidAndLeftAlone)
{
    ASSERT_EQ(::mkdir((folder_ + "/config").c_str(), 0700), 0);
    std::string error;
    // A folder, or a FIFO that would hang a blocking read, where the file should be.
    for (const bool folder : {true, false}) {
        ASSERT_EQ(folder ? ::mkdir(path_.c_str(), 0700) : ::mkfifo(path_.c_str(), 0600), 0);
        EXPECT_NE(readLockWallpaper(path_).problem, "") << folder;
        error.clear();
        EXPECT_FALSE(showSceneBehindLock(path_, true, error));
        EXPECT_NE(error.find("kscreenlockerrc"), std::string::npos) << error;
        ASSERT_EQ(::remove(path_.c_str()), 0);
    }

    // Write-protected: read as it is, and not changed.
    write("[Greeter]\nWallpaperPlugin=org.cascade.scene\n");
    ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
    EXPECT_TRUE(readLockWallpaper(path_).scene);
    EXPECT_EQ(readLockWallpaper(path_).problem, "");
    error.clear();
    EXPECT_FALSE(showSceneBehindLock(path_, false, error));
    EXPECT_NE(error.find("write-protected"), std::string::npos) << error;
    EXPECT_EQ(text(), "[Greeter]\nWallpaperPlugin=org.cascade.scene\n");
}

TEST_F(LockSettingsFile, ThePluginIsFoundInEveryDataFolder)
{
    const std::string data = folder_ + "/data";
    ::setenv("XDG_DATA_HOME", (folder_ + "/home").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", ("relative:" + folder_ + "/empty:" + data).c_str(), 1);
    EXPECT_FALSE(sceneWallpaperInstalled());
    const std::string package = data + "/plasma/wallpapers/" + scene;
    ASSERT_EQ(std::system(("mkdir -p '" + package + "'").c_str()), 0);
    EXPECT_FALSE(sceneWallpaperInstalled()) << "a folder without metadata is no plugin";
    std::ofstream(package + "/metadata.json") << "{}";
    EXPECT_TRUE(sceneWallpaperInstalled());
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("XDG_DATA_DIRS");
}
