// The compositor's own idle signal: ext-idle-notify-v1 (sway 1.8+, KWin,
// Hyprland, river, labwc, niri, Wayfire) or, where that is missing, KDE's
// older idle protocol (sway 1.7, older KWin). Both honour the compositor's
// idle inhibitors. It follows the globals of the watcher's connection to the
// compositor, which the watcher keeps to notice the compositor going.
#pragma once

#include "linux/idle/idle_source.h"
#include "linux/wayland/wayland_display.h"

struct wl_seat;
struct ext_idle_notifier_v1;
struct ext_idle_notification_v1;
struct org_kde_kwin_idle;
struct org_kde_kwin_idle_timeout;

class WaylandIdleSource : public IdleSource, public WaylandGlobalFollower {
public:
    explicit WaylandIdleSource(const WaylandDisplay& display) : display_(display) {}
    ~WaylandIdleSource() override;
    WaylandIdleSource(const WaylandIdleSource&) = delete;
    WaylandIdleSource& operator=(const WaylandIdleSource&) = delete;

    // Whether the compositor offered an idle protocol and a seat.
    bool offered() const { return seat_ && (notifier_ || kdeIdle_); }

    bool start(unsigned intervalMs, IdleEvents& events, std::string& error) override;
    bool changeInterval(unsigned intervalMs, std::string& error) override;
    // Both protocols tell of activity after each idle spell anyway.
    void watchForActivity() override {}
    std::string name() const override;

    bool globalAdded(wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version) override;
    void globalRemoved(std::uint32_t name) override;

    // For the notifications' listeners.
    void notificationIdled() { events_->userIdle(); }
    void notificationResumed() { events_->userActive(); }

private:
    const WaylandDisplay& display_;
    wl_seat* seat_ = nullptr;
    ext_idle_notifier_v1* notifier_ = nullptr;
    org_kde_kwin_idle* kdeIdle_ = nullptr;
    ext_idle_notification_v1* notification_ = nullptr;
    org_kde_kwin_idle_timeout* kdeTimeout_ = nullptr;
    IdleEvents* events_ = nullptr;
};
