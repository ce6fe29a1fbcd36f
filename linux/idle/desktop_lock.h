// Whether the desktop's own lock or shield covers the session, as the desktop
// tells it over D-Bus: GNOME's org.gnome.ScreenSaver on the session bus, and
// logind's LockedHint for this session on the system bus, which GNOME and KDE
// Plasma set. A saver under either would run unseen and greet the user at
// unlock, so the watcher starts none while it is up and ends one when it
// comes. Whatever of the two the session lacks is simply not followed.
#pragma once

#include <string>

typedef struct _GDBusConnection GDBusConnection;
typedef struct _GVariant GVariant;

class DesktopLock {
public:
    // changed(data, locked) is called from the main loop each time the
    // answer to locked() changes.
    DesktopLock(void (*changed)(void* data, bool locked), void* data) : changed_(changed), data_(data) {}
    ~DesktopLock();
    DesktopLock(const DesktopLock&) = delete;
    DesktopLock& operator=(const DesktopLock&) = delete;

    // Asks each bus once, then follows what it says.
    void follow();
    bool locked() const { return shieldUp_ || sessionLocked_; }
    // What is followed, for the watcher's line on start: "" where nothing.
    std::string followed() const;

    // For the buses' callbacks.
    void shieldHandleActiveChanged(GVariant* parameters);
    void sessionHandlePropertiesChanged(GVariant* parameters);

private:
    void followShield();
    void followSession();
    void report(bool wasLocked);

    void (*changed_)(void*, bool);
    void* data_;
    GDBusConnection* sessionBus_ = nullptr;
    GDBusConnection* systemBus_ = nullptr;
    unsigned shieldSubscription_ = 0;
    unsigned sessionSubscription_ = 0;
    bool shieldUp_ = false;
    bool sessionLocked_ = false;
};
