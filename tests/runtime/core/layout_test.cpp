#include "runtime/core/layout.h"

#include "runtime/core/array.h"
#include "runtime/core/list.h"
#include "runtime/core/map.h"
#include "runtime/core/temp_area.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace {

using rt::layout_word;
using rt::LayoutEnd;

[[maybe_unused]] const bool layouts_started =
    (rt::InitMaps(), rt::InitArrays(), rt::InitLists(), true);

struct Inner {
    char16_t* text;
    int64_t number;
};
const int64_t k_inner_layout[] = {offsetof(Inner, text), LayoutEnd};

// One field of every kind.
struct Record {
    char16_t* title;
    Inner inner;
    Inner pair[2];
    rt::ListVariable items; // of Inner
    rt::MapHeader* index;   // of int64_t
    void* numbers;          // 4 int64_t
    void* grid;             // 2 x 3 int64_t
    int64_t grid_strides[2];
    int64_t tail;
};
// clang-format off
const int64_t k_record_layout[] = {
    offsetof(Record, title),
    -3, offsetof(Record, inner), sizeof(Inner), layout_word(k_inner_layout),
    -2, 2, offsetof(Record, pair), sizeof(Inner), layout_word(k_inner_layout),
    -5, offsetof(Record, items), sizeof(Inner), layout_word(k_inner_layout), 7,
    -6, offsetof(Record, index), sizeof(int64_t), 9, 0, 16,
    -4, offsetof(Record, numbers), sizeof(int64_t), 4, 21, 0,
    -7, offsetof(Record, grid), 2, sizeof(int64_t), 11, 0, 2, 3,
    LayoutEnd};
// clang-format on

std::u16string text_of(const char16_t* text) {
    return text ? text : u"";
}

std::u16string texts_of(rt::ListHeader* list) {
    std::u16string texts;
    for (rt::ListNode* node = list->first; node; node = node->next) {
        texts += text_of(static_cast<Inner*>(rt::list_node_data(node))->text) + u",";
    }
    return texts;
}

void fill_record(Record& record) {
    rt::InitStructure(&record, k_record_layout);
    rt::AssignString(&record.title, u"title");
    rt::AssignString(&record.pair[1].text, u"second");
    record.tail = 7;
    for (const char16_t* text : {u"a", u"b"}) {
        rt::AssignString(&static_cast<Inner*>(rt::ListAppend(record.items.list))->text, text);
    }
    rt::MapSetKeyFlags(record.index, rt::MapKeysWithoutCase);
    *static_cast<int64_t*>(rt::MapAddString(record.index, u"Key", 0)) = 5;
    static_cast<int64_t*>(record.numbers)[3] = 33;
    static_cast<int64_t*>(record.grid)[5] = 55;
}

TEST(Layout, NeedsInitOnlyForContainersDirectlyOrNested) {
    const int64_t strings[] = {0, 8, LayoutEnd};
    const int64_t list[] = {-5, 0, 8, 0, 0, LayoutEnd};
    const int64_t nested[] = {0, -3, 8, 16, layout_word(list), LayoutEnd};
    const int64_t in_fixed_array[] = {-2, 2, 0, 16, layout_word(list), LayoutEnd};
    const int64_t in_empty_fixed_array[] = {-2, 0, 0, 16, layout_word(list), LayoutEnd};
    const int64_t nested_strings[] = {-3, 0, 16, layout_word(strings), LayoutEnd};
    const int64_t after_unknown[] = {-9, -5, 0, 8, 0, 0, LayoutEnd};
    const std::pair<const int64_t*, int> rows[] = {
        {nullptr, 0},        {strings, 0},        {list, 1},
        {nested, 1},         {in_fixed_array, 1}, {in_empty_fixed_array, 0},
        {nested_strings, 0}, {after_unknown, 0},  {k_record_layout, 1}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(rt::LayoutNeedsInit(rows[i].first), rows[i].second) << "row " << i;
    }
}

TEST(Layout, CopyStructureGivesAnIndependentDeepCopy) {
    Record source{};
    Record copy{};
    fill_record(source);
    rt::InitStructure(&copy, k_record_layout);
    rt::CopyStructure(&copy, sizeof(Record), k_record_layout, &source);
    EXPECT_EQ(text_of(copy.pair[1].text), u"second");
    EXPECT_EQ(copy.tail, 7);
    EXPECT_EQ(copy.items.list->variable, &copy.items);
    EXPECT_EQ(*static_cast<int64_t*>(rt::MapFind(copy.index, u"KEY")), 5); // key case kept
    EXPECT_EQ(static_cast<int64_t*>(copy.grid)[5], 55);
    EXPECT_EQ(copy.grid_strides[0], 3);

    rt::AssignString(&copy.title, u"changed");
    rt::AssignString(&static_cast<Inner*>(rt::ListSelect(copy.items.list, 0))->text, u"z");
    *static_cast<int64_t*>(rt::MapFind(copy.index, u"key")) = 6;
    static_cast<int64_t*>(copy.numbers)[3] = 0;
    EXPECT_EQ(text_of(source.title), u"title");
    EXPECT_EQ(texts_of(source.items.list), u"a,b,");
    EXPECT_EQ(*static_cast<int64_t*>(rt::MapFind(source.index, u"key")), 5);
    EXPECT_EQ(static_cast<int64_t*>(source.numbers)[3], 33);
    rt::FreeStructure(&copy, k_record_layout);

    // Copying a structure onto itself used to free its strings before reading them.
    char16_t* title = source.title;
    rt::CopyStructure(&source, sizeof(Record), k_record_layout, &source);
    EXPECT_EQ(source.title, title);
    EXPECT_EQ(texts_of(source.items.list), u"a,b,");
    rt::FreeStructure(&source, k_record_layout);
}

TEST(Layout, WordsThatMakeNoSenseTouchNothing) {
    const int64_t list_at_0[] = {-5, 0, 8, 0, 0, LayoutEnd};
    static int64_t embeds_itself[] = {-3, 0, 64, 0, LayoutEnd};
    embeds_itself[3] = layout_word(embeds_itself);
    const int64_t negative_offset[] = {-5, -8, 8, 0, 0, LayoutEnd};
    const int64_t negative_count[] = {-2, -3, 0, 16, layout_word(list_at_0), LayoutEnd};
    const int64_t zero_stride[] = {-2, 4, 0, 0, layout_word(list_at_0), LayoutEnd};
    const int64_t no_dimensions[] = {-7, 0, 0, 8, 0, 0, LayoutEnd};
    const int64_t unknown_kind[] = {-12, -5, 0, 8, 0, 0, LayoutEnd};
    for (const int64_t* layout : {(const int64_t*)embeds_itself, negative_offset, negative_count,
                                  zero_stride, no_dimensions, unknown_kind}) {
        int64_t block[8] = {};
        rt::InitStructure(block + 1, layout);
        for (int64_t word : block)
            EXPECT_EQ(word, 0) << "layout starting " << layout[0];
        rt::FreeStructure(block + 1, layout);
    }
}

} // namespace
