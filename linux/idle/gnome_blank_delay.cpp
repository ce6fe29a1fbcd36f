#include "linux/idle/gnome_blank_delay.h"

#include <gio/gio.h>

namespace {

constexpr const char* sessionSchema = "org.gnome.desktop.session";
constexpr const char* delayKey = "idle-delay";
constexpr const char* delayChanged = "changed::idle-delay";

void settingsChanged(GSettings*, const gchar*, gpointer data)
{
    static_cast<GnomeBlankDelay*>(data)->settingsHandleChanged();
}

} // namespace

// GNOME's session settings only where they are installed with the key:
// GSettings would abort on a missing schema.
GnomeBlankDelay::GnomeBlankDelay()
{
    GSettingsSchemaSource* schemas = g_settings_schema_source_get_default();
    GSettingsSchema* schema = schemas ? g_settings_schema_source_lookup(schemas, sessionSchema, TRUE) : nullptr;
    if (!schema)
        return;
    const bool known = g_settings_schema_has_key(schema, delayKey);
    g_settings_schema_unref(schema);
    if (known)
        settings_ = g_settings_new(sessionSchema);
}

GnomeBlankDelay::~GnomeBlankDelay()
{
    if (settings_)
        g_object_unref(settings_);
}

unsigned GnomeBlankDelay::seconds() const
{
    return settings_ ? g_settings_get_uint(settings_, delayKey) : 0;
}

void GnomeBlankDelay::follow(void (*changed)(void* data), void* data)
{
    if (!settings_)
        return;
    changed_ = changed;
    data_ = data;
    // GSettings tells of a change only to a reader that has read the key.
    seconds();
    g_signal_connect(settings_, delayChanged, G_CALLBACK(settingsChanged), this);
}
