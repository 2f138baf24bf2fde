#pragma once
// Updating a text that is usually unchanged, as the texts of each refresh are: the string is
// compared with what it should read and a new one is made only when it reads differently, so an
// unchanged refresh makes no strings.
//
//     update_text(texts.SerialText, GetBatteryValue(u"Serial"));
//     update_joined(texts.CyclesText, GetBatteryValue(u"CycleCount"), u" cycles");
//     update_text(texts.HealthText, health_texts.get(full, design, health_text));

#include "runtime/core/rt_string.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <tuple>

namespace battery {

// Room for the units of any 64-bit integer in decimal.
using NumberRoom = std::array<char16_t, 24>;
// `number` in decimal, written at the end of `room`.
std::u16string_view decimal_units(int64_t number, NumberRoom& room);

// A runtime string's units; none for null.
std::u16string_view units_of(rt::TextArg text);

void update_text(rt::String& text, rt::TextArg wanted);
void update_joined(rt::String& text, std::span<const std::u16string_view> pieces);
void update_joined(rt::String& text, rt::TextArg first, rt::TextArg second);
// Makes `text` read as `pieces` one after another, whatever it read before. When they fit in the
// string's own block (and none lies in it) they are written over it: a text that changes at every
// refresh but not in length makes no new string.
void assign_joined(rt::String& text, std::span<const std::u16string_view> pieces);

// The last text a function of `Inputs` made, with its inputs: asked again with the same inputs,
// it gives the same string without calling the function.
template <class... Inputs>
class LastText {
  public:
    template <class Make>
    const rt::String& get(Inputs... inputs, Make make) {
        std::tuple<Inputs...> key(inputs...);
        if (m_inputs != key) {
            m_text = make(inputs...);
            m_inputs = key;
        }
        return m_text;
    }

  private:
    std::optional<std::tuple<Inputs...>> m_inputs;
    rt::String m_text;
};

} // namespace battery
