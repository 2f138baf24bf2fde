#pragma once
// The event kinds of the runtime's queue. Kinds below EventKindApplicationFirst are the runtime's
// own; the application program posts kinds from EventKindApplicationFirst up, which the queue
// never coalesces. Kind 9 is not used.

#include <cstdint>
#include <string_view>

namespace rt {

inline constexpr int32_t EventKindNone = 0;
inline constexpr int32_t EventKindMenu = 1;
inline constexpr int32_t EventKindCloseWindow = 2;
inline constexpr int32_t EventKindGadget = 3;
inline constexpr int32_t EventKindRepaint = 4;
inline constexpr int32_t EventKindMoveWindow = 5;
inline constexpr int32_t EventKindSizeWindow = 6;
inline constexpr int32_t EventKindActivateWindow = 7;
inline constexpr int32_t EventKindDeactivateWindow = 8;
inline constexpr int32_t EventKindWindowDrop = 10;
inline constexpr int32_t EventKindGadgetDrop = 11;
inline constexpr int32_t EventKindMinimizeWindow = 12;
inline constexpr int32_t EventKindMaximizeWindow = 13;
inline constexpr int32_t EventKindRestoreWindow = 14;
inline constexpr int32_t EventKindTimer = 15;
inline constexpr int32_t EventKindRightClick = 16;
inline constexpr int32_t EventKindLeftClick = 17;
inline constexpr int32_t EventKindLeftDoubleClick = 18;
inline constexpr int32_t EventKindApplicationFirst = 65536;

struct EventKindName {
    int32_t kind;
    std::string_view name;
};

inline constexpr EventKindName event_kind_names[] = {
    {EventKindMenu, "EventKindMenu"},
    {EventKindCloseWindow, "EventKindCloseWindow"},
    {EventKindGadget, "EventKindGadget"},
    {EventKindRepaint, "EventKindRepaint"},
    {EventKindMoveWindow, "EventKindMoveWindow"},
    {EventKindSizeWindow, "EventKindSizeWindow"},
    {EventKindActivateWindow, "EventKindActivateWindow"},
    {EventKindDeactivateWindow, "EventKindDeactivateWindow"},
    {EventKindWindowDrop, "EventKindWindowDrop"},
    {EventKindGadgetDrop, "EventKindGadgetDrop"},
    {EventKindMinimizeWindow, "EventKindMinimizeWindow"},
    {EventKindMaximizeWindow, "EventKindMaximizeWindow"},
    {EventKindRestoreWindow, "EventKindRestoreWindow"},
    {EventKindTimer, "EventKindTimer"},
    {EventKindRightClick, "EventKindRightClick"},
    {EventKindLeftClick, "EventKindLeftClick"},
    {EventKindLeftDoubleClick, "EventKindLeftDoubleClick"},
};

// The kind's name for messages and logs; "" for a kind the runtime does not post (0, 9, the
// application's own).
constexpr std::string_view event_kind_name(int32_t kind) {
    for (const EventKindName& entry : event_kind_names)
        if (entry.kind == kind) return entry.name;
    return {};
}

} // namespace rt
