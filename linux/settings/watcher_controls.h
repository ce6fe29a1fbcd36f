// The watcher's rows in the settings window: start when idle, the idle time
// and the lock, and the login entry they show. They show the entry as it
// is, whoever changed it (this window, or cascade -autostart typed in a
// terminal), and change it only by running cascade -autostart, never by
// writing it here.
#pragma once

#include "linux/idle/autostart.h"

#include <functional>
#include <memory>
#include <string>

typedef struct _GtkWidget GtkWidget;
typedef struct _GtkWindow GtkWindow;
typedef struct _GFileMonitor GFileMonitor;

class WatcherControls {
public:
    // What the window around the rows does for them.
    struct WindowHooks {
        GtkWindow* window;  // the parent of the question before an entry edited by hand is replaced
        std::function<void(const std::string&)> showProblem; // "" clears it
        std::function<void()> choiceChanged; // chosenOptions() may say something else now
        std::function<void()> entryRead;     // the entry was read again
    };

    // cascade: the program's path, that runs -autostart; logindAnswers:
    // whether loginctl locks, else the lock command's row shows.
    WatcherControls(WindowHooks window, std::string cascade, bool logindAnswers);
    ~WatcherControls();
    WatcherControls(const WatcherControls&) = delete;
    WatcherControls& operator=(const WatcherControls&) = delete;

    // The rows' preferences group.
    GtkWidget* widget() const { return group_; }

    // From now on the rows show the login entry, as it is now and whenever
    // it changes.
    void followEntry();
    // The watcher's settings as the rows hold them.
    Options chosenOptions() const;
    // The idle time the watcher has: the entry's, or the rows' where the
    // entry says none.
    long idleSeconds() const;

private:
    void buildWatcherRows();
    void buildLockRows(bool logindAnswers);
    void showEntry();
    void showIdleSeconds(long seconds);
    void showLockAfter(long seconds);
    void switchToggled();
    void valueChanged();
    void applyDue();
    void apply();
    void confirmReplace(bool replace);
    void runApply();

    WindowHooks window_;
    std::string cascade_;
    GtkWidget* group_ = nullptr;
    GtkWidget* startSwitch_ = nullptr;
    GtkWidget* idleSpin_ = nullptr;
    GtkWidget* lockRow_ = nullptr;
    GtkWidget* lockCommandRow_ = nullptr;
    GtkWidget* lockCommand_ = nullptr;

    AutostartEntry entry_;
    GFileMonitor* monitor_ = nullptr;
    bool showing_ = false;  // rows being set from the entry, not by the user
    bool running_ = false;  // a cascade -autostart is under way
    bool again_ = false;    // another change came while it ran
    bool entryProblemShown_ = false; // the problem line tells of an unreadable entry
    unsigned applyTimer_ = 0;
    // Cleared when the rows go: a cascade run that ends later finds
    // nothing to report to.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
