// KDE Plasma's rows in the desktop group: where the lock screen's wallpaper
// is chosen, with a button that opens System Settings' Screen Locking page,
// and a switch that chooses ours in kscreenlockerrc itself.
#pragma once

#include "linux/settings/session_facts.h"

#include <functional>
#include <memory>
#include <string>

typedef struct _GtkWidget GtkWidget;

class PlasmaLockRows {
public:
    // Adds the rows to group; showProblem as DesktopRows's.
    PlasmaLockRows(GtkWidget* group, const SessionFacts& facts, std::function<void(const std::string&)> showProblem);
    PlasmaLockRows(const PlasmaLockRows&) = delete;
    PlasmaLockRows& operator=(const PlasmaLockRows&) = delete;

private:
    void addSwitchRow(GtkWidget* group);
    void openScreenLocking();
    void switchToggled();
    void showFile();
    void showFileSoon();

    const SessionFacts& facts_;
    std::function<void(const std::string&)> showProblem_;
    std::string path_;
    GtkWidget* switch_ = nullptr;
    bool showing_ = false; // the switch set from the file, not by the user
    // Cleared when the rows go: System Settings closed later finds nothing to
    // update.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
