// SettingsWindow's watcher settings: the rows for start when idle, the idle
// time and the lock, read from the login entry and changed by running
// cascade -autostart, never by writing the entry here.
#include "linux/settings/settings_window.h"

#include "linux/settings/cascade_program.h"

#include <adwaita.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <string>

namespace {

constexpr double secondsPerMinute = 60;
constexpr double maxMinutes = maxIdleSeconds / secondsPerMinute;
// A spin button held down, or digits typed one by one, make one change once
// they rest this long, not a cascade run per step.
constexpr unsigned applyDelayMs = 700;

GtkWidget* spinRow(GtkWidget* group, const char* title, const char* subtitle, GtkWidget*& spin)
{
    GtkWidget* row = adw_action_row_new();
    adw_preferences_row_set_title(ADW_PREFERENCES_ROW(row), title);
    adw_action_row_set_subtitle(ADW_ACTION_ROW(row), subtitle);
    spin = gtk_spin_button_new_with_range(1, maxMinutes, 1);
    gtk_widget_set_valign(spin, GTK_ALIGN_CENTER);
    adw_action_row_add_suffix(ADW_ACTION_ROW(row), spin);
    adw_action_row_set_activatable_widget(ADW_ACTION_ROW(row), spin);
    adw_preferences_group_add(ADW_PREFERENCES_GROUP(group), row);
    return row;
}

// The lock's choices, in minutes; 0 is never.
constexpr int lockChoices[] = {0, 1, 2, 5, 10, 15, 30, 60};

GtkWidget* lockRow(GtkWidget* group)
{
    GtkStringList* names = gtk_string_list_new(nullptr);
    for (int minutes : lockChoices)
        gtk_string_list_append(names, minutes == 0 ? "Never" : (std::to_string(minutes) + " min").c_str());
    GtkWidget* row = adw_combo_row_new();
    adw_preferences_row_set_title(ADW_PREFERENCES_ROW(row), "Lock the screen after the saver has run");
    adw_combo_row_set_model(ADW_COMBO_ROW(row), G_LIST_MODEL(names));
    g_object_unref(names);
    adw_preferences_group_add(ADW_PREFERENCES_GROUP(group), row);
    return row;
}

} // namespace

GtkWidget* SettingsWindow::buildWatcherGroup()
{
    GtkWidget* group = adw_preferences_group_new();
    adw_preferences_group_set_title(ADW_PREFERENCES_GROUP(group), "Screen saver");
    GtkWidget* row = adw_action_row_new();
    adw_preferences_row_set_title(ADW_PREFERENCES_ROW(row), "Start when idle");
    adw_action_row_set_subtitle(ADW_ACTION_ROW(row), "From each login on, and now");
    startSwitch_ = gtk_switch_new();
    gtk_widget_set_valign(startSwitch_, GTK_ALIGN_CENTER);
    adw_action_row_add_suffix(ADW_ACTION_ROW(row), startSwitch_);
    adw_action_row_set_activatable_widget(ADW_ACTION_ROW(row), startSwitch_);
    adw_preferences_group_add(ADW_PREFERENCES_GROUP(group), row);
    g_signal_connect_swapped(startSwitch_, "notify::active",
                             G_CALLBACK(+[](SettingsWindow* self) { self->switchToggled(); }), this);

    spinRow(group, "Idle time", "Minutes without input before the saver comes", idleSpin_);
    showIdleSeconds(defaultIdleSeconds);
    return buildLockRows(group);
}

GtkWidget* SettingsWindow::buildLockRows(GtkWidget* group)
{
    lockRow_ = lockRow(group);
    auto changed = G_CALLBACK(+[](SettingsWindow* self) { self->valueChanged(); });
    g_signal_connect_swapped(idleSpin_, "value-changed", changed, this);
    g_signal_connect_swapped(lockRow_, "notify::selected", changed, this);
    // Where logind answers, loginctl lock-session locks; elsewhere only the
    // user can name the locker.
    // A plain entry in an action row, not libadwaita 1.2's entry row, whose
    // focus screen readers are not told of.
    lockCommandRow_ = adw_action_row_new();
    adw_preferences_row_set_title(ADW_PREFERENCES_ROW(lockCommandRow_), "Lock command");
    adw_action_row_set_subtitle(ADW_ACTION_ROW(lockCommandRow_), "Nothing on this system locks by itself; Enter sets it");
    lockCommand_ = gtk_entry_new();
    gtk_entry_set_placeholder_text(GTK_ENTRY(lockCommand_), "swaylock -f");
    gtk_widget_set_valign(lockCommand_, GTK_ALIGN_CENTER);
    adw_action_row_add_suffix(ADW_ACTION_ROW(lockCommandRow_), lockCommand_);
    adw_action_row_set_activatable_widget(ADW_ACTION_ROW(lockCommandRow_), lockCommand_);
    gtk_widget_set_visible(lockCommandRow_, !facts_.logindAnswers);
    g_signal_connect_swapped(lockCommand_, "activate", G_CALLBACK(+[](SettingsWindow* self) { self->apply(); }),
                             this);
    adw_preferences_group_add(ADW_PREFERENCES_GROUP(group), lockCommandRow_);
    return group;
}

Options SettingsWindow::chosenOptions() const
{
    Options options;
    options.idleSeconds = defaultIdleSeconds;
    if (!idleSpin_)
        return options;
    options.idleSeconds = static_cast<long>(gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(idleSpin_)) * secondsPerMinute);
    const unsigned chosen = adw_combo_row_get_selected(ADW_COMBO_ROW(lockRow_));
    if (chosen < std::size(lockChoices))
        options.lockAfterSeconds = static_cast<long>(lockChoices[chosen] * secondsPerMinute);
    options.lockCommand = gtk_editable_get_text(GTK_EDITABLE(lockCommand_));
    return options;
}

void SettingsWindow::switchToggled()
{
    if (!showing_)
        apply();
}

void SettingsWindow::valueChanged()
{
    updateCompositorLine();
    if (showing_ || !gtk_switch_get_active(GTK_SWITCH(startSwitch_)))
        return;
    if (applyTimer_)
        g_source_remove(applyTimer_);
    applyTimer_ = g_timeout_add(applyDelayMs, +[](gpointer self) -> gboolean {
        return static_cast<SettingsWindow*>(self)->applyDue() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
    }, this);
}

bool SettingsWindow::applyDue()
{
    applyTimer_ = 0;
    apply();
    return false;
}

// An entry edited by hand is the user's: replaced or removed only when they
// say so.
void SettingsWindow::apply()
{
    if (entry_.state != AutostartEntry::State::Unreadable) {
        runApply();
        return;
    }
    AdwMessageDialog* dialog = ADW_MESSAGE_DIALOG(adw_message_dialog_new(
        GTK_WINDOW(window_), "Replace the login entry?", nullptr));
    adw_message_dialog_format_body(dialog, "%s was changed by hand and says more than these settings can show (%s).",
                                   entry_.path.c_str(), entry_.problem.c_str());
    // No mnemonics: libadwaita 1.2 hands the underscore on to screen readers.
    adw_message_dialog_add_responses(dialog, "keep", "Keep It", "replace", "Replace It", nullptr);
    adw_message_dialog_set_response_appearance(dialog, "replace", ADW_RESPONSE_DESTRUCTIVE);
    adw_message_dialog_set_default_response(dialog, "keep");
    adw_message_dialog_set_close_response(dialog, "keep");
    g_signal_connect_swapped(dialog, "response", G_CALLBACK(+[](SettingsWindow* self, const char* response) {
        self->confirmReplace(std::strcmp(response, "replace") == 0);
    }), this);
    gtk_window_present(GTK_WINDOW(dialog));
}

void SettingsWindow::confirmReplace(bool replace)
{
    if (replace)
        runApply();
    else
        showEntry();
}

// The whole minutes nearest an idle time (an entry written at a terminal may
// say any number of seconds).
void SettingsWindow::showIdleSeconds(long seconds)
{
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(idleSpin_), std::round(seconds / secondsPerMinute));
}

// The choice nearest the entry's lock delay (an entry written at a terminal
// may say any number of seconds).
void SettingsWindow::showLockAfter(long seconds)
{
    unsigned nearest = 0;
    for (unsigned i = 0; i < std::size(lockChoices); ++i) {
        if (std::abs(lockChoices[i] * secondsPerMinute - seconds) <
            std::abs(lockChoices[nearest] * secondsPerMinute - seconds))
            nearest = i;
    }
    adw_combo_row_set_selected(ADW_COMBO_ROW(lockRow_), nearest);
}
