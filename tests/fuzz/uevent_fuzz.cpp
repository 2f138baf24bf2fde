// A power supply's uevent text, as a hand-made or hostile folder may hold it, and the attribute
// values it gives: cleaned, looked up, read as integers.

#include "platform/iokit/power_supply.h"
#include "platform/iokit/sysfs_battery_reader.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// The control characters a cleaned value never holds: C0, DEL, and U+0080 to U+009F in UTF-8.
bool holds_control_character(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) return true;
        if (byte == 0xC2 && i + 1 < text.size()) {
            auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9F) return true;
        }
    }
    return false;
}

bool is_whole_decimal(std::string_view text) {
    if (text.starts_with('+') || text.starts_with('-')) text.remove_prefix(1);
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    PowerSupply supply("BAT0");
    parse_uevent(text, supply);
    for (std::size_t i = 0; i < k_supply_attribute_count; ++i) {
        auto attribute = static_cast<SupplyAttribute>(i);
        std::string_view value = supply.text(attribute);
        if (holds_control_character(value)) std::abort();
        if (value.starts_with(' ') || value.ends_with(' ')) std::abort();
        if (supply.integer(attribute) && !is_whole_decimal(value)) std::abort();
        if (supply_attribute_named(attribute_name(attribute)) != attribute) std::abort();
    }
    (void)is_system_battery(supply);
    (void)is_external_power_supply(supply);
    // The same bytes as one attribute file's value.
    std::string cleaned = clean_attribute_text(text);
    if (holds_control_character(cleaned) || clean_attribute_text(cleaned) != cleaned) std::abort();
    if (parse_attribute_integer(text) && !is_whole_decimal(text)) std::abort();
    return 0;
}
