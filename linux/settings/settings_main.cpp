// cascade-settings: the window in which a user turns Cascade's idle watcher
// on or off and sets it, with a live preview of the saver. One per user: a
// second start raises the first one's window.
#include "linux/settings/preview_renderer.h"
#include "linux/settings/settings_window.h"

#include <adwaita.h>

#include <cstdio>
#include <future>

namespace {

// The desktop entry's name (linux/package/), so that docks and the overview
// match the window to the entry and its icon.
constexpr const char* applicationId = "invalid.cascade.screensaver";

void activate(GtkApplication* application, gpointer)
{
    GtkWindow* existing = gtk_application_get_active_window(application);
    if (existing) {
        gtk_window_present(existing);
        return;
    }
    auto* window = new SettingsWindow(application);
    gtk_window_present(GTK_WINDOW(window->window()));
}

} // namespace

int main(int argc, char** argv)
{
    // Asked beside the toolkit's start, which takes as long.
    std::future<bool> software = std::async(std::launch::async, rendersInSoftware);
    // Without a display the toolkit would abort with its own messages.
    if (!gtk_init_check()) {
        std::fprintf(stderr, "cascade-settings: no display to open (neither WAYLAND_DISPLAY nor DISPLAY reaches one)\n");
        return 1;
    }
    // GTK's GL renderer compiles its shaders as the window opens, which on
    // software GL takes seconds; its cairo renderer draws this window as
    // well there, and opens it at once. A choice of the user's stands.
    if (software.get() && !g_getenv("GSK_RENDERER"))
        g_setenv("GSK_RENDERER", "cairo", TRUE);
    AdwApplication* application = adw_application_new(applicationId, G_APPLICATION_DEFAULT_FLAGS);
    g_signal_connect(application, "activate", G_CALLBACK(activate), nullptr);
    const int status = g_application_run(G_APPLICATION(application), argc, argv);
    g_object_unref(application);
    return status;
}
