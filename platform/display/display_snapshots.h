#pragma once
// What the model shows, as the plain snapshots it hands a display at every visible change, in
// top-left screen coordinates (y grows downwards) and points.

#include "platform/display/history_charts.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A rectangle in top-left screen coordinates (y grows downwards), in points.
struct ScreenRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    bool operator==(const ScreenRect&) const = default;
};

struct ScreenPoint {
    double x = 0;
    double y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// An image's picture as 8-bit RGBA samples with straight alpha, rows from the top, at its size in
// points (`width` × `height`) and in pixels (`pixels_wide` × `pixels_high`).
struct ImagePixels {
    double width = 0;
    double height = 0;
    int pixels_wide = 0;
    int pixels_high = 0;
    std::vector<uint8_t> rgba;
};

struct StatusSnapshot {
    // File name of the picture the shown image was drawn from; null when there is no image or
    // it was not drawn from a file.
    std::optional<std::string> image;
    bool is_template = false;
    std::string title;
    std::optional<std::string> tooltip;
    // The shown image's pixels; null when there is no image or its pixels cannot be read. They
    // are never changed once made, so snapshots compare them by identity and stay cheap to
    // compare at every refresh.
    std::shared_ptr<const ImagePixels> pixels = nullptr;
    bool operator==(const StatusSnapshot&) const = default;
};

struct MenuItemSnapshot {
    bool separator = false;
    int number = 0;
    std::string title;
    std::string key;       // key equivalent, empty when none
    uint8_t modifiers = 0; // KeyModifier bits
    bool enabled = true;
    bool operator==(const MenuItemSnapshot&) const = default;
};

enum class ControlKind : uint8_t { checkbox, text, frame, button, choice };

struct ControlSnapshot {
    int number = 0;
    ControlKind kind = ControlKind::text;
    std::string text;               // a choice's: the selected item's title
    int state = 0;                  // a check box's state; a choice's selected index, -1 for none
    ScreenRect frame;               // in top-left screen coordinates
    std::vector<std::string> items; // a choice's item titles, in order
    bool enabled = true;
    bool operator==(const ControlSnapshot&) const = default;
};

enum class WindowLevel : uint8_t { normal, floating };

struct WindowSnapshot {
    int number = 0;
    std::string title;
    ScreenRect content;
    bool visible = false;
    bool key = false;
    bool closable = true; // has a close button that `close` may press
    WindowLevel level = WindowLevel::normal;
    std::vector<ControlSnapshot> controls; // in creation order
    bool operator==(const WindowSnapshot&) const = default;
};

enum class AlertIcon : uint8_t { caution, stop, note, app };

// A passing notice about the battery, such as a low charge. A display shows one at a time: each
// takes the place of the one before.
struct NotificationSnapshot {
    std::string kind; // "low", "critical", "full"
    std::string title;
    std::string text;
    bool urgent = false;
    bool operator==(const NotificationSnapshot&) const = default;
};

struct AlertSnapshot {
    std::string title; // message text
    std::string text;  // informative text
    AlertIcon icon = AlertIcon::app;
    std::vector<std::string> buttons; // titles, in order; button 1 is the first
    // Shown below the text; null for every alert but the battery's information, and when there
    // is no history. Compared by identity, like a status picture's pixels.
    std::shared_ptr<const HistoryCharts> history = nullptr;
    bool operator==(const AlertSnapshot&) const = default;
};
