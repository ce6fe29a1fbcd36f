// SettingsWindow and the login entry: the one cascade -autostart run that
// changes it, and the window following it, whoever changed it (this window,
// or cascade -autostart typed in a terminal).
#include "linux/settings/settings_window.h"

#include "linux/settings/cascade_program.h"

#include <adwaita.h>


namespace {

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

void SettingsWindow::followEntry()
{
    GFile* file = g_file_new_for_path(autostartEntryPath().c_str());
    monitor_ = g_file_monitor_file(file, G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr);
    g_object_unref(file);
    if (monitor_)
        g_signal_connect_swapped(monitor_, "changed", G_CALLBACK(+[](SettingsWindow* self) { self->entryChanged(); }),
                                 this);
    showEntry();
}

// While a change of the user's is on its way, the controls keep what the
// user chose; the entry is shown once it has been written.
void SettingsWindow::showEntry()
{
    entry_ = readAutostartEntry();
    if (!startSwitch_ || running_ || applyTimer_) {
        refreshStatus();
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
        showProblem("The login entry " + entry_.path + " was changed by hand and cannot be shown here: " +
                    entry_.problem + ". A change here replaces it only once you say so.");
    else if (entryProblemShown_)
        showProblem("");
    entryProblemShown_ = unreadable;
    updateCompositorLine();
    refreshStatus();
}

void SettingsWindow::runApply()
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
        showProblem(ok ? "" : std::string(on ? "Starting when idle failed: " : "Stopping failed: ") + problem);
        if (again_) {
            again_ = false;
            runApply();
            return;
        }
        showEntry();
    });
}
