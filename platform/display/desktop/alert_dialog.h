#pragma once
// A modal alert as a GTK dialog: the model's message and informative text beside its icon, the
// buttons in the model's order with the first as the default (Return presses it). Only a button
// ends it; the window's close button and Escape do nothing, as with the model's alerts.

#include "platform/display/display.h"

#include <gtk/gtk.h>

#include <optional>

class AlertDialog {
  public:
    explicit AlertDialog(const AlertSnapshot& alert);
    ~AlertDialog();
    AlertDialog(const AlertDialog&) = delete;
    AlertDialog& operator=(const AlertDialog&) = delete;

    // The button pressed (1 for the first); null while none was.
    std::optional<int> answer() const { return m_answer; }

  private:
    static void on_response(GtkDialog*, gint response, gpointer self);

    GtkWidget* m_dialog;
    std::optional<int> m_answer;
};

// The icon theme's name for an alert icon; `app_icon` for AlertIcon::app.
const char* alert_icon_name(AlertIcon icon, const char* app_icon);
