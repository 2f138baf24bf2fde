#pragma once
// Doubly linked lists of fixed-size elements with a current element. Nodes come from the shared
// block pool of their size, so appending and clearing cost no heap call in the common case.
//
// The list variable is two words: the header and the current node, which the list keeps equal to
// its current element so that calling code can read the element without a call. Appending adds
// after the current element (at the front when there is none), so appending after walking to the
// end adds at the end, and appending after ListRewind adds at the front.

#include <cstddef>
#include <cstdint>

namespace rt {

struct BlockPool;
struct ListHeader;

struct ListNode {
    ListNode* next;
    ListNode* previous;
    // element data follows
};
static_assert(sizeof(ListNode) == 16);

struct ListVariable {
    ListHeader* list;
    ListNode* current;
};

struct ListHeader {
    ListNode* first;
    ListNode* last;
    ListNode* current;
    ListNode** current_cell; // the variable's second word
    int64_t count;
    int64_t index; // of the current element, 0-based
    const int64_t* layout;
    BlockPool* pool;
    void* spare_chain; // nothing in this runtime adds to it
    ListVariable* variable;
    int64_t node_size; // element size + the two links
    uint32_t flags;
    uint8_t before_first;
    uint8_t needs_init;
    uint8_t owns_variable;
};

inline constexpr int64_t k_list_node_links = sizeof(ListNode);

inline void* list_node_data(ListNode* node) {
    return node ? reinterpret_cast<std::byte*>(node) + sizeof(ListNode) : nullptr;
}
inline int64_t list_element_size(const ListHeader* list) {
    return list->node_size - k_list_node_links;
}

// A new empty list whose header is stored in the variable's first word; null for a negative
// element size or when memory runs out. A null variable makes the list allocate and own one. A
// list the variable already holds is freed first.
ListHeader* CreateList(int64_t element_size, ListVariable* variable, const int64_t* layout,
                       uint32_t flags);
// Data of a new zero-filled (and initialised) element after the current one, which it replaces
// as current; null for a null list or when the pool is exhausted.
void* ListAppend(ListHeader* list);
// Data of the element after the current one (the first one when there is no current element);
// null at the end, where the last element stays current.
void* ListNext(ListHeader* list);
void ListRewind(ListHeader* list);
// Data of the element at the 0-based index, which becomes current; null, and no current element,
// for an index outside the list.
void* ListSelect(ListHeader* list, int64_t index);
void ListClear(ListHeader* list);
// Frees the list and its elements and clears the variable's first word; null does nothing.
void ListFree(ListHeader* list);
// Appends deep copies of the source's elements after the destination's current element,
// clearing the destination first when asked. 0 when a list is null, the types differ, the lists'
// element sizes or layouts differ, or the pool runs out part-way; 1 otherwise. A list copied onto
// itself is left as is.
int ListCopy(ListHeader* source, uint32_t source_type, ListHeader* destination,
             uint32_t destination_type, int clear);
// Fills the list slots of the type-procedure table.
void InitLists();

} // namespace rt
