#include "linux/idle/desktop_lock.h"

#include "linux/idle/bus_calls.h"

#include <gio/gio.h>

namespace {

constexpr const char* shieldName = "org.gnome.ScreenSaver";
constexpr const char* shieldPath = "/org/gnome/ScreenSaver";
// GNOME's shield answers through a service the bus starts on demand: asked
// only where GNOME Shell runs, so that no other desktop gets one started.
constexpr const char* gnomeShellName = "org.gnome.Shell";
constexpr const char* logindName = "org.freedesktop.login1";
constexpr const char* sessionInterface = "org.freedesktop.login1.Session";

void shieldActiveChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                         GVariant* parameters, gpointer data)
{
    static_cast<DesktopLock*>(data)->shieldHandleActiveChanged(parameters);
}

void sessionPropertiesChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                              GVariant* parameters, gpointer data)
{
    static_cast<DesktopLock*>(data)->sessionHandlePropertiesChanged(parameters);
}

// The one boolean a message of type (b), or (v) holding b, carries; false
// for anything else.
bool replyTruth(GVariant* reply)
{
    gboolean truth = FALSE;
    if (g_variant_is_of_type(reply, G_VARIANT_TYPE("(b)"))) {
        g_variant_get(reply, "(b)", &truth);
    } else if (g_variant_is_of_type(reply, G_VARIANT_TYPE("(v)"))) {
        GVariant* value = nullptr;
        g_variant_get(reply, "(v)", &value);
        if (g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN))
            truth = g_variant_get_boolean(value);
        g_variant_unref(value);
    }
    return truth;
}

} // namespace

DesktopLock::~DesktopLock()
{
    if (shieldSubscription_)
        g_dbus_connection_signal_unsubscribe(sessionBus_, shieldSubscription_);
    if (sessionSubscription_)
        g_dbus_connection_signal_unsubscribe(systemBus_, sessionSubscription_);
    if (sessionBus_)
        g_object_unref(sessionBus_);
    if (systemBus_)
        g_object_unref(systemBus_);
}

void DesktopLock::follow()
{
    followShield();
    followSession();
}

void DesktopLock::followShield()
{
    std::string why;
    sessionBus_ = openBus(true, why);
    if (!sessionBus_ || !nameOwned(sessionBus_, gnomeShellName))
        return;
    // Subscribed before the question, so that no change falls between.
    shieldSubscription_ = g_dbus_connection_signal_subscribe(sessionBus_, shieldName, shieldName, "ActiveChanged",
                                                             shieldPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                                             shieldActiveChanged, this, nullptr);
    GVariant* reply = callMethod(sessionBus_, shieldName, shieldPath, shieldName, "GetActive", nullptr,
                                 G_VARIANT_TYPE("(b)"), why);
    if (reply) {
        shieldUp_ = replyTruth(reply);
        g_variant_unref(reply);
    }
}

void DesktopLock::followSession()
{
    std::string why;
    systemBus_ = openBus(false, why);
    if (!systemBus_)
        return;
    // "auto": the session this process belongs to, or else the user's
    // graphical one (a watcher started by the user's service manager).
    GVariant* reply = callMethod(systemBus_, logindName, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                 "GetSession", g_variant_new("(s)", "auto"), G_VARIANT_TYPE("(o)"), why);
    if (!reply)
        return;
    const gchar* path = nullptr;
    g_variant_get(reply, "(&o)", &path);
    sessionSubscription_ = g_dbus_connection_signal_subscribe(
        systemBus_, logindName, "org.freedesktop.DBus.Properties", "PropertiesChanged", path, sessionInterface,
        G_DBUS_SIGNAL_FLAGS_NONE, sessionPropertiesChanged, this, nullptr);
    GVariant* hint = callMethod(systemBus_, logindName, path, "org.freedesktop.DBus.Properties", "Get",
                                g_variant_new("(ss)", sessionInterface, "LockedHint"), G_VARIANT_TYPE("(v)"), why);
    g_variant_unref(reply);
    if (hint) {
        sessionLocked_ = replyTruth(hint);
        g_variant_unref(hint);
    }
}

std::string DesktopLock::followed() const
{
    if (shieldSubscription_ && sessionSubscription_)
        return "GNOME's shield and logind's lock";
    if (shieldSubscription_)
        return "GNOME's shield";
    return sessionSubscription_ ? "logind's lock" : "";
}

void DesktopLock::shieldHandleActiveChanged(GVariant* parameters)
{
    const bool wasLocked = locked();
    shieldUp_ = replyTruth(parameters);
    report(wasLocked);
}

void DesktopLock::sessionHandlePropertiesChanged(GVariant* parameters)
{
    const bool wasLocked = locked();
    if (changedBoolean(parameters, "LockedHint", sessionLocked_))
        report(wasLocked);
}

void DesktopLock::report(bool wasLocked)
{
    if (locked() != wasLocked)
        changed_(data_, locked());
}
