// The settings window: the live preview (PreviewWidget), the watcher's
// settings (WatcherControls, on Wayland), one status line, the full-screen
// preview, one problem line, and what the session's desktop needs besides
// (DesktopRows). Every change of ours goes through the cascade program
// (-autostart on|off), as a user at a terminal would make it; KDE's own
// setting of its lock screen's wallpaper the desktop rows write themselves.
#pragma once

#include "linux/settings/desktop_rows.h"
#include "linux/settings/preview_widget.h"
#include "linux/settings/session_facts.h"
#include "linux/settings/watcher_controls.h"

#include <memory>
#include <string>

typedef struct _GtkApplication GtkApplication;
typedef struct _GtkWidget GtkWidget;

class SettingsWindow {
public:
    explicit SettingsWindow(GtkApplication* application);
    ~SettingsWindow();
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    GtkWidget* window() const { return window_; }

private:
    GtkWidget* buildControls();
    GtkWidget* buildProblemGroup();
    GtkWidget* buildStatusGroup();
    void refreshStatus();
    void showProblem(const std::string& problem);
    void runPreview();

    SessionFacts facts_;
    std::string cascade_;
    GtkWidget* window_ = nullptr;
    std::unique_ptr<PreviewWidget> preview_;
    std::unique_ptr<WatcherControls> watcher_; // on Wayland, where the watcher runs
    std::unique_ptr<DesktopRows> desktop_;
    GtkWidget* statusRow_ = nullptr;
    GtkWidget* problemLabel_ = nullptr;
    unsigned statusTimer_ = 0;
    // Cleared when the window goes: a cascade run that ends later finds
    // nothing to report to.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
