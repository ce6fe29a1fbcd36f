// The watcher's rows: built, read into Options, set from the login entry,
// and their changes carried out by one cascade -autostart run at a time.
#include "linux/settings/watcher_controls.h"

#include "linux/settings/cascade_program.h"
#include "linux/settings/preference_rows.h"

#include <adwaita.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>

namespace {

constexpr double maxMinutes = maxIdleSeconds / secondsPerMinute;
// A spin button held down, or digits typed one by one, make one change once
// they rest this long, not a cascade run per step.
constexpr unsigned applyDelayMs = 700;

GtkWidget* spinRow(GtkWidget* group, const char* title, const char* subtitle, GtkWidget*& spin)
{
    spin = gtk_spin_button_new_with_range(1, maxMinutes, 1);
    return addControlRow(group, title, subtitle, spin);
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

// The command a user would type: the watcher's own options beside
// -autostart on, in the order -autostart on prints them.
std::vector<std::string> autostartArguments(const std::string& cascade, bool on, const Options& options)
{
    if (!on)
        return {cascade, "-autostart", "off"};
    std::vector<std::string> arguments = watcherCommand(cascade, options);
    arguments.insert(arguments.begin() + 1, {"-autostart", "on"});
    return arguments;
}

} // namespace

WatcherControls::WatcherControls(WindowHooks window, std::string cascade, bool logindAnswers)
    : window_(std::move(window)), cascade_(std::move(cascade))
{
    group_ = adw_preferences_group_new();
    adw_preferences_group_set_title(ADW_PREFERENCES_GROUP(group_), "Screen saver");
    buildWatcherRows();
    buildLockRows(logindAnswers);
}

WatcherControls::~WatcherControls()
{
    if (applyTimer_)
        g_source_remove(applyTimer_);
    if (monitor_) {
        g_signal_handlers_disconnect_by_data(monitor_, this);
        g_object_unref(monitor_);
    }
}

void WatcherControls::buildWatcherRows()
{
    startSwitch_ = gtk_switch_new();
    addControlRow(group_, "Start when idle", "From each login on, and now", startSwitch_);
    g_signal_connect_swapped(startSwitch_, "notify::active",
                             G_CALLBACK(+[](WatcherControls* self) { self->switchToggled(); }), this);

    spinRow(group_, "Idle time", "Minutes without input before the saver comes", idleSpin_);
    showIdleSeconds(defaultIdleSeconds);
}

void WatcherControls::buildLockRows(bool logindAnswers)
{
    lockRow_ = lockRow(group_);
    auto changed = G_CALLBACK(+[](WatcherControls* self) { self->valueChanged(); });
    g_signal_connect_swapped(idleSpin_, "value-changed", changed, this);
    g_signal_connect_swapped(lockRow_, "notify::selected", changed, this);
    // Where logind answers, loginctl lock-session locks; elsewhere only the
    // user can name the locker.
    // A plain entry in an action row, not libadwaita 1.2's entry row, whose
    // focus screen readers are not told of.
    lockCommand_ = gtk_entry_new();
    gtk_entry_set_placeholder_text(GTK_ENTRY(lockCommand_), "swaylock -f");
    lockCommandRow_ = addControlRow(group_, "Lock command", "Nothing on this system locks by itself; Enter sets it",
                                    lockCommand_);
    gtk_widget_set_visible(lockCommandRow_, !logindAnswers);
    g_signal_connect_swapped(lockCommand_, "activate", G_CALLBACK(+[](WatcherControls* self) { self->apply(); }),
                             this);
}

Options WatcherControls::chosenOptions() const
{
    Options options;
    options.idleSeconds = gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(idleSpin_)) * secondsPerMinute;
    const unsigned chosen = adw_combo_row_get_selected(ADW_COMBO_ROW(lockRow_));
    if (chosen < std::size(lockChoices))
        options.lockAfterSeconds = lockChoices[chosen] * secondsPerMinute;
    options.lockCommand = gtk_editable_get_text(GTK_EDITABLE(lockCommand_));
    return options;
}

long WatcherControls::idleSeconds() const
{
    return entry_.state == AutostartEntry::State::Readable ? entry_.options.idleSeconds : chosenOptions().idleSeconds;
}

void WatcherControls::followEntry()
{
    GFile* file = g_file_new_for_path(autostartEntryPath().c_str());
    monitor_ = g_file_monitor_file(file, G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr);
    g_object_unref(file);
    if (monitor_)
        g_signal_connect_swapped(monitor_, "changed", G_CALLBACK(+[](WatcherControls* self) { self->showEntry(); }),
                                 this);
    showEntry();
}

// While a change of the user's is on its way, the rows keep what the user
// chose; the entry is shown once it has been written.
void WatcherControls::showEntry()
{
    entry_ = readAutostartEntry();
    if (running_ || applyTimer_) {
        window_.entryRead();
        return;
    }
    showing_ = true;
    gtk_switch_set_active(GTK_SWITCH(startSwitch_), entry_.state != AutostartEntry::State::Absent);
    if (entry_.state == AutostartEntry::State::Readable) {
        showIdleSeconds(entry_.options.idleSeconds);
        showLockAfter(entry_.options.lockAfterSeconds);
        gtk_editable_set_text(GTK_EDITABLE(lockCommand_), entry_.options.lockCommand.c_str());
        if (!entry_.options.lockCommand.empty())
            gtk_widget_set_visible(lockCommandRow_, TRUE);
    }
    showing_ = false;
    const bool unreadable = entry_.state == AutostartEntry::State::Unreadable;
    if (unreadable)
        window_.showProblem("The login entry " + entry_.path + " was changed by hand and cannot be shown here: " +
                            entry_.problem + ". A change here replaces it only once you say so.");
    else if (entryProblemShown_)
        window_.showProblem("");
    entryProblemShown_ = unreadable;
    window_.choiceChanged();
    window_.entryRead();
}

// The whole minutes nearest an idle time (an entry written at a terminal may
// say any number of seconds).
void WatcherControls::showIdleSeconds(long seconds)
{
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(idleSpin_), std::round(static_cast<double>(seconds) / secondsPerMinute));
}

// The choice nearest the entry's lock delay (an entry written at a terminal
// may say any number of seconds).
void WatcherControls::showLockAfter(long seconds)
{
    unsigned nearest = 0;
    for (unsigned i = 0; i < std::size(lockChoices); ++i) {
        if (std::abs(lockChoices[i] * secondsPerMinute - seconds) <
            std::abs(lockChoices[nearest] * secondsPerMinute - seconds))
            nearest = i;
    }
    adw_combo_row_set_selected(ADW_COMBO_ROW(lockRow_), nearest);
}

void WatcherControls::switchToggled()
{
    if (!showing_)
        apply();
}

void WatcherControls::valueChanged()
{
    window_.choiceChanged();
    if (showing_ || !gtk_switch_get_active(GTK_SWITCH(startSwitch_)))
        return;
    if (applyTimer_)
        g_source_remove(applyTimer_);
    applyTimer_ = g_timeout_add(applyDelayMs, +[](gpointer self) -> gboolean {
        static_cast<WatcherControls*>(self)->applyDue();
        return G_SOURCE_REMOVE;
    }, this);
}

// The timer fires once: it is gone by the time apply() runs, so that the
// entry read after the change is shown.
void WatcherControls::applyDue()
{
    applyTimer_ = 0;
    apply();
}

// An entry edited by hand is the user's: replaced or removed only when they
// say so.
void WatcherControls::apply()
{
    if (entry_.state != AutostartEntry::State::Unreadable) {
        runApply();
        return;
    }
    AdwMessageDialog* dialog = ADW_MESSAGE_DIALOG(adw_message_dialog_new(
        window_.window, "Replace the login entry?", nullptr));
    adw_message_dialog_format_body(dialog, "%s was changed by hand and says more than these settings can show (%s).",
                                   entry_.path.c_str(), entry_.problem.c_str());
    // No mnemonics: libadwaita 1.2 hands the underscore on to screen readers.
    adw_message_dialog_add_responses(dialog, "keep", "Keep It", "replace", "Replace It", nullptr);
    adw_message_dialog_set_response_appearance(dialog, "replace", ADW_RESPONSE_DESTRUCTIVE);
    adw_message_dialog_set_default_response(dialog, "keep");
    adw_message_dialog_set_close_response(dialog, "keep");
    g_signal_connect_swapped(dialog, "response", G_CALLBACK(+[](WatcherControls* self, const char* response) {
        self->confirmReplace(std::strcmp(response, "replace") == 0);
    }), this);
    gtk_window_present(GTK_WINDOW(dialog));
}

void WatcherControls::confirmReplace(bool replace)
{
    if (replace)
        runApply();
    else
        showEntry();
}

void WatcherControls::runApply()
{
    if (running_) {
        again_ = true;
        return;
    }
    running_ = true;
    const bool on = gtk_switch_get_active(GTK_SWITCH(startSwitch_));
    std::weak_ptr<bool> alive = alive_;
    runProgram(autostartArguments(cascade_, on, chosenOptions()), [this, alive, on](bool ok, const std::string& problem) {
        if (alive.expired())
            return;
        running_ = false;
        entryProblemShown_ = false;
        window_.showProblem(ok ? "" : std::string(on ? "Starting when idle failed: " : "Stopping failed: ") + problem);
        if (again_) {
            again_ = false;
            runApply();
            return;
        }
        showEntry();
    });
}
