#include "linux/idle/gnome_idle.h"

#include "linux/idle/bus_calls.h"

#include <gio/gio.h>

namespace {

constexpr const char* monitorName = "org.gnome.Mutter.IdleMonitor";
constexpr const char* monitorPath = "/org/gnome/Mutter/IdleMonitor/Core";

void monitorWatchFired(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                       gpointer data)
{
    static_cast<GnomeIdleSource*>(data)->monitorHandleWatchFired(parameters);
}

void busClosed(GDBusConnection*, gboolean, GError*, gpointer data)
{
    static_cast<GnomeIdleSource*>(data)->busHandleClosed();
}

void monitorVanished(GDBusConnection*, const gchar*, gpointer data)
{
    static_cast<GnomeIdleSource*>(data)->monitorHandleVanished();
}

} // namespace

GnomeIdleSource::~GnomeIdleSource()
{
    if (!bus_)
        return;
    if (nameWatch_)
        g_bus_unwatch_name(nameWatch_);
    if (watchSubscription_)
        g_dbus_connection_signal_unsubscribe(bus_, watchSubscription_);
    if (closedHandler_)
        g_signal_handler_disconnect(bus_, closedHandler_);
    // The watches die with the connection.
    g_object_unref(bus_);
}

bool GnomeIdleSource::offered(std::string& why)
{
    bus_ = openBus(true, why);
    if (!bus_) {
        why = "no session bus (" + why + ")";
        return false;
    }
    if (!nameOwned(bus_, monitorName)) {
        why = std::string("nothing on the session bus offers ") + monitorName;
        return false;
    }
    blankDelay_ = std::make_unique<GnomeBlankDelay>();
    return true;
}

unsigned GnomeIdleSource::desktopBlankSeconds() const
{
    return blankDelay_ ? blankDelay_->seconds() : 0;
}

bool GnomeIdleSource::addWatch(const char* method, GVariant* parameters, unsigned& id, std::string& error)
{
    std::string why;
    GVariant* reply = callMethod(bus_, monitorName, monitorPath, monitorName, method, parameters,
                                 G_VARIANT_TYPE("(u)"), why);
    if (!reply) {
        error = std::string("GNOME's idle monitor refused ") + method + " (" + why + ")";
        return false;
    }
    guint32 watch = 0;
    g_variant_get(reply, "(u)", &watch);
    g_variant_unref(reply);
    id = watch;
    return true;
}

bool GnomeIdleSource::start(unsigned intervalMs, IdleEvents& events, std::string& error)
{
    events_ = &events;
    // Subscribed before the watch is added, so that no firing falls between.
    watchSubscription_ = g_dbus_connection_signal_subscribe(bus_, monitorName, monitorName, "WatchFired",
                                                            monitorPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                                            monitorWatchFired, this, nullptr);
    closedHandler_ = g_signal_connect(bus_, "closed", G_CALLBACK(busClosed), this);
    nameWatch_ = g_bus_watch_name_on_connection(bus_, monitorName, G_BUS_NAME_WATCHER_FLAGS_NONE, nullptr,
                                                monitorVanished, this, nullptr);
    blankDelay_->follow([](void* self) { static_cast<GnomeIdleSource*>(self)->events_->desktopBlankChanged(); }, this);
    // An idle watch fires at each idle spell that reaches the interval.
    return addWatch("AddIdleWatch", g_variant_new("(t)", static_cast<guint64>(intervalMs)), idleWatch_, error);
}

bool GnomeIdleSource::changeInterval(unsigned intervalMs, std::string& error)
{
    // Added before the old one goes, so that a refusal leaves the old one
    // watching; an old one that cannot be removed dies with the connection.
    unsigned watch = 0;
    if (!addWatch("AddIdleWatch", g_variant_new("(t)", static_cast<guint64>(intervalMs)), watch, error))
        return false;
    g_dbus_connection_call(bus_, monitorName, monitorPath, monitorName, "RemoveWatch",
                           g_variant_new("(u)", static_cast<guint32>(idleWatch_)), nullptr,
                           G_DBUS_CALL_FLAGS_NONE, busCallTimeoutMs, nullptr, nullptr, nullptr);
    idleWatch_ = watch;
    return true;
}

void GnomeIdleSource::watchForActivity()
{
    // An activity watch fires once: one is added for each time it is wanted.
    std::string error;
    if (activeWatch_ == 0 && !addWatch("AddUserActiveWatch", nullptr, activeWatch_, error))
        events_->sourceLost(error);
}

void GnomeIdleSource::monitorHandleWatchFired(GVariant* parameters)
{
    guint32 id = 0;
    g_variant_get(parameters, "(u)", &id);
    if (id != 0 && id == idleWatch_) {
        events_->userIdle();
    } else if (id != 0 && id == activeWatch_) {
        activeWatch_ = 0;
        events_->userActive();
    }
}

void GnomeIdleSource::busHandleClosed() { events_->sourceLost("lost the session bus; stopping"); }

void GnomeIdleSource::monitorHandleVanished()
{
    events_->sourceLost("GNOME's idle monitor left the session bus; stopping");
}
