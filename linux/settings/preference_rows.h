// The settings window's one shape of row: a title, a subtitle where given,
// and a control at its end that the title names for screen readers and that
// a click on the row works.
#pragma once

typedef struct _GtkWidget GtkWidget;

// Adds that row to group with control at its end; the row.
GtkWidget* addControlRow(GtkWidget* group, const char* title, const char* subtitle, GtkWidget* control);
// The same with a button labelled label; the button.
GtkWidget* addButtonRow(GtkWidget* group, const char* title, const char* subtitle, const char* label);
