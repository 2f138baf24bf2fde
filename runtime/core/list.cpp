#include "runtime/core/list.h"

#include "runtime/core/block_pool.h"
#include "runtime/core/layout.h"
#include "runtime/core/memory.h"

#include <memory>

namespace rt {

namespace {

constexpr int32_t k_pool_initial_blocks = 16;
constexpr int32_t k_pool_maximum_blocks = 65536;
// Keeps element size + links and the pool's rounding far from overflow.
constexpr int64_t k_largest_element = int64_t{1} << 40;

void set_current(ListHeader* list, ListNode* node, int64_t index) {
    list->current = node;
    *list->current_cell = node;
    list->index = index;
    list->before_first = 0;
}

void clear_current(ListHeader* list) {
    list->current = nullptr;
    *list->current_cell = nullptr;
    list->index = -1;
    list->before_first = 1;
}

void link_after(ListHeader* list, ListNode* anchor, ListNode* node) {
    node->previous = anchor;
    node->next = anchor->next;
    if (anchor->next)
        anchor->next->previous = node;
    else
        list->last = node;
    anchor->next = node;
}

void link_front(ListHeader* list, ListNode* node) {
    node->previous = nullptr;
    node->next = list->first;
    if (list->first)
        list->first->previous = node;
    else
        list->last = node;
    list->first = node;
}

ListNode* walk_forward(ListNode* node, int64_t steps) {
    for (; steps > 0; --steps)
        node = node->next;
    return node;
}

ListNode* walk_backward(ListNode* node, int64_t steps) {
    for (; steps > 0; --steps)
        node = node->previous;
    return node;
}

// Reaches the node at `index` (inside the list) from whichever of first, last and current is
// nearest.
ListNode* find_nearest(const ListHeader* list, int64_t index) {
    const int64_t from_last = list->count - 1 - index;
    if (!list->current) {
        if (index >= list->count / 2) return walk_backward(list->last, from_last);
        return walk_forward(list->first, index);
    }
    const int64_t behind = list->index - index;
    if (behind >= 0) {
        if (behind >= index) return walk_forward(list->first, index);
        return walk_backward(list->current, behind);
    }
    if (index - list->index >= list->count - index) return walk_backward(list->last, from_last);
    return walk_forward(list->current, index - list->index);
}

ListVariable* own_variable() {
    void* memory = AllocateBlock(sizeof(ListVariable));
    return memory ? std::construct_at(static_cast<ListVariable*>(memory)) : nullptr;
}

ListHeader* new_header(int64_t element_size) {
    void* memory = AllocateBlock(sizeof(ListHeader));
    if (!memory) return nullptr;
    ListHeader* list = std::construct_at(static_cast<ListHeader*>(memory));
    list->node_size = element_size + k_list_node_links;
    list->pool = CreateBlockPool(static_cast<uint64_t>(list->node_size), k_pool_initial_blocks,
                                 k_pool_maximum_blocks, PoolShared);
    if (list->pool) return list;
    FreeBlock(list);
    return nullptr;
}

} // namespace

ListHeader* CreateList(int64_t element_size, ListVariable* variable, const int64_t* layout,
                       uint32_t flags) {
    if (element_size < 0 || element_size > k_largest_element) return nullptr;
    if (variable && variable->list) ListFree(variable->list);
    ListHeader* list = new_header(element_size);
    if (!list) return nullptr;
    if (!variable) {
        variable = own_variable();
        if (!variable) {
            FreeBlockPool(list->pool);
            FreeBlock(list);
            return nullptr;
        }
        list->owns_variable = 1;
    }
    list->variable = variable;
    list->current_cell = &variable->current;
    list->layout = layout;
    list->flags = flags;
    list->needs_init = static_cast<uint8_t>(LayoutNeedsInit(layout));
    clear_current(list);
    variable->list = list;
    return list;
}

void* ListAppend(ListHeader* list) {
    if (!list) return nullptr;
    auto* node = static_cast<ListNode*>(PoolAllocateZeroed(list->pool));
    if (!node) return nullptr;
    std::construct_at(node);
    void* data = list_node_data(node);
    if (list->needs_init) InitStructure(data, list->layout);
    ++list->count;
    if (list->current) {
        link_after(list, list->current, node);
        set_current(list, node, list->index + 1);
    } else {
        link_front(list, node);
        set_current(list, node, 0);
    }
    return data;
}

void* ListNext(ListHeader* list) {
    if (!list) return nullptr;
    if (!list->current) {
        if (!list->first) return nullptr;
        set_current(list, list->first, 0);
        return list_node_data(list->first);
    }
    ListNode* next = list->current->next;
    if (!next) return nullptr;
    set_current(list, next, list->index + 1);
    return list_node_data(next);
}

void ListRewind(ListHeader* list) {
    if (list) clear_current(list);
}

void* ListSelect(ListHeader* list, int64_t index) {
    if (!list) return nullptr;
    if (index < 0 || index >= list->count) {
        clear_current(list);
        return nullptr;
    }
    ListNode* node = find_nearest(list, index);
    set_current(list, node, index);
    return list_node_data(node);
}

void ListClear(ListHeader* list) {
    if (!list) return;
    for (ListNode* node = list->first; node;) {
        ListNode* next = node->next;
        if (list->layout) FreeStructure(list_node_data(node), list->layout);
        PoolFree(list->pool, node);
        node = next;
    }
    list->first = nullptr;
    list->last = nullptr;
    list->count = 0;
    clear_current(list);
}

void ListFree(ListHeader* list) {
    if (!list) return;
    ListClear(list);
    FreeBlockPool(list->pool);
    if (list->variable->list == list) list->variable->list = nullptr;
    free_block_chain(list->spare_chain);
    if (list->owns_variable) FreeBlock(list->variable);
    FreeBlock(list);
}

int ListCopy(ListHeader* source, uint32_t source_type, ListHeader* destination,
             uint32_t destination_type, int clear) {
    if (!source || !destination || source_type != destination_type) return 0;
    if (source == destination) return 1;
    if (source->node_size != destination->node_size || source->layout != destination->layout) {
        return 0;
    }
    if (clear) ListClear(destination);
    const int64_t element_size = list_element_size(source);
    for (ListNode* node = source->first; node; node = node->next) {
        void* data = ListAppend(destination);
        if (!data) return 0;
        CopyStructure(data, element_size, source->layout, list_node_data(node));
    }
    return 1;
}

void InitLists() {
    TypeProcedures& procedures = type_procedures();
    procedures.list_create = CreateList;
    procedures.list_copy = ListCopy;
    procedures.list_free = ListFree;
}

} // namespace rt
