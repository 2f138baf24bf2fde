#include "platform/display/driver/driver_output.h"

#include "platform/display/driver/json_text.h"
#include "platform/display/keyboard.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <string_view>

namespace {

// Builds one JSON object field by field: {"event":..,"t":..,...}.
class JsonObject {
  public:
    JsonObject() { m_text = "{"; }
    JsonObject(std::string_view event, int64_t t) {
        m_text = "{";
        string("event", event);
        integer("t", t);
    }

    JsonObject& string(std::string_view name, std::string_view value) {
        append_json_string(key(name), value);
        return *this;
    }
    JsonObject& optional_string(std::string_view name, const std::optional<std::string>& value) {
        if (!value) return raw(name, "null");
        return string(name, *value);
    }
    JsonObject& integer(std::string_view name, int64_t value) {
        return raw(name, std::to_string(value));
    }
    JsonObject& number(std::string_view name, double value);
    JsonObject& boolean(std::string_view name, bool value) {
        return raw(name, value ? "true" : "false");
    }
    JsonObject& raw(std::string_view name, std::string_view json) {
        key(name) += json;
        return *this;
    }
    std::string finish() { return m_text + "}"; }

  private:
    std::string& key(std::string_view name) {
        if (m_text.size() > 1) m_text += ',';
        append_json_string(m_text, name);
        m_text += ':';
        return m_text;
    }

    std::string m_text;
};

// Whole numbers print without a fraction; JSON has no infinities, so those print as null.
std::string json_number(double value) {
    if (!std::isfinite(value)) return "null";
    std::array<char, 32> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

JsonObject& JsonObject::number(std::string_view name, double value) {
    return raw(name, json_number(value));
}

std::string string_array(const std::vector<std::string>& values) {
    std::string json = "[";
    for (const auto& value : values) {
        if (json.size() > 1) json += ',';
        append_json_string(json, value);
    }
    return json + "]";
}

std::vector<std::string> modifier_names(uint8_t modifiers) {
    std::vector<std::string> found;
    for (const KeyModifierRow& row : key_modifiers) {
        if (modifiers & static_cast<uint8_t>(row.modifier)) found.emplace_back(row.name);
    }
    return found;
}

std::string menu_item_json(const MenuItemSnapshot& item) {
    if (item.separator) return JsonObject().boolean("separator", true).finish();
    return JsonObject()
        .integer("number", item.number)
        .string("title", item.title)
        .string("key", item.key)
        .raw("modifiers", string_array(modifier_names(item.modifiers)))
        .boolean("enabled", item.enabled)
        .finish();
}

JsonObject& rect_fields(JsonObject& object, const ScreenRect& rect) {
    return object.number("x", rect.x)
        .number("y", rect.y)
        .number("width", rect.width)
        .number("height", rect.height);
}

constexpr std::array<std::string_view, 5> control_kind_names = {"checkbox", "text", "frame",
                                                                "button", "choice"};
constexpr std::array<std::string_view, 2> level_names = {"normal", "floating"};
constexpr std::array<std::string_view, 4> icon_names = {"caution", "stop", "note", "app"};

std::string control_json(const ControlSnapshot& control) {
    JsonObject object;
    object.integer("number", control.number)
        .string("kind", control_kind_names[static_cast<size_t>(control.kind)])
        .string("text", control.text)
        .integer("state", control.state);
    rect_fields(object, control.frame);
    if (control.kind == ControlKind::choice) object.raw("items", string_array(control.items));
    // Only a disabled control says so, so that the lines of enabled ones stay as they were.
    if (!control.enabled) object.boolean("enabled", false);
    return object.finish();
}

template <typename T, typename Format>
std::string json_array(const std::vector<T>& values, Format format) {
    std::string json = "[";
    for (const auto& value : values) {
        if (json.size() > 1) json += ',';
        json += format(value);
    }
    return json + "]";
}

// ---- the history's charts ----

std::string point_json(const ChartPoint& point) {
    return "[" + std::to_string(point.time) + "," + json_number(point.value) + "]";
}

std::string points_json(const std::vector<ChartPoint>& points) {
    return json_array(points, point_json);
}

std::string span_json(const ChartSpan& span) {
    return "[" + std::to_string(span.from) + "," + std::to_string(span.to) + "]";
}

std::string tick_json(const ChartTick& tick) {
    return JsonObject().integer("time", tick.time).string("label", tick.label).finish();
}

std::string chart_json(const Chart& chart) {
    return JsonObject()
        .string("title", chart.title)
        .integer("from", chart.from)
        .integer("to", chart.to)
        .number("low", chart.low)
        .number("high", chart.high)
        .string("unit", chart.unit)
        .raw("ticks", json_array(chart.ticks, tick_json))
        .raw("runs", json_array(chart.runs, points_json))
        .raw("marked", json_array(chart.marked, span_json))
        .raw("trend", points_json(chart.trend))
        .string("caption", chart.caption)
        .finish();
}

std::string charts_json(const HistoryCharts& charts) {
    return JsonObject()
        .raw("last_day", chart_json(charts.last_day))
        .raw("last_ten_days", chart_json(charts.last_ten_days))
        .raw("health", chart_json(charts.health))
        .finish();
}

} // namespace

std::string status_line(int64_t t, const StatusSnapshot& status) {
    return JsonObject("status", t)
        .optional_string("image", status.image)
        .boolean("template", status.is_template)
        .string("title", status.title)
        .optional_string("tooltip", status.tooltip)
        .finish();
}

std::string menu_line(int64_t t, const std::vector<MenuItemSnapshot>& items) {
    return JsonObject("menu", t).raw("items", json_array(items, menu_item_json)).finish();
}

std::string window_line(int64_t t, const WindowSnapshot& window) {
    JsonObject object("window", t);
    object.integer("number", window.number).string("title", window.title);
    rect_fields(object, window.content)
        .boolean("visible", window.visible)
        .boolean("key", window.key)
        .string("level", level_names[static_cast<size_t>(window.level)])
        .raw("controls", json_array(window.controls, control_json));
    return object.finish();
}

std::string window_closed_line(int64_t t, int number) {
    return JsonObject("window", t).integer("number", number).boolean("closed", true).finish();
}

std::string alert_line(int64_t t, const AlertSnapshot& alert) {
    return JsonObject("alert", t)
        .string("title", alert.title)
        .string("text", alert.text)
        .string("icon", icon_names[static_cast<size_t>(alert.icon)])
        .raw("buttons", string_array(alert.buttons))
        .finish();
}

std::string sound_line(int64_t t, int id) {
    return JsonObject("sound", t).integer("id", id).finish();
}

std::string notification_line(int64_t t, const NotificationSnapshot& notification) {
    return JsonObject("notification", t)
        .string("kind", notification.kind)
        .string("title", notification.title)
        .string("text", notification.text)
        .boolean("urgent", notification.urgent)
        .finish();
}

std::string open_line(int64_t t, const std::string& url) {
    return JsonObject("open", t).string("url", url).finish();
}

std::string exit_line(int64_t t, int status) {
    return JsonObject("exit", t).integer("status", status).finish();
}

std::string error_line(int64_t t, const std::string& command, const std::string& message) {
    return JsonObject("error", t).string("command", command).string("message", message).finish();
}

std::string end_line(int64_t t) {
    return JsonObject("end", t).finish();
}

std::string history_line(int64_t t, const HistoryCharts* charts) {
    return JsonObject("history", t).raw("history", charts ? charts_json(*charts) : "null").finish();
}

void DriverOutput::window_closed(int number) {
    auto found = m_windows.find(number);
    if (found == m_windows.end()) return;
    found->second.current.reset();
}

void DriverOutput::set_alert(const std::optional<AlertSnapshot>& alert) {
    m_alert = alert;
    m_alert_written = false;
}

const WindowSnapshot* DriverOutput::window(int number) const {
    auto found = m_windows.find(number);
    if (found == m_windows.end() || !found->second.current) return nullptr;
    return &*found->second.current;
}

std::vector<int> DriverOutput::window_numbers() const {
    std::vector<int> numbers;
    for (const auto& [number, window] : m_windows) {
        if (window.current) numbers.push_back(number);
    }
    return numbers;
}

void DriverOutput::write_changes() {
    write_status(false);
    write_menu(false);
    write_windows(false);
    write_alert(false);
}

void DriverOutput::write_all() {
    write_status(true);
    write_menu(true);
    write_windows(true);
    write_alert(true);
}

void DriverOutput::write_line(const std::string& line) {
    if (m_failure.happened()) return;
    errno = 0;
    m_out << line << '\n';
    m_out.flush();
    if (!m_out) m_failure.note(errno);
}

void DriverOutput::write_status(bool all) {
    const bool changed = m_status.catch_up();
    if (m_status.current && (all || changed))
        write_line(status_line(m_clock.now_ms(), *m_status.current));
}

void DriverOutput::write_menu(bool all) {
    const bool changed = m_menu.catch_up();
    if (m_menu.current && (all || changed))
        write_line(menu_line(m_clock.now_ms(), *m_menu.current));
}

// A window is written while it is visible, and once more when it is hidden or closed after a
// person has seen it; `written` stays null until then.
void DriverOutput::write_windows(bool all) {
    for (auto it = m_windows.begin(); it != m_windows.end();) {
        auto& [number, window] = *it;
        if (!window.current) {
            if (window.written) write_line(window_closed_line(m_clock.now_ms(), number));
            it = m_windows.erase(it);
            continue;
        }
        bool seen = window.written && window.written->visible;
        bool changed = all || window.current != window.written;
        if (changed && (window.current->visible || seen)) {
            write_line(window_line(m_clock.now_ms(), *window.current));
            window.written = window.current;
        }
        ++it;
    }
}

void DriverOutput::write_alert(bool all) {
    if (m_alert && (all || !m_alert_written)) write_line(alert_line(m_clock.now_ms(), *m_alert));
    m_alert_written = m_alert.has_value();
}
