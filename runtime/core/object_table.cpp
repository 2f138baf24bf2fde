#include "runtime/core/object_table.h"

#include "runtime/core/locks.h"
#include "runtime/core/memory.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_set>

namespace rt {

namespace {

// An AutoNumber object: two links, then the record, whose address is the object's number.
struct ObjectNode {
    ObjectNode* next;     // towards older objects
    ObjectNode* previous; // towards newer objects
};
static_assert(sizeof(ObjectNode) == 16);

} // namespace

struct ObjectTable {
    uint32_t record_size = 0;
    int32_t growth_step = 0;
    int64_t slot_count = 0;
    void** slots = nullptr; // a runtime heap block of slot_count record pointers
    ObjectNode* dynamic_head = nullptr;
    FreeObjectProcedure free_procedure = nullptr;
    int64_t enumeration_index = 0;
    ObjectNode* enumeration_node = nullptr;
    std::unordered_set<uintptr_t> live_auto_records;
};

namespace {

pthread_once_t once_tables_once = PTHREAD_ONCE_INIT;
pthread_mutex_t once_tables_mutex;
bool once_tables_mutex_ready = false;

void init_once_tables_mutex() {
    once_tables_mutex_ready = InitRecursiveMutex(&once_tables_mutex) == 0;
}

void* record_of(ObjectNode* node) {
    return reinterpret_cast<std::byte*>(node) + sizeof *node;
}

ObjectNode* node_of(void* record) {
    return reinterpret_cast<ObjectNode*>(static_cast<std::byte*>(record) - sizeof(ObjectNode));
}

ObjectNumber number_of(const void* record) {
    return static_cast<ObjectNumber>(reinterpret_cast<uintptr_t>(record));
}

void* record_at(ObjectNumber number) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(number));
}

bool is_live(const void* record) {
    if (!record) return false;
    uint64_t mark = 0;
    std::memcpy(&mark, record, sizeof mark);
    return mark != 0;
}

bool is_fixed_slot(const ObjectTable* table, ObjectNumber number) {
    return number >= 0 && number < table->slot_count;
}

bool is_listed_auto(const ObjectTable* table, ObjectNumber number) {
    return table->live_auto_records.contains(static_cast<uintptr_t>(number));
}

void* allocate_auto_object(ObjectTable* table) {
    void* memory = AllocateBlock(uint64_t{table->record_size} + sizeof(ObjectNode));
    if (!memory) return nullptr;
    auto* node = std::construct_at(static_cast<ObjectNode*>(memory),
                                   ObjectNode{table->dynamic_head, nullptr});
    void* record = record_of(node);
    // Cannot happen with this platform's address layout; refusing keeps the two forms apart.
    if (number_of(record) < MaximumSlotCount) {
        FreeBlock(memory);
        return nullptr;
    }
    try {
        table->live_auto_records.insert(reinterpret_cast<uintptr_t>(record));
    } catch (const std::bad_alloc&) {
        FreeBlock(memory);
        return nullptr;
    }
    if (table->dynamic_head) table->dynamic_head->previous = node;
    table->dynamic_head = node;
    return record;
}

bool grow_slots(ObjectTable* table, ObjectNumber number) {
    const int64_t count = std::min(number + table->growth_step, MaximumSlotCount);
    void* slots = ReallocateBlock(table->slots, static_cast<uint64_t>(count) * sizeof(void*));
    if (!slots) return false;
    table->slots = static_cast<void**>(slots);
    table->slot_count = count;
    return true;
}

void* allocate_fixed_object(ObjectTable* table, ObjectNumber number) {
    if (number >= table->slot_count && !grow_slots(table, number)) return nullptr;
    if (!table->slots[number]) {
        table->slots[number] = AllocateBlock(table->record_size);
        return table->slots[number];
    }
    // A free procedure may grow the slot array, so the record is taken before the call.
    void* record = table->slots[number];
    if (table->free_procedure) table->free_procedure(number);
    std::memset(record, 0, table->record_size);
    return record;
}

void release_auto_object(ObjectTable* table, ObjectNumber number) {
    ObjectNode* node = node_of(record_at(number));
    if (node->previous)
        node->previous->next = node->next;
    else
        table->dynamic_head = node->next;
    if (node->next) node->next->previous = node->previous;
    // An enumeration that was about to return this node moves on to the next newer one.
    if (table->enumeration_node == node) table->enumeration_node = node->previous;
    table->live_auto_records.erase(static_cast<uintptr_t>(number));
    FreeBlock(node);
}

// A local index, so that a free procedure that enumerates the table cannot restart this loop.
// The slot array is read afresh on each step: a free procedure may grow it.
void free_fixed_objects(ObjectTable* table) {
    for (ObjectNumber number = 0; number < table->slot_count; ++number) {
        if (is_live(table->slots[number])) table->free_procedure(number);
    }
}

// A free procedure is expected to release the head through ReleaseObject; one that does not
// (for example because it ignores the object) must not make this loop endless.
void free_auto_objects(ObjectTable* table) {
    while (table->dynamic_head) {
        const ObjectNumber number = number_of(record_of(table->dynamic_head));
        table->free_procedure(number);
        if (is_listed_auto(table, number)) release_auto_object(table, number);
    }
}

} // namespace

ObjectTable* CreateObjectTable(uint32_t record_size, int32_t growth_step,
                               FreeObjectProcedure free_procedure) {
    if (record_size < sizeof(uint64_t)) return nullptr;
    if (growth_step < 1 || growth_step > MaximumSlotCount) return nullptr;
    void* memory = AllocateBlock(sizeof(ObjectTable));
    if (!memory) return nullptr;
    void* slots = AllocateBlock(static_cast<uint64_t>(growth_step) * sizeof(void*));
    if (!slots) {
        FreeBlock(memory);
        return nullptr;
    }
    auto* table = std::construct_at(static_cast<ObjectTable*>(memory));
    table->record_size = record_size;
    table->growth_step = growth_step;
    table->slot_count = growth_step;
    table->slots = static_cast<void**>(slots);
    table->free_procedure = free_procedure;
    return table;
}

ObjectTable* CreateObjectTableOnce(ObjectTable** table, uint32_t record_size, int32_t growth_step,
                                   FreeObjectProcedure free_procedure) {
    if (!table) return nullptr;
    RunOnce(&once_tables_once, init_once_tables_mutex);
    if (!once_tables_mutex_ready) return nullptr;
    ScopedMutex lock(&once_tables_mutex);
    if (!*table) *table = CreateObjectTable(record_size, growth_step, free_procedure);
    return *table;
}

void DestroyObjectTable(ObjectTable* table) {
    if (!table) return;
    for (int64_t number = 0; number < table->slot_count; ++number)
        FreeBlock(table->slots[number]);
    FreeBlock(table->slots);
    while (ObjectNode* node = table->dynamic_head) {
        table->dynamic_head = node->next;
        FreeBlock(node);
    }
    std::destroy_at(table);
    FreeBlock(table);
}

void* AllocateObject(ObjectTable* table, ObjectNumber number) {
    if (!table) return nullptr;
    if (number == AutoNumber) return allocate_auto_object(table);
    if (number < 0 || number >= MaximumSlotCount) return nullptr;
    return allocate_fixed_object(table, number);
}

void* LookupObject(const ObjectTable* table, ObjectNumber number) {
    if (!table) return nullptr;
    void* record = nullptr;
    if (is_fixed_slot(table, number))
        record = table->slots[number];
    else if (is_listed_auto(table, number))
        record = record_at(number);
    return is_live(record) ? record : nullptr;
}

void* ValidateObject(const ObjectTable* table, ObjectNumber number) {
    if (!table) return nullptr;
    if (is_fixed_slot(table, number)) {
        void* record = table->slots[number];
        return is_live(record) ? record : nullptr;
    }
    return is_listed_auto(table, number) ? record_at(number) : nullptr;
}

void ReleaseObject(ObjectTable* table, ObjectNumber number) {
    if (!table) return;
    if (is_fixed_slot(table, number)) {
        if (void* record = table->slots[number]) std::memset(record, 0, table->record_size);
        return;
    }
    if (is_listed_auto(table, number)) release_auto_object(table, number);
}

void FreeAllObjects(ObjectTable* table) {
    if (!table || !table->free_procedure) return;
    free_fixed_objects(table);
    free_auto_objects(table);
}

void ResetObjectEnumeration(ObjectTable* table) {
    if (!table) return;
    table->enumeration_index = 0;
    ObjectNode* tail = table->dynamic_head;
    while (tail && tail->next)
        tail = tail->next;
    table->enumeration_node = tail;
}

void* NextObject(ObjectTable* table, ObjectNumber* number) {
    if (!table) return nullptr;
    while (table->enumeration_index < table->slot_count) {
        const ObjectNumber index = table->enumeration_index++;
        void* record = table->slots[index];
        if (!is_live(record)) continue;
        if (number) *number = index;
        return record;
    }
    ObjectNode* node = table->enumeration_node;
    if (!node) return nullptr;
    table->enumeration_node = node->previous;
    void* record = record_of(node);
    if (number) *number = number_of(record);
    return record;
}

ObjectTableStats GetObjectTableStats(const ObjectTable* table) {
    if (!table) return {};
    return {table->slot_count, static_cast<int64_t>(table->live_auto_records.size())};
}

} // namespace rt
