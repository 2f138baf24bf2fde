#include "platform/display/desktop/bus_request_limits.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::nullopt_t no = std::nullopt; // an argument that is no list

// Each list is held to its own bound (the general one outside the table), then all the
// arguments together to theirs; a refusal names the first list over its bound.
TEST(BusRequestLimits, HoldsEachListToItsBoundThenTheArgumentsToTheirSize) {
    struct Row {
        struct {
            std::string_view interface, member;
            size_t bytes;
            std::vector<std::optional<size_t>> lengths;
        } call;
        const char* refusal; // after "<member>: "; null: answered
    };
    const std::string_view menu = k_dbusmenu_interface, item = "org.kde.StatusNotifierItem";
    const size_t most_bytes = k_most_argument_bytes;
    const Row rows[] = {
        {{menu, "GetLayout", 40, {no, no, 0}}, nullptr},
        {{menu, "GetLayout", 400, {no, no, 64}}, nullptr},
        {{menu, "GetLayout", 500, {no, no, 65}},
         "argument 3 lists 65 property names; at most 64 are answered"},
        {{menu, "GetLayout", 300, {65, no, 0}},
         "argument 1 lists 65 elements; at most 64 are answered"},
        {{menu, "GetGroupProperties", 4200, {1024, 64}}, nullptr},
        {{menu, "GetGroupProperties", 4200, {1025, 0}},
         "argument 1 lists 1025 ids; at most 1024 are answered"},
        {{menu, "GetGroupProperties", 500, {11, 65}},
         "argument 2 lists 65 property names; at most 64 are answered"},
        {{menu, "AboutToShowGroup", 4100, {1024}}, nullptr},
        {{menu, "AboutToShowGroup", 4104, {1025}},
         "argument 1 lists 1025 ids; at most 1024 are answered"},
        {{menu, "EventGroup", 40000, {1024}}, nullptr},
        {{menu, "EventGroup", 40040, {1025}},
         "argument 1 lists 1025 events; at most 1024 are answered"},
        {{"org.example.Other", "EventGroup", 4000, {65}},
         "argument 1 lists 65 elements; at most 64 are answered"},
        {{menu, "Event", 400, {no, no, 64, no}}, nullptr},
        {{menu, "Event", most_bytes, {no}}, nullptr},
        {{menu, "Event", most_bytes + 1, {no}},
         "the arguments take 65537 bytes; at most 65536 are taken"},
        {{item, "Activate", 8, {no, no}}, nullptr},
        {{item, "ContextMenu", 4000, {1000}},
         "argument 1 lists 1000 elements; at most 64 are answered"},
        {{item, "Scroll", 4 << 20, {}},
         "the arguments take 4194304 bytes; at most 65536 are taken"},
        {{"org.freedesktop.DBus.Introspectable", "Introspect", 0, {}}, nullptr},
        {{menu, "GetLayout", 120000, {no, no, 10000}},
         "argument 3 lists 10000 property names; at most 64 are answered"},
    };
    for (const Row& row : rows) {
        const std::optional<std::string> refusal =
            bus_request_refusal({.interface = row.call.interface,
                                 .member = row.call.member,
                                 .argument_bytes = row.call.bytes,
                                 .list_lengths = row.call.lengths});
        EXPECT_EQ(refusal, row.refusal
                               ? std::optional(std::string(row.call.member) + ": " + row.refusal)
                               : std::nullopt)
            << row.call.member << " with " << row.call.bytes << " bytes";
    }
}

} // namespace
