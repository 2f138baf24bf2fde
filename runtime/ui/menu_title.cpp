#include "runtime/ui/menu_title.h"

#include <array>
#include <cwctype>
#include <optional>

namespace rt {

namespace {

struct ModifierToken {
    std::u16string_view name;
    uint64_t mask;
};

constexpr std::array<ModifierToken, 4> k_modifier_tokens = {{
    {u"CMD", MenuModifierCommand},
    {u"SHIFT", MenuModifierShift},
    {u"ALT", MenuModifierOption},
    {u"CTRL", MenuModifierControl},
}};

constexpr std::array<std::u16string_view, 12> k_function_key_tokens = {
    u"F1", u"F2", u"F3", u"F4", u"F5", u"F6", u"F7", u"F8", u"F9", u"F10", u"F11", u"F12",
};

template <class Map>
std::u16string mapped(std::u16string_view text, Map map) {
    std::u16string result;
    result.reserve(text.size());
    for (char16_t unit : text)
        result.push_back(static_cast<char16_t>(map(static_cast<wint_t>(unit))));
    return result;
}

std::u16string without_ampersands(std::u16string_view text) {
    std::u16string result;
    for (char16_t unit : text)
        if (unit != u'&') result.push_back(unit);
    return result;
}

std::optional<uint64_t> modifier_of(std::u16string_view token) {
    for (const ModifierToken& entry : k_modifier_tokens)
        if (entry.name == token) return entry.mask;
    return std::nullopt;
}

std::optional<char16_t> function_key_of(std::u16string_view token) {
    for (std::size_t index = 0; index < k_function_key_tokens.size(); ++index)
        if (k_function_key_tokens[index] == token) return static_cast<char16_t>(MenuKeyF1 + index);
    return std::nullopt;
}

// Applies one upper-cased token of the shortcut text to `parsed`.
void apply_token(std::u16string_view token, MenuTitle& parsed) {
    if (std::optional<uint64_t> mask = modifier_of(token)) {
        parsed.modifier_mask |= *mask;
        return;
    }
    if (std::optional<char16_t> key = function_key_of(token)) {
        parsed.key_equivalent = std::u16string(1, *key);
        return;
    }
    parsed.key_equivalent = mapped(token, [](wint_t unit) { return std::towlower(unit); });
}

void apply_shortcut_text(std::u16string_view shortcut, MenuTitle& parsed) {
    const std::u16string upper = mapped(shortcut, [](wint_t unit) { return std::towupper(unit); });
    std::u16string_view rest = upper;
    for (;;) {
        const std::size_t plus = rest.find(u'+');
        apply_token(rest.substr(0, plus), parsed);
        if (plus == std::u16string_view::npos) return;
        rest.remove_prefix(plus + 1);
    }
}

} // namespace

MenuTitle parse_menu_title(std::u16string_view text) {
    const std::u16string cleaned = without_ampersands(text);
    const std::u16string_view whole = cleaned;
    const std::size_t tab = whole.find(u'\t');
    MenuTitle parsed;
    parsed.title = std::u16string(whole.substr(0, tab));
    if (tab == std::u16string_view::npos) return parsed;
    const std::u16string_view after = whole.substr(tab + 1);
    apply_shortcut_text(after.substr(0, after.find(u'\t')), parsed);
    return parsed;
}

} // namespace rt
