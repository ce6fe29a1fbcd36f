// The Plasma rows: System Settings opened at the page where the lock
// screen's wallpaper is chosen, and our own switch for the same choice,
// which follows the file when System Settings closes.
#include "linux/settings/plasma_lock_rows.h"

#include "linux/settings/cascade_program.h"
#include "linux/settings/plasma_lock_wallpaper.h"
#include "linux/settings/preference_rows.h"

#include <adwaita.h>

#include <utility>

namespace {

constexpr const char* whereChosen = "System Settings › Screen Locking › Appearance";

} // namespace

PlasmaLockRows::PlasmaLockRows(GtkWidget* group, const SessionFacts& facts,
                               std::function<void(const std::string&)> showProblem)
    : facts_(facts), showProblem_(std::move(showProblem)), path_(lockSettingsPath())
{
    const std::string where = facts_.sceneWallpaperInstalled
                                  ? std::string("Choose Cascade in ") + whereChosen
                                  : std::string("Install the package ") + sceneWallpaperPackage +
                                        ", then choose Cascade in " + whereChosen;
    GtkWidget* open = addButtonRow(group, "The lock screen can show the scene", where.c_str(), "Open");
    gtk_widget_set_tooltip_text(open, "Open System Settings at Screen Locking");
    g_signal_connect_swapped(open, "clicked", G_CALLBACK(+[](PlasmaLockRows* self) { self->openScreenLocking(); }),
                             this);
    addSwitchRow(group);
    showFile();
}

void PlasmaLockRows::addSwitchRow(GtkWidget* group)
{
    switch_ = gtk_switch_new();
    addControlRow(group, "Show the scene behind the lock", ("The lock screen's wallpaper, in " + path_).c_str(), switch_);
    g_signal_connect_swapped(switch_, "notify::active",
                             G_CALLBACK(+[](PlasmaLockRows* self) { self->switchToggled(); }), this);
}

void PlasmaLockRows::openScreenLocking()
{
    std::weak_ptr<bool> alive = alive_;
    runProgram(facts_.screenLockingPage, [this, alive](bool ok, const std::string& problem) {
        if (alive.expired())
            return;
        if (!ok)
            showProblem_("Opening System Settings failed: " + problem);
        showFile(); // the wallpaper may have been chosen there
    });
}

void PlasmaLockRows::switchToggled()
{
    if (showing_)
        return;
    const bool on = gtk_switch_get_active(GTK_SWITCH(switch_));
    std::string error;
    if (showSceneBehindLock(path_, on, error))
        showProblem_("");
    else
        showProblem_(std::string(on ? "Showing the scene behind the lock failed: "
                                    : "Taking the scene from the lock failed: ") + error);
    showFileSoon();
}

// Not from within the switch's own change: a switch set back while its
// change is still being announced announces a change of the user's after it.
void PlasmaLockRows::showFileSoon()
{
    using Later = std::pair<PlasmaLockRows*, std::weak_ptr<bool>>;
    g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, +[](gpointer data) -> gboolean {
        const Later* later = static_cast<Later*>(data);
        if (!later->second.expired())
            later->first->showFile();
        return G_SOURCE_REMOVE;
    }, new Later(this, alive_), +[](gpointer data) { delete static_cast<Later*>(data); });
}

// A plugin that is not installed cannot be chosen, but a choice of it made
// before can still be taken back.
void PlasmaLockRows::showFile()
{
    const LockWallpaper wallpaper = readLockWallpaper(path_);
    if (!wallpaper.problem.empty())
        showProblem_("The lock screen's settings cannot be read: " + wallpaper.problem);
    showing_ = true;
    gtk_switch_set_active(GTK_SWITCH(switch_), wallpaper.scene);
    showing_ = false;
    gtk_widget_set_sensitive(switch_, facts_.sceneWallpaperInstalled || wallpaper.scene);
}
