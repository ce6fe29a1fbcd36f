// SettingsWindow's rows for what the session's desktop needs beyond the
// login entry: the line for a compositor that reads no autostart entries
// (the same line cascade -autostart on prints), or, on X11, XScreenSaver,
// which is the host there.
#include "linux/settings/settings_window.h"

#include "linux/settings/cascade_program.h"

#include <adwaita.h>

namespace {

GtkWidget* buttonRow(GtkWidget* group, const char* title, const char* subtitle, const char* label)
{
    GtkWidget* row = adw_action_row_new();
    adw_preferences_row_set_title(ADW_PREFERENCES_ROW(row), title);
    if (subtitle)
        adw_action_row_set_subtitle(ADW_ACTION_ROW(row), subtitle);
    GtkWidget* button = gtk_button_new_with_label(label);
    gtk_widget_set_valign(button, GTK_ALIGN_CENTER);
    adw_action_row_add_suffix(ADW_ACTION_ROW(row), button);
    // The row's title names the button for screen readers.
    adw_action_row_set_activatable_widget(ADW_ACTION_ROW(row), button);
    adw_preferences_group_add(ADW_PREFERENCES_GROUP(group), row);
    return button;
}

} // namespace

GtkWidget* SettingsWindow::buildDesktopGroup()
{
    GtkWidget* group = adw_preferences_group_new();
    if (!facts_.wayland) {
        addX11Rows(group);
        return group;
    }
    if (compositorLines({}).empty()) {
        g_object_ref_sink(group);
        g_object_unref(group);
        return nullptr;
    }
    addCompositorRows(group);
    return group;
}

void SettingsWindow::addCompositorRows(GtkWidget* group)
{
    adw_preferences_group_set_title(ADW_PREFERENCES_GROUP(group), "Your compositor");
    GtkWidget* copy = buttonRow(group, "", nullptr, "Copy");
    compositorRow_ = gtk_widget_get_ancestor(copy, ADW_TYPE_ACTION_ROW);
    gtk_widget_set_tooltip_text(copy, "Copy the line for the compositor's configuration");
    g_signal_connect_swapped(copy, "clicked", G_CALLBACK(+[](SettingsWindow* self) { self->copyLine(); }), this);
    updateCompositorLine();
}

void SettingsWindow::updateCompositorLine()
{
    if (!compositorRow_)
        return;
    const std::vector<CompositorLine> lines = compositorLines(typedCommand(watcherCommand(cascade_, chosenOptions())));
    if (lines.empty())
        return;
    const CompositorLine& found = lines.front();
    compositorLine_ = found.line;
    const std::string title = found.compositor + " reads no autostart entries: add this line to " + found.configPath;
    adw_preferences_row_set_title(ADW_PREFERENCES_ROW(compositorRow_), title.c_str());
    adw_action_row_set_subtitle(ADW_ACTION_ROW(compositorRow_), compositorLine_.c_str());
}

void SettingsWindow::copyLine()
{
    gdk_clipboard_set_text(gtk_widget_get_clipboard(window_), compositorLine_.c_str());
}

void SettingsWindow::addX11Rows(GtkWidget* group)
{
    adw_preferences_group_set_title(ADW_PREFERENCES_GROUP(group), "XScreenSaver");
    if (facts_.xscreensaver.empty()) {
        GtkWidget* row = adw_action_row_new();
        adw_preferences_row_set_title(ADW_PREFERENCES_ROW(row), "XScreenSaver is not installed");
        adw_action_row_set_subtitle(ADW_ACTION_ROW(row), "On X11 it starts screen savers, Cascade among them: "
                                                         "install the package xscreensaver");
        adw_preferences_group_add(ADW_PREFERENCES_GROUP(group), row);
        return;
    }
    const bool adder = !facts_.addToXscreensaver.empty();
    GtkWidget* add = buttonRow(group, "Put Cascade in XScreenSaver's list",
                               adder ? "~/.xscreensaver" : "cascade-add-to-xscreensaver is not installed", "Add");
    gtk_widget_set_sensitive(add, adder);
    g_signal_connect_swapped(add, "clicked", G_CALLBACK(+[](SettingsWindow* self) {
        std::weak_ptr<bool> alive = self->alive_;
        runProgram({self->facts_.addToXscreensaver}, [self, alive](bool ok, const std::string& problem) {
            if (!alive.expired())
                self->showProblem(ok ? "" : "Adding Cascade to XScreenSaver failed: " + problem);
        });
    }), this);
    GtkWidget* open = buttonRow(group, "XScreenSaver's settings", "Choose Cascade and the times there", "Open");
    gtk_widget_set_sensitive(open, !facts_.xscreensaverSettings.empty());
    g_signal_connect_swapped(open, "clicked", G_CALLBACK(+[](SettingsWindow* self) {
        runProgram({self->facts_.xscreensaverSettings}, [](bool, const std::string&) {});
    }), this);
}
