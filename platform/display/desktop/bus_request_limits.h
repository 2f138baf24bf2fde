#pragma once
// Bounds on what one method call from another program on the session bus may ask of the desktop
// display. libdbusmenu answers a request in full however many ids, property names or events it
// lists, and the heap it grows for a large answer stays with the process after the answer has
// gone; any program on the session bus could grow the indicator that way. So every incoming call
// is weighed before it is dispatched, and a call over its bounds is answered with
// org.freedesktop.DBus.Error.LimitsExceeded and never reaches the menu or the item. The bounds are
// far beyond any panel: the menu has about a dozen items, and a panel asks for a handful of
// properties. The message itself has been read by then; see BusRequestLimits.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct _GDBusConnection;

// A list argument of one method, by its place among the call's arguments.
struct ListBound {
    std::string_view interface;
    std::string_view member;
    size_t argument;
    std::string_view what; // what its elements are, for the error's text
    size_t most;
};

inline constexpr std::string_view k_dbusmenu_interface = "com.canonical.dbusmenu";
inline constexpr ListBound k_list_bounds[] = {
    {k_dbusmenu_interface, "GetLayout", 2, "property names", 64},
    {k_dbusmenu_interface, "GetGroupProperties", 0, "ids", 1024},
    {k_dbusmenu_interface, "GetGroupProperties", 1, "property names", 64},
    {k_dbusmenu_interface, "AboutToShowGroup", 0, "ids", 1024},
    {k_dbusmenu_interface, "EventGroup", 0, "events", 1024},
};
// Any other list argument of any call.
inline constexpr size_t k_most_list_elements = 64;
// All of a call's arguments together, in their form on the bus: an Event's data, a long name.
inline constexpr size_t k_most_argument_bytes = 64 * 1024;

// A method call as the bounds see it.
struct BusRequest {
    std::string_view interface;
    std::string_view member;
    size_t argument_bytes = 0;
    // For each of the call's arguments in order, its number of elements when it is a list
    // (an array or a dictionary), else null.
    std::span<const std::optional<size_t>> list_lengths = {};
};

// Null when `request` is within its bounds; else why not, as the error reply's text.
std::optional<std::string> bus_request_refusal(const BusRequest& request);

// Holds the bounds on `bus` while it lives: a message filter that answers every call over its
// bounds itself. The filter runs on GDBus's worker thread for every message in and out, so it
// keeps no state and touches nothing of the display; a large refused message is followed by a
// trim of the heap on that thread. `bus` is borrowed and must outlive it.
class BusRequestLimits {
  public:
    explicit BusRequestLimits(_GDBusConnection* bus);
    ~BusRequestLimits();
    BusRequestLimits(const BusRequestLimits&) = delete;
    BusRequestLimits& operator=(const BusRequestLimits&) = delete;

  private:
    _GDBusConnection* m_bus;
    unsigned m_filter;
};
