#include "platform/display/terminal/terminal_view.h"

#include "platform/display/keyboard.h"
#include "platform/display/terminal/block_chart.h"
#include "platform/display/terminal/terminal_text.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::string_view k_indent = "  ";
constexpr std::string_view k_separator_rule = "────────────";

struct BatteryPicture {
    std::string_view file;
    std::string_view glyph;
    TextStyle style;
};
constexpr std::array<BatteryPicture, 7> k_battery_pictures = {
    BatteryPicture{"battery_icon.png", "[████]", TextStyle::plain},
    BatteryPicture{"75_battery_icon.png", "[███ ]", TextStyle::plain},
    BatteryPicture{"50_battery_icon.png", "[██  ]", TextStyle::plain},
    BatteryPicture{"25_battery_icon.png", "[█   ]", TextStyle::warning},
    BatteryPicture{"10_battery_icon.png", "[▏   ]", TextStyle::alarm},
    BatteryPicture{"battery_icon_charging.png", "[████]⚡", TextStyle::plain},
    BatteryPicture{"battery_icon_ac.png", "[▒▒▒▒]🔌", TextStyle::plain},
};
constexpr std::string_view k_unknown_battery = "[····]";

// Rows of blocks for the charge charts and the health chart, largest first: the first that leaves
// the report on screen with the charts under it is drawn (6 rows: an eighth of one is about 2 %
// of charge). Rows 0: the chart's caption alone.
struct ChartRows {
    size_t charge;
    size_t health;
};
constexpr std::array<ChartRows, 7> k_chart_rows = {
    {{6, 5}, {5, 4}, {4, 3}, {3, 3}, {3, 0}, {2, 0}, {0, 0}}};
// The lines under the printed ones: the status line, the alert's buttons and the hint of keys.
constexpr size_t k_live_rows = 3;

struct IconSymbol {
    AlertIcon icon;
    std::string_view symbol;
};
constexpr std::array<IconSymbol, 4> k_icon_symbols = {
    IconSymbol{AlertIcon::caution, "⚠ "},
    IconSymbol{AlertIcon::stop, "✖ "},
    IconSymbol{AlertIcon::note, "ℹ "},
    IconSymbol{AlertIcon::app, ""},
};

std::string_view file_name(std::string_view path) {
    size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string upper(std::string_view key) {
    std::string result(key);
    if (result.size() == 1 && result[0] >= 'a' && result[0] <= 'z') result[0] -= 'a' - 'A';
    return result;
}

std::string right_aligned(int number, size_t width) {
    std::string text = std::to_string(number);
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

size_t number_width(const std::vector<MenuItemSnapshot>& items) {
    size_t width = 1;
    for (const auto& item : items) {
        if (!item.separator) width = std::max(width, std::to_string(item.number).size());
    }
    return width;
}

size_t title_width(const std::vector<MenuItemSnapshot>& items) {
    size_t width = 0;
    for (const auto& item : items) {
        if (!item.separator) width = std::max(width, display_width(one_line(item.title)));
    }
    return width;
}

std::string menu_item_line(const MenuItemSnapshot& item, size_t numbers, size_t titles,
                           const ViewOptions& options) {
    std::string label = key_equivalent_label(item);
    std::string title = one_line(item.title);
    std::string line = right_aligned(item.number, numbers) + "  ";
    line += label.empty() ? title : pad_right(title, titles) + "  " + label;
    return std::string(k_indent) +
           styled(line, item.enabled ? TextStyle::plain : TextStyle::dim, options.colour);
}

int checkbox_width(const WindowSnapshot& window) {
    size_t width = 1;
    for (const auto& control : window.controls) {
        if (is_pressable(control.kind))
            width = std::max(width, std::to_string(control.number).size());
    }
    return static_cast<int>(width);
}

std::string_view box_mark(int state) {
    if (state == 0) return "[ ]";
    if (state == 1) return "[x]";
    return "[-]";
}

// What follows a pressable control's number: a box's title, a button's title in brackets, a
// choice's selected item between arrows.
std::string control_label(const ControlSnapshot& control) {
    if (control.kind == ControlKind::button) return "[ " + one_line(control.text) + " ]";
    if (control.kind == ControlKind::choice) return "< " + one_line(control.text) + " >";
    return one_line(control.text);
}

void add_control_lines(std::vector<std::string>& lines, const ControlSnapshot& control,
                       size_t numbers, const ViewOptions& options) {
    if (control.kind == ControlKind::frame) return;
    if (is_pressable(control.kind)) {
        std::string_view mark = control.kind == ControlKind::checkbox ? box_mark(control.state)
                                                                      : std::string_view("   ");
        std::string line = std::string(mark) + " " + right_aligned(control.number, numbers) + "  " +
                           control_label(control);
        lines.push_back(std::string(k_indent) +
                        (control.enabled ? line : styled(line, TextStyle::dim, options.colour)));
        return;
    }
    for (const auto& line : split_lines(printable(control.text)))
        lines.push_back(std::string(k_indent) + line);
}

// Each chart after a blank line, indented like the alert's text.
std::vector<std::string> history_lines(const HistoryCharts& history, ChartRows rows,
                                       const ViewOptions& options) {
    const struct {
        const Chart& chart;
        size_t rows;
    } charts[] = {{history.last_day, rows.charge},
                  {history.last_ten_days, rows.charge},
                  {history.health, rows.health}};
    const size_t width = options.columns - std::min(options.columns, k_indent.size());
    std::vector<std::string> lines;
    for (const auto& [chart, chart_rows] : charts) {
        auto chart_lines = block_chart_lines(chart, {width, chart_rows, options.colour});
        if (chart_lines.empty()) continue;
        lines.emplace_back();
        for (const auto& line : chart_lines)
            lines.push_back(std::string(k_indent) + line);
    }
    return lines;
}

// Rows of the screen that `lines` take, a line wider than the screen wrapping onto more.
size_t screen_rows(const std::vector<std::string>& lines, size_t columns) {
    size_t rows = 0;
    for (const auto& line : lines)
        rows += std::max<size_t>(1, (display_width(line) + columns) / (columns + 1));
    return rows;
}

// The largest charts that fit under `report` on the screen; the captions alone when none does.
void add_history_lines(std::vector<std::string>& report, const HistoryCharts& history,
                       const ViewOptions& options) {
    const size_t used = screen_rows(report, options.columns) + k_live_rows;
    std::vector<std::string> lines;
    for (ChartRows rows : k_chart_rows) {
        lines = history_lines(history, rows, options);
        if (options.rows == 0 || used + lines.size() <= options.rows) break;
    }
    report.insert(report.end(), lines.begin(), lines.end());
}

std::string shortcut_hints(const std::optional<std::vector<MenuItemSnapshot>>& menu) {
    std::string hints;
    if (!menu) return hints;
    for (const auto& item : *menu) {
        if (item.separator || item.key.size() != 1 || !item.enabled) continue;
        std::string title = one_line(item.title);
        while (title.ends_with("."))
            title.pop_back();
        hints += " · " + item.key + " " + title;
    }
    return hints;
}

bool has_button_or_choice(const WindowSnapshot& window) {
    return std::any_of(window.controls.begin(), window.controls.end(), [](const auto& control) {
        return control.kind == ControlKind::button || control.kind == ControlKind::choice;
    });
}

std::string hint_line(const TerminalState& state) {
    if (state.alert) {
        std::string first = state.alert->buttons.empty() ? "OK" : one_line(state.alert->buttons[0]);
        return "Return " + first + " · a number chooses its button";
    }
    if (state.showing_menu()) return "number or letter chooses · Esc closes the menu";
    if (const WindowSnapshot* window = state.focused_window()) {
        if (!has_button_or_choice(*window))
            return "number toggles a box (Return ends it) · c close · m menu";
        return "number ticks, presses or turns a control (Return ends it) · c close · m menu";
    }
    return "m menu" + shortcut_hints(state.menu) + " · s sleep · w wake · t log out";
}

std::string prompt_line(const TerminalState& state, const ViewOptions& options) {
    std::string line =
        std::string(k_indent) + styled(hint_line(state), TextStyle::dim, options.colour);
    if (!state.typed.empty()) line += "  ▸ " + state.typed;
    return line;
}

void append_battery_glyph(std::string& line, const std::optional<std::string>& image,
                          const ViewOptions& options) {
    if (!image) return;
    std::string_view name = file_name(*image);
    for (const auto& picture : k_battery_pictures) {
        if (picture.file == name) {
            line += style_start(picture.style, options.colour);
            line += picture.glyph;
            line += style_end(picture.style, options.colour);
            return;
        }
    }
    line += k_unknown_battery;
}

} // namespace

std::string battery_glyph(const std::optional<std::string>& image, const ViewOptions& options) {
    std::string glyph;
    append_battery_glyph(glyph, image, options);
    return glyph;
}

std::string status_line(const std::optional<StatusSnapshot>& status, const ViewOptions& options) {
    std::string line;
    write_status_line(line, status, options);
    return line;
}

void write_status_line(std::string& line, const std::optional<StatusSnapshot>& status,
                       const ViewOptions& options) {
    line.clear();
    const bool colour = options.colour;
    if (!status) {
        line += style_start(TextStyle::dim, colour);
        line += "(no status item)";
        line += style_end(TextStyle::dim, colour);
        return;
    }
    append_battery_glyph(line, status->image, options);
    if (!status->title.empty()) {
        if (!line.empty()) line += ' ';
        line += style_start(TextStyle::bold, colour);
        append_one_line(line, status->title);
        line += style_end(TextStyle::bold, colour);
    }
    if (status->tooltip && !status->tooltip->empty()) {
        if (!line.empty()) line += ' ';
        line += style_start(TextStyle::dim, colour);
        line += '(';
        append_one_line(line, *status->tooltip);
        line += ')';
        line += style_end(TextStyle::dim, colour);
    }
}

std::string key_equivalent_label(const MenuItemSnapshot& item) {
    if (item.key.empty()) return {};
    std::string label;
    // Menus write the modifiers in the reverse of a shortcut's order: ⌃⌥⇧⌘.
    for (auto row = key_modifiers.rbegin(); row != key_modifiers.rend(); ++row) {
        if (item.modifiers & static_cast<uint8_t>(row->modifier)) label += row->symbol;
    }
    return label + upper(one_line(item.key));
}

std::vector<std::string> menu_lines(const std::vector<MenuItemSnapshot>& items,
                                    const ViewOptions& options) {
    std::vector<std::string> lines;
    size_t numbers = number_width(items);
    size_t titles = title_width(items);
    for (const auto& item : items) {
        if (item.separator) {
            lines.push_back(std::string(k_indent) +
                            styled(k_separator_rule, TextStyle::dim, options.colour));
            continue;
        }
        lines.push_back(menu_item_line(item, numbers, titles, options));
    }
    return lines;
}

std::vector<std::string> window_lines(const WindowSnapshot& window, bool focused,
                                      const ViewOptions& options) {
    std::string heading = "── " + one_line(window.title) + " ──";
    if (focused && window.closable)
        heading += styled("  (c closes)", TextStyle::dim, options.colour);
    std::vector<std::string> lines{styled(heading, TextStyle::bold, options.colour)};
    size_t numbers = static_cast<size_t>(checkbox_width(window));
    for (const auto& control : window.controls)
        add_control_lines(lines, control, numbers, options);
    return lines;
}

std::vector<std::string> alert_text_lines(const AlertSnapshot& alert, const ViewOptions& options) {
    std::string symbol;
    for (const auto& entry : k_icon_symbols) {
        if (entry.icon == alert.icon) symbol = entry.symbol;
    }
    std::vector<std::string> lines{
        styled(symbol + one_line(alert.title), TextStyle::bold, options.colour)};
    if (!alert.text.empty()) {
        for (const auto& line : split_lines(printable(alert.text)))
            lines.push_back(std::string(k_indent) + line);
    }
    if (alert.history) add_history_lines(lines, *alert.history, options);
    return lines;
}

std::string alert_buttons_line(const AlertSnapshot& alert, const ViewOptions& options) {
    std::string line(k_indent);
    std::vector<std::string> buttons = alert.buttons;
    if (buttons.empty()) buttons.emplace_back("OK");
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (i > 0) line += "  ";
        std::string button = "[" + std::to_string(i + 1) + " " + one_line(buttons[i]) + "]";
        line += i == 0 ? styled(button, TextStyle::bold, options.colour) : button;
    }
    return line;
}

std::vector<std::string> render_view(const TerminalState& state, const ViewOptions& options) {
    std::vector<std::string> lines{status_line(state.status, options)};
    std::vector<std::string> below = render_below_status(state, options);
    lines.insert(lines.end(), below.begin(), below.end());
    return lines;
}

std::vector<std::string> render_below_status(const TerminalState& state,
                                             const ViewOptions& options) {
    std::vector<std::string> lines;
    auto append = [&](const std::vector<std::string>& more) {
        lines.insert(lines.end(), more.begin(), more.end());
    };
    if (state.alert) {
        lines.push_back(alert_buttons_line(*state.alert, options));
    } else {
        const WindowSnapshot* focused = state.focused_window();
        for (const WindowSnapshot* window : state.visible_windows())
            append(window_lines(*window, window == focused && !state.showing_menu(), options));
        if (state.showing_menu()) append(menu_lines(*state.menu, options));
    }
    lines.push_back(prompt_line(state, options));
    if (!state.note.empty())
        lines.push_back(std::string(k_indent) +
                        styled(one_line(state.note), TextStyle::warning, options.colour));
    return lines;
}
