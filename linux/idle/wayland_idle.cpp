#include "linux/idle/wayland_idle.h"

#include "ext-idle-notify-v1-client-protocol.h"
#include "kde-idle-client-protocol.h"

#include <wayland-client.h>

#include <cstring>

namespace {

void notificationHandleIdled(void* data, ext_idle_notification_v1*)
{
    static_cast<WaylandIdleSource*>(data)->notificationIdled();
}

void notificationHandleResumed(void* data, ext_idle_notification_v1*)
{
    static_cast<WaylandIdleSource*>(data)->notificationResumed();
}

const ext_idle_notification_v1_listener notificationListener = {notificationHandleIdled,
                                                                notificationHandleResumed};

void kdeTimeoutHandleIdle(void* data, org_kde_kwin_idle_timeout*)
{
    static_cast<WaylandIdleSource*>(data)->notificationIdled();
}

void kdeTimeoutHandleResumed(void* data, org_kde_kwin_idle_timeout*)
{
    static_cast<WaylandIdleSource*>(data)->notificationResumed();
}

const org_kde_kwin_idle_timeout_listener kdeTimeoutListener = {kdeTimeoutHandleIdle, kdeTimeoutHandleResumed};

} // namespace

WaylandIdleSource::~WaylandIdleSource()
{
    if (notification_)
        ext_idle_notification_v1_destroy(notification_);
    if (kdeTimeout_)
        org_kde_kwin_idle_timeout_release(kdeTimeout_);
    if (notifier_)
        ext_idle_notifier_v1_destroy(notifier_);
    if (kdeIdle_)
        org_kde_kwin_idle_destroy(kdeIdle_);
    if (seat_)
        wl_seat_destroy(seat_);
}

bool WaylandIdleSource::globalAdded(wl_registry* registry, std::uint32_t name, const char* interface,
                                    std::uint32_t)
{
    // Version 1 of each is all the watcher uses. Idle is the whole session's
    // on the compositors we know, so the first seat speaks for it.
    if (std::strcmp(interface, wl_seat_interface.name) == 0) {
        if (!seat_) {
            seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        }
        return true;
    }
    if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0 && !notifier_) {
        notifier_ = static_cast<ext_idle_notifier_v1*>(
            wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
        return true;
    }
    if (std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0 && !kdeIdle_) {
        kdeIdle_ = static_cast<org_kde_kwin_idle*>(wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
        return true;
    }
    return false;
}

void WaylandIdleSource::globalRemoved(std::uint32_t name)
{
    // A notification keeps its seat's object; a seat gone for good (never on
    // the compositors we know) would leave the watcher waiting, not wrong.
    (void)name;
}

bool WaylandIdleSource::start(unsigned intervalMs, IdleEvents& events, std::string& error)
{
    events_ = &events;
    return changeInterval(intervalMs, error);
}

bool WaylandIdleSource::changeInterval(unsigned intervalMs, std::string& error)
{
    // A notification's timeout is fixed when it is made: the old one goes.
    if (notifier_) {
        if (notification_)
            ext_idle_notification_v1_destroy(notification_);
        notification_ = ext_idle_notifier_v1_get_idle_notification(notifier_, intervalMs, seat_);
        ext_idle_notification_v1_add_listener(notification_, &notificationListener, this);
    } else if (kdeIdle_) {
        if (kdeTimeout_)
            org_kde_kwin_idle_timeout_release(kdeTimeout_);
        kdeTimeout_ = org_kde_kwin_idle_get_idle_timeout(kdeIdle_, seat_, intervalMs);
        org_kde_kwin_idle_timeout_add_listener(kdeTimeout_, &kdeTimeoutListener, this);
    } else {
        error = "the Wayland compositor offers no idle protocol";
        return false;
    }
    if (wl_display_flush(display_.display()) < 0) {
        error = "lost the connection to the Wayland compositor; stopping";
        return false;
    }
    return true;
}

std::string WaylandIdleSource::name() const
{
    return notifier_ ? "the compositor's ext-idle-notify-v1" : "the compositor's KDE idle protocol";
}
