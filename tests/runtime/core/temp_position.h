#pragma once
// Where the temporary area's next allocation goes, for tests that check it is given back.

#include "runtime/core/temp_area.h"

inline rt::TempOffset current_temp_position() {
    return rt::GetTempAreaStats().position;
}
