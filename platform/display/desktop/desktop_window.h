#pragma once
// One of the model's windows as a GTK window: its title, content size and place (where the
// session lets a program place windows), its check boxes, push buttons, pop-up choices, texts and
// boxes where the model puts them (disabled ones greyed), kept above others when floating. A
// person's click on a check box or a button, an item picked from a choice, the close button and
// the command keys become input for the model; what the window shows always comes from the
// model's snapshot, so a click the model refuses is undone at the next show().

#include "platform/display/display_input.h"
#include "platform/display/display_snapshots.h"

#include <gtk/gtk.h>

#include <functional>
#include <map>

class DesktopWindow {
  public:
    using Send = std::function<void(Input)>;

    DesktopWindow(const WindowSnapshot& window, Send send);
    ~DesktopWindow();
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    void show(const WindowSnapshot& window);
    GtkWindow* gtk_window() const { return m_window; }

  private:
    void place(const WindowSnapshot& window);
    void make_controls(const WindowSnapshot& window);
    void update_control(const ControlSnapshot& control, const ScreenRect& content);
    GtkWidget* make_control(const ControlSnapshot& control);
    void send_close_request();
    void send_click(int control);

    static gboolean on_delete(GtkWidget*, GdkEvent*, gpointer self);
    static int number_of(gpointer widget);
    static void on_toggled(GtkToggleButton* button, gpointer self);
    static void on_clicked(GtkButton* button, gpointer self);
    static void on_changed(GtkComboBox* choice, gpointer self);
    static gboolean on_key(GtkWidget*, GdkEventKey* event, gpointer self);

    GtkWindow* m_window;
    GtkWidget* m_fixed;
    Send m_send;
    std::map<int, GtkWidget*> m_controls;
    std::optional<WindowSnapshot> m_shown;
    bool m_updating = false; // set while the model's state is put into the widgets
    bool m_stale = false;    // a person changed a widget: the next show() puts the model back
};

// Whether two windows have the same controls, by number, kind and a choice's items, in the same
// order.
bool same_controls(const WindowSnapshot& a, const WindowSnapshot& b);

// The key press a GDK key event stands for: Control is the command key, Super the control key;
// null for a key that is not a shortcut (a plain letter goes to the focused control).
std::optional<KeyPress> shortcut_of(guint keyval, GdkModifierType state);
