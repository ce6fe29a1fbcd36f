// GNOME's own blank delay (org.gnome.desktop.session idle-delay): GNOME
// blanks the screen after that many idle seconds. Read by the watcher, which
// follows it as it changes so that the saver comes first, and by the
// settings window, which tells the user when the saver will come.
#pragma once

typedef struct _GSettings GSettings;

class GnomeBlankDelay {
public:
    GnomeBlankDelay();
    ~GnomeBlankDelay();
    GnomeBlankDelay(const GnomeBlankDelay&) = delete;
    GnomeBlankDelay& operator=(const GnomeBlankDelay&) = delete;

    // 0 where GNOME's settings are not installed or it never blanks.
    unsigned seconds() const;
    // From now on changed(data) is called each time the delay changes.
    void follow(void (*changed)(void* data), void* data);

    // For the settings' callback.
    void settingsHandleChanged() { changed_(data_); }

private:
    GSettings* settings_ = nullptr;
    void (*changed_)(void* data) = nullptr;
    void* data_ = nullptr;
};
