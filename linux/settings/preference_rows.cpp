#include "linux/settings/preference_rows.h"

#include <adwaita.h>

GtkWidget* addControlRow(GtkWidget* group, const char* title, const char* subtitle, GtkWidget* control)
{
    GtkWidget* row = adw_action_row_new();
    adw_preferences_row_set_title(ADW_PREFERENCES_ROW(row), title);
    if (subtitle)
        adw_action_row_set_subtitle(ADW_ACTION_ROW(row), subtitle);
    gtk_widget_set_valign(control, GTK_ALIGN_CENTER);
    adw_action_row_add_suffix(ADW_ACTION_ROW(row), control);
    adw_action_row_set_activatable_widget(ADW_ACTION_ROW(row), control);
    adw_preferences_group_add(ADW_PREFERENCES_GROUP(group), row);
    return row;
}

GtkWidget* addButtonRow(GtkWidget* group, const char* title, const char* subtitle, const char* label)
{
    GtkWidget* button = gtk_button_new_with_label(label);
    addControlRow(group, title, subtitle, button);
    return button;
}
