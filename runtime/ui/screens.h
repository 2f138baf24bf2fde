#pragma once
// The displays and the pointer in the program's top-left coordinates, and the table of one-object
// records. ScanScreens remembers how many displays there are; the per-display functions answer for
// indexes below that count only, and 0 for any other index or for a display that has gone since.

#include "runtime/core/object_table_of.h"

#include <cstdint>

class NSObject;

namespace rt {

// Start-up: nothing to read while high-resolution scaling is off, as it is in this program.
int InitScreens();

int64_t ScanScreens();
int64_t ScreenLeft(int64_t index);
int64_t ScreenTop(int64_t index);
int64_t ScreenWidth(int64_t index);
int64_t ScreenHeight(int64_t index);
int64_t GlobalMouseX();
int64_t GlobalMouseY();
// The value unchanged while high-resolution scaling is off.
int64_t ScaleToDevice(int64_t value);
// The display holding the pointer, the highest index on shared edges; -1 without displays; 0
// when none holds it.
int64_t ScreenUnderMouse();

// The one-object records: each holds one native object, released when the record is freed.
int InitObjectRecords();
void EndObjectRecords();
ObjectTableOf<NSObject*>& object_record_table();

} // namespace rt
