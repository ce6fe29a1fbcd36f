#include "linux/idle/gnome_overview.h"

#include "linux/idle/bus_calls.h"

#include <gio/gio.h>

namespace {

constexpr const char* shellName = "org.gnome.Shell";
constexpr const char* shellPath = "/org/gnome/Shell";

void shellPropertiesChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                            GVariant* parameters, gpointer data)
{
    static_cast<GnomeOverview*>(data)->shellHandlePropertiesChanged(parameters);
}

} // namespace

GnomeOverview::~GnomeOverview()
{
    if (subscription_)
        g_dbus_connection_signal_unsubscribe(bus_, subscription_);
    if (bus_)
        g_object_unref(bus_);
}

void GnomeOverview::follow()
{
    std::string why;
    bus_ = openBus(true, why);
    if (!bus_ || !nameOwned(bus_, shellName))
        return;
    subscription_ = g_dbus_connection_signal_subscribe(bus_, shellName, "org.freedesktop.DBus.Properties",
                                                       "PropertiesChanged", shellPath, shellName,
                                                       G_DBUS_SIGNAL_FLAGS_NONE, shellPropertiesChanged, this,
                                                       nullptr);
}

void GnomeOverview::close()
{
    if (!subscription_)
        return;
    // Closing a closed overview does nothing, so there is no state to keep.
    g_dbus_connection_call(bus_, shellName, shellPath, "org.freedesktop.DBus.Properties", "Set",
                           g_variant_new("(ssv)", shellName, "OverviewActive", g_variant_new_boolean(FALSE)),
                           nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, busCallTimeoutMs, nullptr, nullptr, nullptr);
}

void GnomeOverview::shellHandlePropertiesChanged(GVariant* parameters)
{
    bool active = false;
    if (changedBoolean(parameters, "OverviewActive", active) && active)
        opened_(data_);
}
