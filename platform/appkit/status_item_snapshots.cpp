#include "platform/appkit/status_item_snapshots.h"

#include "platform/appkit/ns_event.h"
#include "platform/foundation/unicode_text.h"

#include <cstring>

namespace {

// Equality alone, so bytes compare at once instead of characters one by one in order.
bool same_units(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0);
}

// Makes `utf8` the UTF-8 of `text` (nil: empty). `converted` holds the characters `utf8` was
// last made from; the conversion runs only when `text` differs from them.
void convert_if_changed(std::string& utf8, std::u16string& converted, NSString* text) {
    const std::u16string_view units = units_of(text);
    if (same_units(units, converted)) return;
    converted.assign(units);
    utf8 = utf16_to_utf8(units);
}

} // namespace

void StatusItemSnapshots::update(const NSStatusItem* item, bool with_pixels) {
    if (!item) {
        *this = StatusItemSnapshots();
        return;
    }
    update_status(*item, with_pixels);
    if (const NSMenu* menu = item->menu()) {
        update_menu(*menu);
    } else {
        m_menu.reset();
        m_menu_texts.clear();
    }
}

void StatusItemSnapshots::update_status(const NSStatusItem& item, bool with_pixels) {
    StatusSnapshot& status = m_status ? *m_status : m_status.emplace();
    NSImage* image = item.image();
    const std::string* file = image ? image->picture_file() : nullptr;
    if (file) {
        status.image = *file;
    } else {
        status.image.reset();
    }
    status.is_template = image && image->isTemplate() != NO;
    status.pixels = image && with_pixels ? image->display_pixels() : nullptr;
    convert_if_changed(status.title, m_title_units, item.title());
    NSString* tool_tip = item.toolTip();
    if (!tool_tip) {
        status.tooltip.reset();
        m_tool_tip_units.clear();
        return;
    }
    convert_if_changed(status.tooltip ? *status.tooltip : status.tooltip.emplace(),
                       m_tool_tip_units, tool_tip);
}

void StatusItemSnapshots::update_menu(const NSMenu& menu) {
    std::vector<MenuItemSnapshot>& items = m_menu ? *m_menu : m_menu.emplace();
    const auto count = static_cast<std::size_t>(menu.numberOfItems());
    items.resize(count);
    m_menu_texts.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        MenuItemSnapshot& snapshot = items[i];
        ItemTexts& texts = m_menu_texts[i];
        NSMenuItem* item = menu.itemAtIndex(static_cast<NSInteger>(i));
        if (item->isSeparatorItem()) {
            // Only this branch makes separators, so one already made is left as it is.
            if (snapshot.separator) continue;
            snapshot = MenuItemSnapshot();
            snapshot.separator = true;
            texts = ItemTexts();
            continue;
        }
        snapshot.separator = false;
        snapshot.number = static_cast<int>(item->tag());
        convert_if_changed(snapshot.title, texts.title, item->title());
        convert_if_changed(snapshot.key, texts.key, item->keyEquivalent());
        // A modifier mask means nothing without a key to press with it.
        snapshot.modifiers =
            snapshot.key.empty() ? 0 : key_modifiers_of(item->keyEquivalentModifierMask());
        snapshot.enabled = menu.item_is_available(item);
    }
}
