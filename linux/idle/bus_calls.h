// The few ways the idle watcher talks over D-Bus, shared by everything it
// follows there: a bus opened so that losing it ends nothing by itself, and
// calls that give up rather than keep a starting watcher waiting.
#pragma once

#include <string>

typedef struct _GDBusConnection GDBusConnection;
typedef struct _GVariant GVariant;
typedef struct _GError GError;
typedef struct _GVariantType GVariantType;

// How long a call on the bus may take before the desktop counts as not
// answering: the watcher is starting, a user is waiting for its line.
constexpr int busCallTimeoutMs = 5000;

// The session's shared connection to the session bus (session true) or the
// system bus; null with why set where there is none.
GDBusConnection* openBus(bool session, std::string& why);

// The error's message, freeing it.
std::string takeMessage(GError* error);

// A method call that waits for its reply, up to timeoutMs: the reply, or
// null with error set to the bus's message.
GVariant* callMethod(GDBusConnection* bus, const char* name, const char* path, const char* interface,
                     const char* method, GVariant* parameters, const GVariantType* replyType, std::string& error,
                     int timeoutMs = busCallTimeoutMs);

// Whether a name has an owner on the bus now; no, where the bus does not
// answer within timeoutMs.
bool nameOwned(GDBusConnection* bus, const char* name, int timeoutMs = busCallTimeoutMs);

// From a PropertiesChanged signal's parameters: true with value set where the
// signal carries property's new value, a boolean.
bool changedBoolean(GVariant* parameters, const char* property, bool& value);
