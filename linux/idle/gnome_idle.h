// GNOME's idle signal, which its compositor offers over the session bus
// rather than as a Wayland protocol: org.gnome.Mutter.IdleMonitor, through
// GDBus. Its watches honour GNOME's inhibitors, belong to the connection that
// made them and die with it. GNOME's blank delay is followed as it changes,
// since the saver must come before GNOME's own blanking.
#pragma once

#include "linux/idle/gnome_blank_delay.h"
#include "linux/idle/idle_source.h"

#include <memory>

typedef struct _GDBusConnection GDBusConnection;
typedef struct _GVariant GVariant;

class GnomeIdleSource : public IdleSource {
public:
    GnomeIdleSource() = default;
    ~GnomeIdleSource() override;
    GnomeIdleSource(const GnomeIdleSource&) = delete;
    GnomeIdleSource& operator=(const GnomeIdleSource&) = delete;

    // Connects to the session bus and asks whether the idle monitor is on
    // it. False with why set, as the end of a sentence, where it is not.
    bool offered(std::string& why);

    bool start(unsigned intervalMs, IdleEvents& events, std::string& error) override;
    bool changeInterval(unsigned intervalMs, std::string& error) override;
    void watchForActivity() override;
    std::string name() const override { return "GNOME's idle monitor"; }
    // GNOME's own idle delay, after which it blanks the screen; 0 where
    // GNOME's settings are not installed or it never blanks.
    unsigned desktopBlankSeconds() const override;

    // For the bus's callbacks.
    void monitorHandleWatchFired(GVariant* parameters);
    void busHandleClosed();
    void monitorHandleVanished();

private:
    bool addWatch(const char* method, GVariant* parameters, unsigned& id, std::string& error);

    GDBusConnection* bus_ = nullptr;
    std::unique_ptr<GnomeBlankDelay> blankDelay_; // once the monitor is offered
    IdleEvents* events_ = nullptr;
    unsigned idleWatch_ = 0;
    unsigned activeWatch_ = 0;
    unsigned watchSubscription_ = 0;
    unsigned nameWatch_ = 0;
    unsigned long closedHandler_ = 0;
};
