// The settings window: the live preview, the watcher's settings (start when
// idle, idle time, lock), the full-screen preview, one status line and what
// the session's desktop needs besides. Every change goes through the cascade
// program (-autostart on|off), as a user at a terminal would make it; the
// window shows the login entry as it is and follows it when it changes.
// The methods are spread over settings_window.cpp (layout, status),
// watcher_controls.cpp (the watcher's settings) and desktop_rows.cpp.
#pragma once

#include "linux/idle/autostart.h"
#include "linux/settings/preview_widget.h"
#include "linux/settings/session_facts.h"

#include <memory>
#include <string>

typedef struct _GtkApplication GtkApplication;
typedef struct _GtkWidget GtkWidget;
typedef struct _GFileMonitor GFileMonitor;

class SettingsWindow {
public:
    explicit SettingsWindow(GtkApplication* application);
    ~SettingsWindow();
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    GtkWidget* window() const { return window_; }

    // For the toolkit's callbacks.
    void entryChanged() { showEntry(); }
    void switchToggled();
    void valueChanged();
    bool applyDue();
    void confirmReplace(bool replace);
    void runPreview();
    void copyLine();
    void refreshStatus();

private:
    GtkWidget* buildControls();
    GtkWidget* buildWatcherGroup();
    GtkWidget* buildLockRows(GtkWidget* group);
    GtkWidget* buildStatusGroup();
    GtkWidget* buildDesktopGroup();
    void addCompositorRows(GtkWidget* group);
    void addX11Rows(GtkWidget* group);
    void followEntry();
    void showEntry();
    void showProblem(const std::string& problem);
    void apply();
    void runApply();
    Options chosenOptions() const;
    void updateCompositorLine();
    void showIdleSeconds(long seconds);
    void showLockAfter(long seconds);

    GtkWidget* window_ = nullptr;
    std::unique_ptr<PreviewWidget> preview_;
    SessionFacts facts_;
    std::string cascade_;
    AutostartEntry entry_;
    GFileMonitor* monitor_ = nullptr;

    GtkWidget* startSwitch_ = nullptr;
    GtkWidget* idleSpin_ = nullptr;
    GtkWidget* lockRow_ = nullptr;
    GtkWidget* lockCommandRow_ = nullptr;
    GtkWidget* lockCommand_ = nullptr;
    GtkWidget* statusRow_ = nullptr;
    GtkWidget* problemLabel_ = nullptr;
    GtkWidget* compositorRow_ = nullptr;
    std::string compositorLine_;

    bool showing_ = false;  // controls being set from the entry, not by the user
    bool running_ = false;  // a cascade -autostart is under way
    bool again_ = false;    // another change came while it ran
    bool entryProblemShown_ = false; // the problem line tells of an unreadable entry
    unsigned applyTimer_ = 0;
    unsigned statusTimer_ = 0;
    // Cleared when the window goes: a cascade run that ends later finds
    // nothing to report to.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
