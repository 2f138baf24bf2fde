#include "platform/display/desktop/bus_request_limits.h"

#include <gio/gio.h>
#include <malloc.h>

#include <vector>

namespace {

constexpr const char* k_limits_exceeded = "org.freedesktop.DBus.Error.LimitsExceeded";
// GDBus has read and parsed the whole message before the filter sees it, into as many small
// blocks as the message has values; once a message this large is let go, the heap's free pages
// are handed back so that the process returns to its size. (GLib before 2.76 takes most of those
// blocks from GSlice, which keeps them for its thread unless G_SLICE=always-malloc is set.)
constexpr size_t k_trim_after_bytes = 256 * 1024;
constexpr unsigned k_trim_delay_ms = 100;

std::optional<std::string> list_refusal(const BusRequest& request, size_t argument, size_t length) {
    std::string_view what = "elements";
    size_t most = k_most_list_elements;
    for (const ListBound& bound : k_list_bounds) {
        if (bound.interface == request.interface && bound.member == request.member &&
            bound.argument == argument) {
            what = bound.what;
            most = bound.most;
        }
    }
    if (length <= most) return std::nullopt;
    return std::string(request.member) + ": argument " + std::to_string(argument + 1) + " lists " +
           std::to_string(length) + " " + std::string(what) + "; at most " + std::to_string(most) +
           " are answered";
}

// The lengths of the body's list arguments: GDBus has built the body's values already, so a
// list knows its length.
std::vector<std::optional<size_t>> list_lengths_of(GVariant* body) {
    std::vector<std::optional<size_t>> lengths;
    if (!body || !g_variant_is_container(body)) return lengths;
    const size_t count = g_variant_n_children(body);
    for (size_t i = 0; i < count; ++i) {
        GVariant* argument = g_variant_get_child_value(body, i);
        if (g_variant_is_of_type(argument, G_VARIANT_TYPE_ARRAY))
            lengths.emplace_back(g_variant_n_children(argument));
        else
            lengths.emplace_back(std::nullopt);
        g_variant_unref(argument);
    }
    return lengths;
}

std::optional<std::string> refusal_of(GDBusMessage* message) {
    GVariant* body = g_dbus_message_get_body(message);
    const char* interface = g_dbus_message_get_interface(message);
    const char* member = g_dbus_message_get_member(message);
    std::vector<std::optional<size_t>> lengths = list_lengths_of(body);
    return bus_request_refusal(BusRequest{.interface = interface ? interface : "",
                                          .member = member ? member : "",
                                          .argument_bytes = body ? g_variant_get_size(body) : 0,
                                          .list_lengths = lengths});
}

void answer_refusal(GDBusConnection* bus, GDBusMessage* call, const std::string& reason) {
    if (g_dbus_message_get_flags(call) & G_DBUS_MESSAGE_FLAGS_NO_REPLY_EXPECTED) return;
    GDBusMessage* reply =
        g_dbus_message_new_method_error_literal(call, k_limits_exceeded, reason.c_str());
    g_dbus_connection_send_message(bus, reply, G_DBUS_SEND_MESSAGE_FLAGS_NONE, nullptr, nullptr);
    g_object_unref(reply);
}

// The message is let go only after the filters, when the worker's own reference to it goes and
// its values are freed; a moment later on the worker's context the heap is trimmed.
void trim_heap_after_message() {
    GSource* later = g_timeout_source_new(k_trim_delay_ms);
    auto trim = [](gpointer) -> gboolean {
        malloc_trim(0);
        return G_SOURCE_REMOVE;
    };
    g_source_set_callback(later, +trim, nullptr, nullptr);
    g_source_attach(later, g_main_context_get_thread_default());
    g_source_unref(later);
}

// Runs on GDBus's worker thread, for every message in and out, while the main thread may be
// answering earlier calls: it reads nothing but the message and the constant bounds, and what it
// calls may be called from any thread (g_dbus_connection_send_message, malloc_trim).
GDBusMessage* refuse_over_bounds(GDBusConnection* bus, GDBusMessage* message, gboolean incoming,
                                 gpointer) {
    if (!incoming || g_dbus_message_get_message_type(message) != G_DBUS_MESSAGE_TYPE_METHOD_CALL)
        return message;
    std::optional<std::string> refusal = refusal_of(message);
    if (!refusal) return message;
    answer_refusal(bus, message, *refusal);
    GVariant* body = g_dbus_message_get_body(message);
    if (body && g_variant_get_size(body) >= k_trim_after_bytes) trim_heap_after_message();
    g_object_unref(message);
    return nullptr;
}

} // namespace

std::optional<std::string> bus_request_refusal(const BusRequest& request) {
    for (size_t i = 0; i < request.list_lengths.size(); ++i) {
        if (!request.list_lengths[i]) continue;
        if (auto refusal = list_refusal(request, i, *request.list_lengths[i])) return refusal;
    }
    if (request.argument_bytes <= k_most_argument_bytes) return std::nullopt;
    return std::string(request.member) + ": the arguments take " +
           std::to_string(request.argument_bytes) + " bytes; at most " +
           std::to_string(k_most_argument_bytes) + " are taken";
}

// The filter holds no data, so one still running on the worker thread after it was removed
// touches nothing that is gone.
BusRequestLimits::BusRequestLimits(GDBusConnection* bus)
    : m_bus(bus),
      m_filter(g_dbus_connection_add_filter(bus, refuse_over_bounds, nullptr, nullptr)) {}

BusRequestLimits::~BusRequestLimits() {
    g_dbus_connection_remove_filter(m_bus, m_filter);
}
