// The settings window's rows for what the session's desktop needs beyond
// the login entry: the line for a compositor that reads no autostart
// entries (the same line cascade -autostart on prints), or, on X11,
// XScreenSaver, which is the host there; and on KDE Plasma, where its lock
// screen is given the scene.
#pragma once

#include "linux/common/options.h"
#include "linux/settings/session_facts.h"

#include <functional>
#include <memory>
#include <string>

typedef struct _GtkWidget GtkWidget;
class PlasmaLockRows;

class DesktopRows {
public:
    // showProblem(text) puts a failure on the window's problem line ("" clears it).
    DesktopRows(const SessionFacts& facts, std::string cascade, std::function<void(const std::string&)> showProblem);
    ~DesktopRows();
    DesktopRows(const DesktopRows&) = delete;
    DesktopRows& operator=(const DesktopRows&) = delete;

    // The rows' preferences group; null where the desktop needs nothing.
    GtkWidget* widget() const { return group_; }

    // The compositor's line for the watcher with these settings.
    void showWatcherLine(const Options& watcher);

private:
    void addCompositorRows();
    void addX11Rows();
    void addToXscreensaver();

    const SessionFacts& facts_;
    std::string cascade_;
    std::function<void(const std::string&)> showProblem_;
    GtkWidget* group_ = nullptr;
    GtkWidget* compositorRow_ = nullptr;
    std::string compositorLine_;
    std::unique_ptr<PlasmaLockRows> plasma_; // on KDE Plasma
    // Cleared when the rows go: a program that ends later finds nothing to
    // report to.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
