// What the idle watcher is told by the desktop, whichever way the desktop
// tells it: the user has been idle for the interval asked for, the user is
// active again, the desktop's own blanking has moved. Each source asks through
// the desktop's own interface, so that the desktop's inhibitors (a playing
// video, a presentation) hold the saver back as they hold back its own
// blanking.
#pragma once

#include <string>

class IdleEvents {
public:
    virtual ~IdleEvents() = default;
    virtual void userIdle() = 0;
    virtual void userActive() = 0;
    // The desktop's own blank delay changed (desktopBlankSeconds): the
    // interval may have to change with it.
    virtual void desktopBlankChanged() = 0;
    // The source can no longer tell anything: message is one line.
    virtual void sourceLost(const std::string& message) = 0;
};

class IdleSource {
public:
    virtual ~IdleSource() = default;
    // Asks to be told once the user has been idle intervalMs, and again
    // after each time they were active. False with error set.
    virtual bool start(unsigned intervalMs, IdleEvents& events, std::string& error) = 0;
    // From then on, tells of idle after intervalMs instead. False with error
    // set.
    virtual bool changeInterval(unsigned intervalMs, std::string& error) = 0;
    // Asks to be told of the user's next activity (userActive), where the
    // source does not tell it anyway.
    virtual void watchForActivity() = 0;
    // What the source is, for the watcher's one line on start.
    virtual std::string name() const = 0;
    // After how many seconds of idle the desktop blanks the screen by
    // itself; 0 where the source does not know.
    virtual unsigned desktopBlankSeconds() const { return 0; }
};
