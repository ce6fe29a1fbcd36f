// The desktop's rows: a compositor's line with a button that copies it, or
// XScreenSaver's two buttons (put Cascade in its list, open its settings);
// on KDE Plasma besides, the lock screen's (PlasmaLockRows).
#include "linux/settings/desktop_rows.h"

#include "linux/idle/autostart.h"
#include "linux/settings/cascade_program.h"
#include "linux/settings/plasma_lock_rows.h"
#include "linux/settings/preference_rows.h"

#include <adwaita.h>

#include <utility>

DesktopRows::DesktopRows(const SessionFacts& facts, std::string cascade,
                         std::function<void(const std::string&)> showProblem)
    : facts_(facts), cascade_(std::move(cascade)), showProblem_(std::move(showProblem))
{
    const bool compositor = facts_.wayland && !compositorLines({}).empty();
    if (facts_.wayland && !compositor && !facts_.plasma)
        return;
    group_ = adw_preferences_group_new();
    if (compositor)
        addCompositorRows();
    else if (!facts_.wayland)
        addX11Rows();
    else
        adw_preferences_group_set_title(ADW_PREFERENCES_GROUP(group_), "KDE Plasma");
    if (facts_.plasma)
        plasma_ = std::make_unique<PlasmaLockRows>(group_, facts_, showProblem_);
}

DesktopRows::~DesktopRows() = default;

void DesktopRows::addCompositorRows()
{
    adw_preferences_group_set_title(ADW_PREFERENCES_GROUP(group_), "Your compositor");
    GtkWidget* copy = addButtonRow(group_, "", nullptr, "Copy");
    compositorRow_ = gtk_widget_get_ancestor(copy, ADW_TYPE_ACTION_ROW);
    gtk_widget_set_tooltip_text(copy, "Copy the line for the compositor's configuration");
    g_signal_connect_swapped(copy, "clicked", G_CALLBACK(+[](DesktopRows* self) {
        gdk_clipboard_set_text(gtk_widget_get_clipboard(self->compositorRow_), self->compositorLine_.c_str());
    }), this);
}

void DesktopRows::showWatcherLine(const Options& watcher)
{
    if (!compositorRow_)
        return;
    const std::vector<CompositorLine> lines = compositorLines(typedCommand(watcherCommand(cascade_, watcher)));
    if (lines.empty())
        return;
    const CompositorLine& found = lines.front();
    compositorLine_ = found.line;
    const std::string title = found.compositor + " reads no autostart entries: add this line to " + found.configPath;
    adw_preferences_row_set_title(ADW_PREFERENCES_ROW(compositorRow_), title.c_str());
    adw_action_row_set_subtitle(ADW_ACTION_ROW(compositorRow_), compositorLine_.c_str());
}

void DesktopRows::addX11Rows()
{
    adw_preferences_group_set_title(ADW_PREFERENCES_GROUP(group_), "XScreenSaver");
    if (facts_.xscreensaver.empty()) {
        GtkWidget* row = adw_action_row_new();
        adw_preferences_row_set_title(ADW_PREFERENCES_ROW(row), "XScreenSaver is not installed");
        adw_action_row_set_subtitle(ADW_ACTION_ROW(row), "On X11 it starts screen savers, Cascade among them: "
                                                         "install the package xscreensaver");
        adw_preferences_group_add(ADW_PREFERENCES_GROUP(group_), row);
        return;
    }
    const bool adder = !facts_.addToXscreensaver.empty();
    GtkWidget* add = addButtonRow(group_, "Put Cascade in XScreenSaver's list",
                               adder ? "~/.xscreensaver" : "cascade-add-to-xscreensaver is not installed", "Add");
    gtk_widget_set_sensitive(add, adder);
    g_signal_connect_swapped(add, "clicked", G_CALLBACK(+[](DesktopRows* self) { self->addToXscreensaver(); }), this);
    GtkWidget* open = addButtonRow(group_, "XScreenSaver's settings", "Choose Cascade and the times there", "Open");
    gtk_widget_set_sensitive(open, !facts_.xscreensaverSettings.empty());
    g_signal_connect_swapped(open, "clicked", G_CALLBACK(+[](DesktopRows* self) {
        runProgram({self->facts_.xscreensaverSettings}, [](bool, const std::string&) {});
    }), this);
}

void DesktopRows::addToXscreensaver()
{
    std::weak_ptr<bool> alive = alive_;
    runProgram({facts_.addToXscreensaver}, [this, alive](bool ok, const std::string& problem) {
        if (!alive.expired())
            showProblem_(ok ? "" : "Adding Cascade to XScreenSaver failed: " + problem);
    });
}
