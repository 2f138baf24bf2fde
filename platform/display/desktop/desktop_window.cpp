#include "platform/display/desktop/desktop_window.h"

#include "platform/display/desktop/desktop_keys.h"

#include <cmath>

namespace {

constexpr const char* k_number_key = "zerarazi-control";
constexpr double k_two_lines = 34; // points: a text frame at least this high holds two lines

int whole(double points) {
    return static_cast<int>(std::lround(points));
}

} // namespace

bool same_controls(const WindowSnapshot& a, const WindowSnapshot& b) {
    if (a.controls.size() != b.controls.size()) return false;
    for (size_t i = 0; i < a.controls.size(); ++i) {
        if (a.controls[i].number != b.controls[i].number) return false;
        if (a.controls[i].kind != b.controls[i].kind) return false;
        if (a.controls[i].items != b.controls[i].items) return false;
    }
    return true;
}

std::optional<KeyPress> shortcut_of(guint keyval, GdkModifierType state) {
    const uint8_t modifiers = key_modifiers_of_masks(state);
    // Shift alone types a character; Escape is a shortcut of its own.
    const bool chord = (modifiers & ~static_cast<uint8_t>(KeyModifier::shift)) != 0;
    if (!chord && keyval != GDK_KEY_Escape) return std::nullopt;
    std::optional<std::string> name = desktop_key_name(keyval);
    if (!name) return std::nullopt;
    return KeyPress{chord ? modifiers : uint8_t{0}, *name};
}

DesktopWindow::DesktopWindow(const WindowSnapshot& window, Send send)
    : m_window(GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL))), m_fixed(gtk_fixed_new()),
      m_send(std::move(send)) {
    g_object_ref_sink(m_window);
    gtk_window_set_resizable(m_window, FALSE);
    gtk_container_add(GTK_CONTAINER(m_window), m_fixed);
    g_signal_connect(m_window, "delete-event", G_CALLBACK(on_delete), this);
    g_signal_connect(m_window, "key-press-event", G_CALLBACK(on_key), this);
    gtk_widget_show(m_fixed);
    show(window);
}

DesktopWindow::~DesktopWindow() {
    gtk_widget_destroy(GTK_WIDGET(m_window));
    g_object_unref(m_window);
}

void DesktopWindow::show(const WindowSnapshot& window) {
    if (!m_stale && m_shown == window) return;
    m_stale = false;
    m_updating = true;
    const bool first = !m_shown;
    if (first || m_shown->title != window.title)
        gtk_window_set_title(m_window, window.title.c_str());
    if (first || m_shown->content != window.content) place(window);
    gtk_window_set_deletable(m_window, window.closable);
    gtk_window_set_keep_above(m_window, window.level == WindowLevel::floating);
    if (first || !same_controls(*m_shown, window)) make_controls(window);
    for (const ControlSnapshot& control : window.controls)
        update_control(control, window.content);
    const bool was_visible = m_shown && m_shown->visible;
    if (window.visible && (!was_visible || (window.key && !m_shown->key)))
        gtk_window_present(m_window);
    if (!window.visible && was_visible) gtk_widget_hide(GTK_WIDGET(m_window));
    m_shown = window;
    m_updating = false;
}

void DesktopWindow::place(const WindowSnapshot& window) {
    const int width = std::max(1, whole(window.content.width));
    const int height = std::max(1, whole(window.content.height));
    gtk_widget_set_size_request(m_fixed, width, height);
    gtk_window_resize(m_window, width, height);
    gtk_window_move(m_window, whole(window.content.x), whole(window.content.y));
}

void DesktopWindow::make_controls(const WindowSnapshot& window) {
    for (auto& [number, widget] : m_controls)
        gtk_widget_destroy(widget);
    m_controls.clear();
    for (const ControlSnapshot& control : window.controls) {
        GtkWidget* widget = make_control(control);
        gtk_fixed_put(GTK_FIXED(m_fixed), widget, 0, 0);
        gtk_widget_show(widget);
        m_controls[control.number] = widget;
    }
}

GtkWidget* DesktopWindow::make_control(const ControlSnapshot& control) {
    GtkWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::checkbox:
        widget = gtk_check_button_new_with_label("");
        g_signal_connect(widget, "toggled", G_CALLBACK(on_toggled), this);
        break;
    case ControlKind::text:
        widget = gtk_label_new("");
        gtk_label_set_xalign(GTK_LABEL(widget), 0);
        gtk_label_set_yalign(GTK_LABEL(widget), 0);
        // A text the model gave one line keeps it, even where this desktop's font is wider.
        gtk_label_set_line_wrap(GTK_LABEL(widget), control.frame.height >= k_two_lines);
        break;
    case ControlKind::frame:
        widget = gtk_frame_new(nullptr);
        break;
    case ControlKind::button:
        widget = gtk_button_new_with_label("");
        g_signal_connect(widget, "clicked", G_CALLBACK(on_clicked), this);
        break;
    case ControlKind::choice:
        widget = gtk_combo_box_text_new();
        for (const std::string& item : control.items)
            gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(widget), item.c_str());
        g_signal_connect(widget, "changed", G_CALLBACK(on_changed), this);
        break;
    }
    g_object_set_data(G_OBJECT(widget), k_number_key, GINT_TO_POINTER(control.number));
    return widget;
}

void DesktopWindow::update_control(const ControlSnapshot& control, const ScreenRect& content) {
    GtkWidget* widget = m_controls[control.number];
    gtk_fixed_move(GTK_FIXED(m_fixed), widget, whole(control.frame.x - content.x),
                   whole(control.frame.y - content.y));
    gtk_widget_set_size_request(widget, std::max(1, whole(control.frame.width)),
                                std::max(1, whole(control.frame.height)));
    gtk_widget_set_sensitive(widget, control.enabled);
    const char* text = control.text.c_str();
    switch (control.kind) {
    case ControlKind::button:
        gtk_button_set_label(GTK_BUTTON(widget), text);
        break;
    case ControlKind::choice:
        gtk_combo_box_set_active(GTK_COMBO_BOX(widget), control.state);
        break;
    case ControlKind::checkbox:
        gtk_button_set_label(GTK_BUTTON(widget), text);
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), control.state != 0);
        break;
    case ControlKind::text:
        gtk_label_set_text(GTK_LABEL(widget), text);
        break;
    case ControlKind::frame:
        gtk_frame_set_label(GTK_FRAME(widget), control.text.empty() ? nullptr : text);
        break;
    }
}

int DesktopWindow::number_of(gpointer widget) {
    return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), k_number_key));
}

void DesktopWindow::send_close_request() {
    if (m_shown && m_shown->closable) m_send(CloseRequest{m_shown->number});
}

void DesktopWindow::send_click(int control) {
    if (m_shown) m_send(ControlClick{m_shown->number, control});
}

// The close button asks the model, which closes the window or keeps it.
gboolean DesktopWindow::on_delete(GtkWidget*, GdkEvent*, gpointer self) {
    auto* window = static_cast<DesktopWindow*>(self);
    window->send_close_request();
    return TRUE;
}

void DesktopWindow::on_toggled(GtkToggleButton* button, gpointer self) {
    auto* window = static_cast<DesktopWindow*>(self);
    if (window->m_updating) return;
    window->m_stale = true;
    window->send_click(number_of(button));
}

void DesktopWindow::on_clicked(GtkButton* button, gpointer self) {
    static_cast<DesktopWindow*>(self)->send_click(number_of(button));
}

// The choice shows what the person picked until the model's next show() puts back its own.
void DesktopWindow::on_changed(GtkComboBox* choice, gpointer self) {
    auto* window = static_cast<DesktopWindow*>(self);
    const int item = gtk_combo_box_get_active(choice);
    if (window->m_updating || item < 0 || !window->m_shown) return;
    window->m_stale = true;
    window->m_send(ControlChoice{window->m_shown->number, number_of(choice), item});
}

gboolean DesktopWindow::on_key(GtkWidget*, GdkEventKey* event, gpointer self) {
    auto* window = static_cast<DesktopWindow*>(self);
    std::optional<KeyPress> press =
        shortcut_of(event->keyval, static_cast<GdkModifierType>(event->state));
    if (!press || !window->m_shown) return FALSE;
    window->m_send(KeyInput{window->m_shown->number, *press});
    return TRUE;
}
