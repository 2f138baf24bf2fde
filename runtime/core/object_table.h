#pragma once
// The object registry: every kind of object that a program addresses by number (windows,
// gadgets, menus, images, files ...) lives in an object table of its own, which maps the number
// to a fixed-size record that the kind's own code fills.
//
// A number has two forms. A fixed number, chosen by the program, indexes a slot array: the
// record is allocated on first use and stays allocated for the life of the table; releasing the
// object only zeroes it. AutoNumber asks the table to choose: the record then lives in a node of
// a doubly linked list (newest at the head), and its number is the record's own address, which
// never collides with a fixed number because fixed numbers stay below MaximumSlotCount and no
// heap address does. A set of the live AutoNumber records beside the list lets a lookup reject
// any number that is neither, in constant time.
//
// A record's first word is its liveness mark: the object exists exactly when it is non-zero.
// The creator of an object must set it before returning to the program.
//
// Tables have no lock: they are used on one thread, apart from CreateObjectTableOnce.

#include <cstdint>

namespace rt {

using ObjectNumber = int64_t;
inline constexpr ObjectNumber AutoNumber = -1;

// Fixed numbers run from 0 to MaximumSlotCount - 1; the slot array never grows past it. Heap
// addresses on this platform start well above it, so AutoNumber numbers stay out of its range.
inline constexpr int64_t MaximumSlotCount = int64_t{1} << 22;

// The kind's operation that destroys one object and releases its number (through
// ReleaseObject). Called with the number of an object that may already be dead, in which case it
// must do nothing. Its result, if the kind has one, plays no part here.
using FreeObjectProcedure = void (*)(ObjectNumber number);

struct ObjectTable;

// A table whose slot array starts with `growth_step` entries; null when allocation fails, when
// the record cannot hold the 8-byte liveness mark or when the growth step is outside
// 1..MaximumSlotCount.
ObjectTable* CreateObjectTable(uint32_t record_size, int32_t growth_step,
                               FreeObjectProcedure free_procedure);
// Creates the table into `*table` unless it is already set, under one process-wide lock;
// returns `*table` (null if creation failed).
ObjectTable* CreateObjectTableOnce(ObjectTable** table, uint32_t record_size, int32_t growth_step,
                                   FreeObjectProcedure free_procedure);
// Frees the table itself with every record and node, without calling the free procedure.
// Tables live as long as the process; this is for tests and for tools that build and drop one.
void DestroyObjectTable(ObjectTable* table);

// The record for a new object under `number`: a zeroed record. An object still live under a
// fixed number is freed first through the free procedure. Null when allocation fails, for a
// negative number other than AutoNumber, or for a fixed number of MaximumSlotCount or more.
void* AllocateObject(ObjectTable* table, ObjectNumber number);
// The live record for `number`, or null. Numbers that are no fixed slot and no listed AutoNumber
// record are rejected without being followed.
void* LookupObject(const ObjectTable* table, ObjectNumber number);
// For a fixed number, the live record or null; for a listed AutoNumber object, its record (the
// number itself) whether or not its mark is set; otherwise null.
void* ValidateObject(const ObjectTable* table, ObjectNumber number);
// Forgets the object: zeroes a fixed record, unlinks and frees an AutoNumber node. A number
// that names neither is ignored.
void ReleaseObject(ObjectTable* table, ObjectNumber number);
// Frees every live object through the free procedure: fixed numbers ascending, then AutoNumber
// objects newest first. Nothing happens when the table has no free procedure.
void FreeAllObjects(ObjectTable* table);

// Enumeration: fixed numbers ascending, then AutoNumber objects oldest first. Objects released
// during an enumeration are skipped safely; objects created during it may or may not be visited.
void ResetObjectEnumeration(ObjectTable* table);
// The next live record with its number stored in `*number`, or null at the end.
void* NextObject(ObjectTable* table, ObjectNumber* number);

// Introspection for tests and benchmarks.
struct ObjectTableStats {
    int64_t slot_count;
    int64_t auto_object_count; // AutoNumber objects in the list
};
ObjectTableStats GetObjectTableStats(const ObjectTable* table);

} // namespace rt
