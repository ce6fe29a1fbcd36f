#include "linux/idle/gnome_idle.h"

#include <gio/gio.h>

namespace {

constexpr const char* monitorName = "org.gnome.Mutter.IdleMonitor";
constexpr const char* monitorPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* shieldName = "org.gnome.ScreenSaver";
constexpr const char* sessionSchema = "org.gnome.desktop.session";
// How long a call on the bus may take before the desktop counts as not
// answering: the watcher is starting, a user is waiting for its line.
constexpr int busCallTimeoutMs = 5000;

std::string takeMessage(GError* error)
{
    std::string message = error ? error->message : "no reason given";
    if (error)
        g_error_free(error);
    return message;
}

void monitorWatchFired(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                       gpointer data)
{
    static_cast<GnomeIdleSource*>(data)->monitorHandleWatchFired(parameters);
}

void shieldActiveChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                         GVariant* parameters, gpointer data)
{
    static_cast<GnomeIdleSource*>(data)->shieldHandleActiveChanged(parameters);
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
    if (shieldSubscription_)
        g_dbus_connection_signal_unsubscribe(bus_, shieldSubscription_);
    if (closedHandler_)
        g_signal_handler_disconnect(bus_, closedHandler_);
    // The watches die with the connection.
    g_object_unref(bus_);
}

bool GnomeIdleSource::offered(std::string& why)
{
    GError* error = nullptr;
    bus_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus_) {
        why = "no session bus (" + takeMessage(error) + ")";
        return false;
    }
    // GDBus would end the whole program, unannounced, when the bus goes.
    g_dbus_connection_set_exit_on_close(bus_, FALSE);
    GVariant* reply = g_dbus_connection_call_sync(
        bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
        g_variant_new("(s)", monitorName), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, busCallTimeoutMs, nullptr,
        &error);
    if (!reply) {
        why = "the session bus does not answer (" + takeMessage(error) + ")";
        return false;
    }
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    if (!owned)
        why = std::string("nothing on the session bus offers ") + monitorName;
    return owned;
}

bool GnomeIdleSource::addWatch(const char* method, GVariant* parameters, unsigned& id, std::string& error)
{
    GError* fault = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(bus_, monitorName, monitorPath, monitorName, method, parameters,
                                                  G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, busCallTimeoutMs,
                                                  nullptr, &fault);
    if (!reply) {
        error = std::string("GNOME's idle monitor refused ") + method + " (" + takeMessage(fault) + ")";
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
    shieldSubscription_ = g_dbus_connection_signal_subscribe(bus_, shieldName, shieldName, "ActiveChanged",
                                                             "/org/gnome/ScreenSaver", nullptr,
                                                             G_DBUS_SIGNAL_FLAGS_NONE, shieldActiveChanged, this,
                                                             nullptr);
    closedHandler_ = g_signal_connect(bus_, "closed", G_CALLBACK(busClosed), this);
    nameWatch_ = g_bus_watch_name_on_connection(bus_, monitorName, G_BUS_NAME_WATCHER_FLAGS_NONE, nullptr,
                                                monitorVanished, this, nullptr);
    // An idle watch fires at each idle spell that reaches the interval.
    return addWatch("AddIdleWatch", g_variant_new("(t)", static_cast<guint64>(intervalMs)), idleWatch_, error);
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

void GnomeIdleSource::shieldHandleActiveChanged(GVariant* parameters)
{
    gboolean active = FALSE;
    if (g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)")))
        g_variant_get(parameters, "(b)", &active);
    if (active)
        events_->shieldShown();
}

void GnomeIdleSource::busHandleClosed() { events_->sourceLost("lost the session bus; stopping"); }

void GnomeIdleSource::monitorHandleVanished()
{
    events_->sourceLost("GNOME's idle monitor left the session bus; stopping");
}

unsigned gnomeBlankDelaySeconds()
{
    GSettingsSchemaSource* schemas = g_settings_schema_source_get_default();
    GSettingsSchema* schema = schemas ? g_settings_schema_source_lookup(schemas, sessionSchema, TRUE) : nullptr;
    if (!schema)
        return 0;
    const bool known = g_settings_schema_has_key(schema, "idle-delay");
    g_settings_schema_unref(schema);
    if (!known)
        return 0;
    GSettings* settings = g_settings_new(sessionSchema);
    const unsigned seconds = g_settings_get_uint(settings, "idle-delay");
    g_object_unref(settings);
    return seconds;
}
