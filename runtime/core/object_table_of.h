#pragma once
// A typed view of one kind's object table: the one place where the table's untyped records
// become records of the kind. It holds only the table's address, so a global one is
// constant-initialised and needs no start-up order; until create_once succeeds it has no table,
// and every operation answers as for a table without objects.

#include "runtime/core/object_table.h"

#include <cstdint>
#include <type_traits>

namespace rt {

template <class Record, uint32_t RecordSize = sizeof(Record)>
class ObjectTableOf {
    static_assert(std::is_trivially_copyable_v<Record> && std::is_standard_layout_v<Record>,
                  "a record is plain memory that the table zeroes");
    static_assert(sizeof(Record) <= RecordSize);

  public:
    constexpr ObjectTableOf() = default;
    ObjectTableOf(const ObjectTableOf&) = delete;
    ObjectTableOf& operator=(const ObjectTableOf&) = delete;

    // Creates the table unless it exists; false when it does not exist afterwards.
    bool create_once(int32_t growth_step, FreeObjectProcedure free_procedure) {
        return CreateObjectTableOnce(&m_table, RecordSize, growth_step, free_procedure) != nullptr;
    }
    // The untyped table, for the registry's own operations; null before create_once.
    ObjectTable* table() const { return m_table; }

    // As AllocateObject, LookupObject and ValidateObject; null without a table.
    Record* allocate(ObjectNumber number) {
        return m_table ? static_cast<Record*>(AllocateObject(m_table, number)) : nullptr;
    }
    Record* lookup(ObjectNumber number) const {
        return m_table ? static_cast<Record*>(LookupObject(m_table, number)) : nullptr;
    }
    Record* validate(ObjectNumber number) const {
        return m_table ? static_cast<Record*>(ValidateObject(m_table, number)) : nullptr;
    }
    void release(ObjectNumber number) {
        if (m_table) ReleaseObject(m_table, number);
    }
    void free_all() {
        if (m_table) FreeAllObjects(m_table);
    }
    // Enumeration as ResetObjectEnumeration and NextObject.
    void rewind() {
        if (m_table) ResetObjectEnumeration(m_table);
    }
    Record* next(ObjectNumber* number) {
        return m_table ? static_cast<Record*>(NextObject(m_table, number)) : nullptr;
    }

  private:
    ObjectTable* m_table = nullptr;
};

} // namespace rt
