#include "platform/display/desktop/alert_dialog.h"

#include "platform/display/desktop/history_chart_drawing.h"

namespace {

constexpr int k_spacing = 12;
constexpr int k_text_width_chars = 50;
constexpr int k_chart_width = 420;
// Three charts and the report still fit a screen 768 pixels high.
constexpr int k_chart_height = 120;

GtkWidget* text_label(const std::string& text, bool bold) {
    GtkWidget* label = gtk_label_new(nullptr);
    if (bold) {
        char* markup = g_markup_printf_escaped("<b>%s</b>", text.c_str());
        gtk_label_set_markup(GTK_LABEL(label), markup);
        g_free(markup);
    } else {
        gtk_label_set_text(GTK_LABEL(label), text.c_str());
    }
    gtk_label_set_xalign(GTK_LABEL(label), 0);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(label), k_text_width_chars);
    gtk_label_set_selectable(GTK_LABEL(label), !bold);
    return label;
}

// Drawn in the dialog's theme: its text colour tells a dark background from a light one, and
// its font is the labels'.
gboolean draw_chart(GtkWidget* area, cairo_t* cairo, gpointer chart) {
    GtkStyleContext* context = gtk_widget_get_style_context(area);
    GdkRGBA text{};
    gtk_style_context_get_color(context, gtk_style_context_get_state(context), &text);
    const PangoFontDescription* font =
        pango_context_get_font_description(gtk_widget_get_pango_context(area));
    const char* family = font ? pango_font_description_get_family(font) : nullptr;
    const ChartStyle style{.background = shade_under_text({text.red, text.green, text.blue}),
                           .font_family = family && *family ? family : "Sans"};
    const ChartArea whole{0, 0, static_cast<double>(gtk_widget_get_allocated_width(area)),
                          static_cast<double>(gtk_widget_get_allocated_height(area))};
    draw_history_chart(cairo, *static_cast<const Chart*>(chart), whole, style);
    return FALSE;
}

// `chart` must outlive the widget. A screen reader reads the chart's title and caption.
GtkWidget* chart_area(const Chart& chart) {
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_size_request(area, k_chart_width, k_chart_height);
    gtk_widget_set_halign(area, GTK_ALIGN_START);
    g_signal_connect(area, "draw", G_CALLBACK(draw_chart), const_cast<Chart*>(&chart));
    AtkObject* accessible = gtk_widget_get_accessible(area);
    atk_object_set_role(accessible, ATK_ROLE_IMAGE);
    atk_object_set_name(accessible, chart.title.c_str());
    atk_object_set_description(accessible, chart.caption.c_str());
    return area;
}

GtkWidget* history_charts(const HistoryCharts& history) {
    GtkWidget* charts = gtk_box_new(GTK_ORIENTATION_VERTICAL, k_spacing);
    gtk_widget_set_margin_top(charts, k_spacing);
    for (const Chart* chart : {&history.last_day, &history.last_ten_days, &history.health})
        gtk_box_pack_start(GTK_BOX(charts), chart_area(*chart), FALSE, FALSE, 0);
    return charts;
}

// An empty text gets no label: it would take a line on the screen and be read as a blank one.
GtkWidget* alert_body(const AlertSnapshot& alert, const std::string& app_icon) {
    GtkWidget* texts = gtk_box_new(GTK_ORIENTATION_VERTICAL, k_spacing / 2);
    if (!alert.title.empty())
        gtk_box_pack_start(GTK_BOX(texts), text_label(alert.title, true), FALSE, FALSE, 0);
    if (const std::string text = alert_shown_text(alert.text); !text.empty())
        gtk_box_pack_start(GTK_BOX(texts), text_label(text, false), FALSE, FALSE, 0);
    // The history's charts come under the text, which stays first.
    if (alert.history)
        gtk_box_pack_start(GTK_BOX(texts), history_charts(*alert.history), FALSE, FALSE, 0);
    GtkWidget* body = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, k_spacing);
    gtk_container_set_border_width(GTK_CONTAINER(body), k_spacing);
    GtkWidget* icon = gtk_image_new_from_icon_name(alert_icon_name(alert.icon, app_icon.c_str()),
                                                   GTK_ICON_SIZE_DIALOG);
    gtk_widget_set_valign(icon, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(body), icon, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(body), texts, TRUE, TRUE, 0);
    return body;
}

gboolean refuse_close(GtkWidget*, GdkEvent*, gpointer) {
    return TRUE;
}

} // namespace

const char* alert_icon_name(AlertIcon icon, const char* app_icon) {
    switch (icon) {
    case AlertIcon::caution:
        return "dialog-warning";
    case AlertIcon::stop:
        return "dialog-error";
    case AlertIcon::note:
        return "dialog-information";
    case AlertIcon::app:
        break;
    }
    return app_icon;
}

std::string alert_window_title(const std::string& title, const std::string& application) {
    return title.empty() ? "About " + application : title;
}

std::string alert_shown_text(const std::string& text) {
    constexpr const char* blank = " \t\r\n";
    const size_t first = text.find_first_not_of(blank);
    if (first == std::string::npos) return {};
    const size_t break_before = text.find_last_of("\r\n", first);
    const size_t start = break_before == std::string::npos ? 0 : break_before + 1;
    return text.substr(start, text.find_last_not_of(blank) + 1 - start);
}

AlertDialog::AlertDialog(const AlertSnapshot& alert, const ProgramIdentity& program)
    : m_dialog(gtk_dialog_new()), m_history(alert.history) {
    g_object_ref_sink(m_dialog);
    GtkWindow* window = GTK_WINDOW(m_dialog);
    gtk_window_set_title(window, alert_window_title(alert.title, program.name).c_str());
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_keep_above(window, TRUE);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_deletable(window, FALSE);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(m_dialog));
    gtk_box_pack_start(GTK_BOX(content), alert_body(alert, program.identifier), TRUE, TRUE, 0);
    for (size_t i = 0; i < alert.buttons.size(); ++i)
        gtk_dialog_add_button(GTK_DIALOG(m_dialog), alert.buttons[i].c_str(),
                              static_cast<gint>(i + 1));
    g_signal_connect(m_dialog, "delete-event", G_CALLBACK(refuse_close), nullptr);
    g_signal_connect(m_dialog, "response", G_CALLBACK(on_response), this);
    gtk_widget_show_all(m_dialog);
    // After showing: a selectable text would otherwise take the focus that Return needs.
    if (!alert.buttons.empty()) {
        gtk_dialog_set_default_response(GTK_DIALOG(m_dialog), 1);
        gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(m_dialog), 1));
    }
    gtk_window_present(window);
}

AlertDialog::~AlertDialog() {
    gtk_widget_destroy(m_dialog);
    g_object_unref(m_dialog);
}

void AlertDialog::on_response(GtkDialog*, gint response, gpointer self) {
    if (response < 1) return;
    static_cast<AlertDialog*>(self)->m_answer = response;
}
