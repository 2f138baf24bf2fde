#include "platform/display/desktop/bus_request_limits.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using LimitLengths = std::vector<std::optional<size_t>>;

struct LimitRow {
    std::string_view interface;
    std::string_view member;
    size_t bytes;
    LimitLengths lengths;
    std::optional<std::string> refusal; // null: answered
};

void check_limit_rows(const std::vector<LimitRow>& rows) {
    for (const LimitRow& row : rows) {
        std::optional<std::string> refusal = bus_request_refusal({.interface = row.interface,
                                                                  .member = row.member,
                                                                  .argument_bytes = row.bytes,
                                                                  .list_lengths = row.lengths});
        EXPECT_EQ(refusal, row.refusal) << row.member << " with " << row.bytes << " bytes";
    }
}

constexpr std::string_view k_limits_menu = k_dbusmenu_interface;

TEST(BusRequestLimits, AnswersWhatPanelsAskForUpToEachListsBound) {
    check_limit_rows({
        {k_limits_menu, "GetLayout", 40, {std::nullopt, std::nullopt, 0}, std::nullopt},
        {k_limits_menu, "GetLayout", 400, {std::nullopt, std::nullopt, 64}, std::nullopt},
        {k_limits_menu, "GetGroupProperties", 4200, {1024, 64}, std::nullopt},
        {k_limits_menu, "AboutToShowGroup", 4100, {1024}, std::nullopt},
        {k_limits_menu, "EventGroup", 40000, {1024}, std::nullopt},
        {k_limits_menu,
         "Event",
         30,
         {std::nullopt, std::nullopt, std::nullopt, std::nullopt},
         std::nullopt},
        {"org.kde.StatusNotifierItem", "Activate", 8, {std::nullopt, std::nullopt}, std::nullopt},
        // No arguments at all.
        {"org.freedesktop.DBus.Introspectable", "Introspect", 0, {}, std::nullopt},
    });
}

TEST(BusRequestLimits, RefusesEachListOneOverItsBoundNamingTheList) {
    check_limit_rows({
        {k_limits_menu,
         "GetLayout",
         500,
         {std::nullopt, std::nullopt, 65},
         "GetLayout: argument 3 lists 65 property names; at most 64 are answered"},
        {k_limits_menu,
         "GetGroupProperties",
         4200,
         {1025, 0},
         "GetGroupProperties: argument 1 lists 1025 ids; at most 1024 are answered"},
        {k_limits_menu,
         "GetGroupProperties",
         500,
         {11, 65},
         "GetGroupProperties: argument 2 lists 65 property names; at most 64 are answered"},
        {k_limits_menu,
         "AboutToShowGroup",
         4104,
         {1025},
         "AboutToShowGroup: argument 1 lists 1025 ids; at most 1024 are answered"},
        {k_limits_menu,
         "EventGroup",
         40040,
         {1025},
         "EventGroup: argument 1 lists 1025 events; at most 1024 are answered"},
    });
}

// A list a method does not expect there, or a method of another interface with the same name,
// has the general bound.
TEST(BusRequestLimits, HoldsListsOutsideTheTableToTheGeneralBound) {
    check_limit_rows({
        {k_limits_menu,
         "GetLayout",
         300,
         {65, std::nullopt, 0},
         "GetLayout: argument 1 lists 65 elements; at most 64 are answered"},
        {k_limits_menu, "Event", 400, {std::nullopt, std::nullopt, 64, std::nullopt}, std::nullopt},
        {"org.example.Other",
         "EventGroup",
         4000,
         {65},
         "EventGroup: argument 1 lists 65 elements; at most 64 are answered"},
        {"org.kde.StatusNotifierItem",
         "ContextMenu",
         4000,
         {1000},
         "ContextMenu: argument 1 lists 1000 elements; at most 64 are answered"},
    });
}

TEST(BusRequestLimits, RefusesArgumentsOverTheirSizeAfterTheirLists) {
    check_limit_rows({
        {k_limits_menu, "Event", k_most_argument_bytes, {std::nullopt}, std::nullopt},
        {k_limits_menu,
         "Event",
         k_most_argument_bytes + 1,
         {std::nullopt},
         "Event: the arguments take 65537 bytes; at most 65536 are taken"},
        {"org.kde.StatusNotifierItem",
         "Scroll",
         4 << 20,
         {},
         "Scroll: the arguments take 4194304 bytes; at most 65536 are taken"},
        // Both over: the list is named.
        {k_limits_menu,
         "GetLayout",
         120000,
         {std::nullopt, std::nullopt, 10000},
         "GetLayout: argument 3 lists 10000 property names; at most 64 are answered"},
    });
}

} // namespace
