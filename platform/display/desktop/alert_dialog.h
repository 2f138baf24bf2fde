#pragma once
// A modal alert as a GTK dialog: the model's message and informative text beside its icon (and
// under them the battery's history charts, when the alert has them), the buttons in the model's
// order with the first as the default (Return presses it). Only a button ends it; the window's
// close button and Escape do nothing, as with the model's alerts.

#include "platform/display/display_snapshots.h"
#include "platform/foundation/program_identity.h"

#include <gtk/gtk.h>

#include <memory>
#include <optional>
#include <string>

class AlertDialog {
  public:
    // The application's icon and the About box's title come from `program`.
    AlertDialog(const AlertSnapshot& alert, const ProgramIdentity& program);
    ~AlertDialog();
    AlertDialog(const AlertDialog&) = delete;
    AlertDialog& operator=(const AlertDialog&) = delete;

    // The button pressed (1 for the first); null while none was.
    std::optional<int> answer() const { return m_answer; }

  private:
    static void on_response(GtkDialog*, gint response, gpointer self);

    GtkWidget* m_dialog;
    // Kept for the charts' drawing while the dialog shows.
    std::shared_ptr<const HistoryCharts> m_history;
    std::optional<int> m_answer;
};

// The icon theme's name for an alert icon; `app_icon` for AlertIcon::app.
const char* alert_icon_name(AlertIcon icon, const char* app_icon);

// The dialog's window title: the alert's own, else "About <application>", since the model's only
// untitled alert is its About box; a window without a title is announced as nothing at all.
std::string alert_window_title(const std::string& title, const std::string& application);

// The alert's text without the blank lines the model puts before and after it, which a dialog
// would show as empty space and a screen reader would read as blank lines. Any mix of line
// feeds and carriage returns breaks a line there; the breaks inside the text are kept.
std::string alert_shown_text(const std::string& text);
