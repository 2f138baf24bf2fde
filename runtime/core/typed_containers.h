#pragma once
// Typed C++ views over the untyped containers: each owns one list, map or array of T and frees it
// when destroyed. T is a plain structure whose strings and containers, if any, are described by
// the layout given at construction. The wrappers neither copy nor move: the container points back
// at the variable inside the wrapper. Creation can fail (memory); valid() tells.

#include "runtime/core/array.h"
#include "runtime/core/list.h"
#include "runtime/core/map.h"

#include <cstdint>
#include <type_traits>

namespace rt {

template <class T>
concept ContainerElement = std::is_trivially_copyable_v<T> && std::is_standard_layout_v<T>;

template <ContainerElement T>
class TypedList {
  public:
    explicit TypedList(const int64_t* layout = nullptr, uint32_t flags = 0) {
        CreateList(sizeof(T), &m_variable, layout, flags);
    }
    ~TypedList() { ListFree(m_variable.list); }
    TypedList(const TypedList&) = delete;
    TypedList& operator=(const TypedList&) = delete;

    bool valid() const { return m_variable.list != nullptr; }
    ListHeader* header() const { return m_variable.list; }
    int64_t size() const { return m_variable.list ? m_variable.list->count : 0; }
    // The current element, null when there is none.
    T* current() const { return static_cast<T*>(list_node_data(m_variable.current)); }

    T* append() { return static_cast<T*>(ListAppend(m_variable.list)); }
    T* next() { return static_cast<T*>(ListNext(m_variable.list)); }
    T* select(int64_t index) { return static_cast<T*>(ListSelect(m_variable.list, index)); }
    void rewind() { ListRewind(m_variable.list); }
    void clear() { ListClear(m_variable.list); }

  private:
    ListVariable m_variable{};
};

template <ContainerElement T>
class TypedMap {
  public:
    explicit TypedMap(int32_t bucket_count, uint32_t key_flags = 0, const int64_t* layout = nullptr,
                      int32_t element_type = 0) {
        MapCreate(sizeof(T), element_type, layout, &m_map, bucket_count);
        MapSetKeyFlags(m_map, key_flags);
    }
    ~TypedMap() { MapFree(m_map); }
    TypedMap(const TypedMap&) = delete;
    TypedMap& operator=(const TypedMap&) = delete;

    bool valid() const { return m_map != nullptr; }
    MapHeader* header() const { return m_map; }
    int32_t size() const { return m_map ? m_map->count : 0; }

    T* add(const char16_t* key, bool replace = false) {
        return static_cast<T*>(MapAddString(m_map, key, replace ? 1 : 0));
    }
    T* add(int64_t key, bool replace = false) {
        return static_cast<T*>(MapAddInteger(m_map, key, replace ? 1 : 0));
    }
    T* find(const char16_t* key) { return static_cast<T*>(MapFind(m_map, key)); }
    T* find(int64_t key) { return static_cast<T*>(MapFindInteger(m_map, key)); }
    T* delete_current() { return static_cast<T*>(MapDeleteCurrent(m_map)); }
    T* next() { return static_cast<T*>(MapNext(m_map)); }
    void rewind() { MapRewind(m_map); }
    void clear() { MapClear(m_map); }

  private:
    MapHeader* m_map = nullptr;
};

template <ContainerElement T>
class TypedArray {
  public:
    explicit TypedArray(int64_t count, const int64_t* layout = nullptr, int32_t element_type = 0) {
        ArrayAllocate(sizeof(T), count, element_type, layout, &m_array);
    }
    ~TypedArray() { ArrayFree(m_array); }
    TypedArray(const TypedArray&) = delete;
    TypedArray& operator=(const TypedArray&) = delete;

    bool valid() const { return m_array != nullptr; }
    int64_t size() const { return m_array ? array_header(m_array)->count : 0; }
    T* data() const { return static_cast<T*>(m_array); }
    T& operator[](int64_t index) const { return data()[index]; }
    T* begin() const { return data(); }
    T* end() const { return data() + size(); }

    void resize(int64_t count) { ArrayResize(count, &m_array); }

  private:
    void* m_array = nullptr;
};

} // namespace rt
