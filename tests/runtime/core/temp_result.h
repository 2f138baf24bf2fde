#pragma once
// Runs a call that writes a string result at a result offset as an expression being evaluated
// would: above a live temporary whose terminator belongs to it. Checks the result protocol (the
// result starts at the offset, a zero unit at the position ends it, the live temporary is left
// alone) and gives the result's units.

#include "runtime/core/temp_area.h"

#include <gtest/gtest.h>

#include <string>

namespace rt {

template <class Produce>
std::u16string result_above_live(Produce produce) {
    InitStrings();
    AppendTemp(u"live");
    ReserveTemp(1, GetTempAreaStats().position);
    const TempOffset p = GetTempAreaStats().position;
    const char16_t* result = produce(p);
    const TempOffset end = GetTempAreaStats().position;
    EXPECT_EQ(result, TempAddress(p + 1)) << "the result is not at its offset";
    EXPECT_EQ(*TempAddress(end + 1), 0) << "no terminator at the position";
    EXPECT_EQ(std::u16string(TempAddress(1)), u"live") << "written below the result offset";
    return std::u16string(TempAddress(p + 1), static_cast<size_t>(end - p) / 2);
}

} // namespace rt
