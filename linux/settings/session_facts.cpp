// The session as the settings window describes it: environment, GNOME's
// settings, the system bus and the programs on PATH, each asked once.
#include "linux/settings/session_facts.h"

#include "linux/common/options.h"
#include "linux/idle/blank_lead.h"
#include "linux/idle/bus_calls.h"
#include "linux/idle/gnome_blank_delay.h"
#include "linux/settings/cascade_program.h"
#include "linux/settings/plasma_lock_wallpaper.h"

#include <gio/gio.h>

#include <cstdlib>
#include <cstring>

namespace {

// The system bus answers at once where it is there; this only bounds a
// hung one, so that the window still opens promptly.
constexpr int busAnswerMs = 300;

bool currentDesktop(const char* name)
{
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    return desktops && std::strstr(desktops, name);
}

// Plasma 6's System Settings and its page's name; where only Plasma 5's is
// installed, its own. Where neither is, the start's failure says so.
std::vector<std::string> screenLockingPage()
{
    const std::string plasma6 = onPath("systemsettings");
    const std::string plasma5 = onPath("systemsettings5");
    if (plasma6.empty() && !plasma5.empty())
        return {plasma5, "screenlocker"};
    return {plasma6.empty() ? "systemsettings" : plasma6, "kcm_screenlocker"};
}

bool logindAnswers()
{
    std::string why;
    GDBusConnection* bus = openBus(false, why);
    if (!bus)
        return false;
    const bool owned = nameOwned(bus, "org.freedesktop.login1", busAnswerMs);
    g_object_unref(bus);
    return owned;
}

} // namespace

SessionFacts readSessionFacts()
{
    SessionFacts facts;
    facts.wayland = std::getenv("WAYLAND_DISPLAY") != nullptr;
    facts.gnome = currentDesktop("GNOME");
    if (facts.gnome)
        facts.gnomeBlankSeconds = GnomeBlankDelay().seconds();
    facts.logindAnswers = logindAnswers();
    facts.xscreensaver = onPath("xscreensaver");
    facts.xscreensaverSettings = onPath("xscreensaver-settings");
    if (facts.xscreensaverSettings.empty())
        facts.xscreensaverSettings = onPath("xscreensaver-demo");
    facts.addToXscreensaver = findCompanion("cascade-add-to-xscreensaver");
    facts.plasma = currentDesktop("KDE");
    if (facts.plasma) {
        facts.sceneWallpaperInstalled = sceneWallpaperInstalled();
        facts.screenLockingPage = screenLockingPage();
    }
    return facts;
}

std::string spanText(unsigned seconds)
{
    if (seconds % secondsPerMinute == 0)
        return std::to_string(seconds / secondsPerMinute) + " min";
    return std::to_string(seconds) + " s";
}

std::string idleSignalText(const SessionFacts& facts, long idleSeconds)
{
    if (!facts.wayland)
        return "On X11 XScreenSaver is the host: it starts screen savers itself.";
    if (!facts.gnome)
        return "The compositor tells the watcher when you are idle (its idle protocol).";
    std::string text = "GNOME's idle monitor tells the watcher when you are idle.";
    if (facts.gnomeBlankSeconds == 0)
        return text + " GNOME does not blank the screen.";
    const unsigned comes = idleSecondsBeforeBlank(static_cast<unsigned>(idleSeconds), facts.gnomeBlankSeconds);
    return text + " GNOME blanks the screen after " + spanText(facts.gnomeBlankSeconds) +
           ", so the saver comes after " + spanText(comes) + ".";
}
