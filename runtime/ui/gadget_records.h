#pragma once
// The gadget records and what the gadget classes share about them: the record layout, the table
// and the freeing a dying view runs. Programs use gadgets.h.

#include "runtime/core/object_table_of.h"
#include "runtime/ui/gadgets.h"

#include <cstdint>

class KXGadgetFunctions;
class NSView;

namespace rt {

// One gadget's record. Plain memory that the table zeroes when the gadget goes, so raw pointers:
// the view and container belong to their superview (or, for a gadget made with no gadget list
// to place it in, to the record: see `holds_view`), the behaviour object to the record.
struct GadgetRecord {
    NSView* view;                 // the liveness mark
    NSView* container;            // the outermost view, placed in the parent view
    KXGadgetFunctions* functions; // owned
    int64_t window;               // the window the gadget was made in; -1 for none
    int32_t type;
    int32_t flags;
    int32_t holds_view; // non-zero: the record holds the container's only reference
};

inline constexpr uint32_t GadgetRecordSize = 48;
inline constexpr int32_t GadgetTableGrowthStep = 16;
static_assert(sizeof(GadgetRecord) <= GadgetRecordSize);

// For the gadget classes: the table (null before InitGadgets), the live record of a number, and
// the freeing a view runs when it is deallocated with its gadget still alive (only when the
// record still names that view).
ObjectTableOf<GadgetRecord, GadgetRecordSize>& gadget_table();
GadgetRecord* gadget_record(int64_t number);
void free_gadget_of_dying_view(int64_t number, NSView* view);

} // namespace rt
