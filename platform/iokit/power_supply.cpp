#include "platform/iokit/power_supply.h"

#include <algorithm>
#include <charconv>

namespace {

bool is_blank(char c) {
    return c == ' ';
}

// The number of bytes of a control character starting at `text[i]`, 0 when there is none there.
std::size_t control_character_length(std::string_view text, std::size_t i) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) return 1;
    // U+0080 to U+009F are C2 80 to C2 9F in UTF-8.
    if (byte == 0xC2 && i + 1 < text.size()) {
        auto next = static_cast<unsigned char>(text[i + 1]);
        if (next >= 0x80 && next <= 0x9F) return 2;
    }
    return 0;
}

bool is_external_power_type(std::string_view type) {
    // Older kernels name the kind of USB port in the type itself (USB_DCP, USB_C, USB_PD ...).
    return type == "Mains" || type == "Wireless" || type == "USB" || type.starts_with("USB_");
}

// True when cleaning would change nothing: no control character, no C2 byte that could start
// or make one, no blank at either end. Most values read from the kernel are such.
bool is_clean(std::string_view raw) {
    if (!raw.empty() && (is_blank(raw.front()) || is_blank(raw.back()))) return false;
    return std::none_of(raw.begin(), raw.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F || byte == 0xC2;
    });
}

// Attribute names are looked up by a hash of their length and three of their letters; the
// factors are chosen so that no two names share a slot, which the static_assert checks.
constexpr std::size_t k_slot_count = 64;
constexpr std::uint8_t k_no_attribute = 0xFF;

constexpr std::size_t name_slot(std::string_view name) {
    const auto letter = [&](std::size_t i) { return static_cast<unsigned char>(name[i]); };
    return (name.size() + 11 * letter(0) + 2 * letter(name.size() - 1) +
            3 * letter(name.size() / 2)) %
           k_slot_count;
}

struct AttributeSlots {
    std::array<std::uint8_t, k_slot_count> attribute{};
    bool collides = false;
};

constexpr AttributeSlots attribute_slots() {
    AttributeSlots slots;
    slots.attribute.fill(k_no_attribute);
    for (std::size_t i = 0; i < k_supply_attribute_names.size(); ++i) {
        std::uint8_t& slot = slots.attribute[name_slot(k_supply_attribute_names[i])];
        if (slot != k_no_attribute) slots.collides = true;
        slot = static_cast<std::uint8_t>(i);
    }
    return slots;
}

static_assert(!attribute_slots().collides, "two attribute names share a slot: change name_slot");
constexpr std::array<std::uint8_t, k_slot_count> k_attribute_slots = attribute_slots().attribute;

} // namespace

std::optional<SupplyAttribute> supply_attribute_named(std::string_view name) {
    if (name.empty()) return std::nullopt;
    const std::uint8_t slot = k_attribute_slots[name_slot(name)];
    if (slot == k_no_attribute || k_supply_attribute_names[slot] != name) return std::nullopt;
    return static_cast<SupplyAttribute>(slot);
}

std::string clean_attribute_text(std::string_view raw) {
    if (is_clean(raw)) return std::string(raw);
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size();) {
        std::size_t control = control_character_length(raw, i);
        if (control > 0) {
            i += control;
            continue;
        }
        // A C2 kept before a removed character may meet 80 to 9F and make a C1 control.
        const char joined[] = {text.empty() ? ' ' : text.back(), raw[i]};
        if (control_character_length(std::string_view(joined, 2), 0) == 2) {
            text.pop_back();
            ++i;
            continue;
        }
        text.push_back(raw[i++]);
    }
    std::size_t first = 0;
    while (first < text.size() && is_blank(text[first]))
        ++first;
    std::size_t end = text.size();
    while (end > first && is_blank(text[end - 1]))
        --end;
    return text.substr(first, end - first);
}

std::optional<std::int64_t> parse_attribute_integer(std::string_view text) {
    // from_chars takes a minus but no plus; one sign at most.
    if (text.starts_with('+')) {
        text.remove_prefix(1);
        if (text.starts_with('-')) return std::nullopt;
    }
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string_view PowerSupply::text(SupplyAttribute attribute) const {
    const std::optional<std::string>& value = slot(attribute);
    return value ? std::string_view(*value) : std::string_view();
}

std::optional<std::int64_t> PowerSupply::integer(SupplyAttribute attribute) const {
    return m_integers[static_cast<std::size_t>(attribute)];
}

void PowerSupply::set(SupplyAttribute attribute, std::string_view raw) {
    const auto index = static_cast<std::size_t>(attribute);
    std::optional<std::string>& value = m_values[index];
    if (value) return;
    value = clean_attribute_text(raw);
    m_integers[index] = parse_attribute_integer(*value);
}

void PowerSupply::replace(SupplyAttribute attribute, std::string_view raw) {
    const auto index = static_cast<std::size_t>(attribute);
    std::optional<std::string>& value = m_values[index];
    // A clean value, as nearly every one is, goes into the room the last one had.
    if (value && is_clean(raw)) {
        value->assign(raw);
    } else {
        value = clean_attribute_text(raw);
    }
    m_integers[index] = parse_attribute_integer(*value);
}

bool is_system_battery(const PowerSupply& supply) {
    if (supply.text(SupplyAttribute::Type) != "Battery") return false;
    if (supply.text(SupplyAttribute::Scope) == "Device") return false;
    return supply.integer(SupplyAttribute::Present).value_or(1) != 0;
}

bool is_external_power_supply(const PowerSupply& supply) {
    if (!is_external_power_type(supply.text(SupplyAttribute::Type))) return false;
    return supply.text(SupplyAttribute::Scope) != "Device";
}
