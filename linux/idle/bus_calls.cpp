#include "linux/idle/bus_calls.h"

#include <gio/gio.h>

GDBusConnection* openBus(bool session, std::string& why)
{
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(session ? G_BUS_TYPE_SESSION : G_BUS_TYPE_SYSTEM, nullptr, &error);
    if (!bus) {
        why = takeMessage(error);
        return nullptr;
    }
    // GDBus would end the whole program, unannounced, when the bus goes.
    g_dbus_connection_set_exit_on_close(bus, FALSE);
    return bus;
}

std::string takeMessage(GError* error)
{
    std::string message = error ? error->message : "no reason given";
    if (error)
        g_error_free(error);
    return message;
}

GVariant* callMethod(GDBusConnection* bus, const char* name, const char* path, const char* interface,
                     const char* method, GVariant* parameters, const GVariantType* replyType, std::string& error,
                     int timeoutMs)
{
    GError* fault = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(bus, name, path, interface, method, parameters, replyType,
                                                  G_DBUS_CALL_FLAGS_NONE, timeoutMs, nullptr, &fault);
    if (!reply)
        error = takeMessage(fault);
    return reply;
}

bool nameOwned(GDBusConnection* bus, const char* name, int timeoutMs)
{
    std::string error;
    GVariant* reply = callMethod(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                 "NameHasOwner", g_variant_new("(s)", name), G_VARIANT_TYPE("(b)"), error, timeoutMs);
    if (!reply)
        return false;
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

bool changedBoolean(GVariant* parameters, const char* property, bool& value)
{
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sa{sv}as)")))
        return false;
    GVariant* changed = g_variant_get_child_value(parameters, 1);
    gboolean truth = FALSE;
    const bool told = g_variant_lookup(changed, property, "b", &truth);
    g_variant_unref(changed);
    if (told)
        value = truth;
    return told;
}
