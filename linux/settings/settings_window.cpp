// SettingsWindow's layout: the preview above the rows, the problem line,
// the watcher's rows, the status line, the full-screen preview's button and
// the desktop's rows; what one part changes, the window passes on.
#include "linux/settings/settings_window.h"

#include "linux/settings/cascade_program.h"
#include "linux/settings/preference_rows.h"

#include <adwaita.h>

namespace {

// The window at its first opening: it fits a 1366 x 768 screen under a
// panel; the rows beneath the preview scroll.
constexpr int windowWidth = 560;
constexpr int windowHeight = 700;
// The status line follows a watcher that starts or ends on its own (a login,
// a crash, a terminal's command) this often; reading it costs a few file reads.
constexpr unsigned statusRefreshSeconds = 2;

} // namespace

SettingsWindow::SettingsWindow(GtkApplication* application)
{
    facts_ = readSessionFacts();
    cascade_ = findCascade();
    window_ = adw_application_window_new(application);
    gtk_window_set_title(GTK_WINDOW(window_), "Cascade");
    gtk_window_set_default_size(GTK_WINDOW(window_), windowWidth, windowHeight);
    preview_ = std::make_unique<PreviewWidget>([this](const std::string& problem) { showProblem(problem); });

    GtkWidget* content = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    adw_application_window_set_content(ADW_APPLICATION_WINDOW(window_), content);
    gtk_box_append(GTK_BOX(content), adw_header_bar_new());
    gtk_box_append(GTK_BOX(content), preview_->widget());
    gtk_box_append(GTK_BOX(content), buildControls());

    g_object_set_data_full(G_OBJECT(window_), "cascade-settings", this,
                           +[](gpointer self) { delete static_cast<SettingsWindow*>(self); });
    if (watcher_)
        watcher_->followEntry(); // which shows the status, once the entry is read
    else
        refreshStatus();
    statusTimer_ = g_timeout_add_seconds(statusRefreshSeconds, +[](gpointer self) -> gboolean {
        static_cast<SettingsWindow*>(self)->refreshStatus();
        return G_SOURCE_CONTINUE;
    }, this);
    if (cascade_.empty())
        showProblem("The cascade program is neither beside this one nor in /usr/bin: "
                    "nothing can be changed or shown full screen.");
}

SettingsWindow::~SettingsWindow()
{
    g_source_remove(statusTimer_);
}

GtkWidget* SettingsWindow::buildControls()
{
    GtkWidget* page = adw_preferences_page_new();
    gtk_widget_set_vexpand(page, TRUE);
    adw_preferences_page_add(ADW_PREFERENCES_PAGE(page), ADW_PREFERENCES_GROUP(buildProblemGroup()));
    if (facts_.wayland) {
        watcher_ = std::make_unique<WatcherControls>(
            WatcherControls::WindowHooks{GTK_WINDOW(window_),
                                    [this](const std::string& problem) { showProblem(problem); },
                                    [this] {
                                        if (desktop_)
                                            desktop_->showWatcherLine(watcher_->chosenOptions());
                                    },
                                    [this] { refreshStatus(); }},
            cascade_, facts_.logindAnswers);
        adw_preferences_page_add(ADW_PREFERENCES_PAGE(page), ADW_PREFERENCES_GROUP(watcher_->widget()));
    }
    adw_preferences_page_add(ADW_PREFERENCES_PAGE(page), ADW_PREFERENCES_GROUP(buildStatusGroup()));
    desktop_ = std::make_unique<DesktopRows>(facts_, cascade_,
                                             [this](const std::string& problem) { showProblem(problem); });
    if (desktop_->widget())
        adw_preferences_page_add(ADW_PREFERENCES_PAGE(page), ADW_PREFERENCES_GROUP(desktop_->widget()));
    return page;
}

GtkWidget* SettingsWindow::buildProblemGroup()
{
    GtkWidget* group = adw_preferences_group_new();
    problemLabel_ = gtk_label_new("");
    gtk_label_set_wrap(GTK_LABEL(problemLabel_), TRUE);
    gtk_label_set_xalign(GTK_LABEL(problemLabel_), 0);
    gtk_widget_add_css_class(problemLabel_, "error");
    gtk_widget_set_visible(problemLabel_, FALSE);
    adw_preferences_group_add(ADW_PREFERENCES_GROUP(group), problemLabel_);
    return group;
}

GtkWidget* SettingsWindow::buildStatusGroup()
{
    GtkWidget* group = adw_preferences_group_new();
    statusRow_ = adw_action_row_new();
    adw_preferences_row_set_title(ADW_PREFERENCES_ROW(statusRow_), "Status");
    adw_preferences_group_add(ADW_PREFERENCES_GROUP(group), statusRow_);

    GtkWidget* button = addButtonRow(group, "Show the saver full screen now",
                                     "A key, a click or a move of the mouse ends it", "Preview");
    gtk_widget_set_sensitive(button, !cascade_.empty());
    g_signal_connect_swapped(button, "clicked", G_CALLBACK(+[](SettingsWindow* self) { self->runPreview(); }),
                             this);
    return group;
}

void SettingsWindow::refreshStatus()
{
    std::string line;
    if (facts_.wayland) {
        const pid_t watcher = runningWatcher();
        line = watcher > 0 ? "The watcher runs now (process " + std::to_string(watcher) + ")."
                           : "No watcher runs now.";
        line += " ";
    }
    line += idleSignalText(facts_, watcher_ ? watcher_->idleSeconds() : defaultIdleSeconds);
    adw_action_row_set_subtitle(ADW_ACTION_ROW(statusRow_), line.c_str());
}

void SettingsWindow::showProblem(const std::string& problem)
{
    gtk_label_set_text(GTK_LABEL(problemLabel_), problem.c_str());
    gtk_widget_set_visible(problemLabel_, !problem.empty());
}

void SettingsWindow::runPreview()
{
    std::weak_ptr<bool> alive = alive_;
    runProgram({cascade_, "-fullscreen"}, [this, alive](bool ok, const std::string& problem) {
        if (!alive.expired() && !ok)
            showProblem("The full-screen preview failed: " + problem);
    });
}
