// GNOME Shell's Activities overview, through org.gnome.Shell on the session
// bus. A saver window that maps while the overview is open becomes a
// thumbnail in it, with the shell's search taking the keys; and while a
// saver is up, the shell opens the overview on input the saver never sees
// (the Super key, the hot corner). So the watcher closes the overview before
// a saver comes, and hears when it opens under one.
#pragma once

typedef struct _GDBusConnection GDBusConnection;
typedef struct _GVariant GVariant;

class GnomeOverview {
public:
    // opened(data) is called from the main loop each time the overview opens.
    GnomeOverview(void (*opened)(void* data), void* data) : opened_(opened), data_(data) {}
    ~GnomeOverview();
    GnomeOverview(const GnomeOverview&) = delete;
    GnomeOverview& operator=(const GnomeOverview&) = delete;

    // Follows the overview where GNOME Shell runs; elsewhere nothing.
    void follow();
    // Asks the shell to close the overview, without waiting for it.
    void close();

    // For the bus's callback.
    void shellHandlePropertiesChanged(GVariant* parameters);

private:
    void (*opened_)(void*);
    void* data_;
    GDBusConnection* bus_ = nullptr;
    unsigned subscription_ = 0;
};
