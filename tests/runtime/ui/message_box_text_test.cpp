#include "runtime/ui/message_box_text.h"

#include <gtest/gtest.h>

#include <string>

namespace rt {
namespace {

std::string utf8(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) {
        if (unit < 0x80) {
            bytes += static_cast<char>(unit);
        } else {
            bytes += static_cast<char>(0xC0 | (unit >> 6));
            bytes += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return bytes;
}

// The plan's buttons as "title=tag" joined by spaces.
std::string buttons(const MessageBoxPlan& plan) {
    std::string text;
    for (int i = 0; i < plan.button_count; ++i)
        text += (i ? " " : "") + utf8(plan.buttons[i].title) + "=" +
                std::to_string(plan.buttons[i].tag);
    return text;
}

TEST(MessageBoxText, PicksButtonTitlesByTheFirstLanguagePrefix) {
    const struct {
        std::u16string language;
        const char* expected;
    } cases[] = {
        {u"fr-CA", "Oui=6 Non=7 Annuler=2"}, {u"de-DE", "Ja=6 Nein=7 Abbrechen=2"},
        {u"de", "Ja=6 Nein=7 Abbrechen=2"},  {u"it-IT", "SÌ=6 NO=7 Annulla=2"},
        {u"es-419", "Sí=6 No=7 Cancelar=2"}, {u"en-GB", "Yes=6 No=7 Cancel=2"},
        {u"", "Yes=6 No=7 Cancel=2"},        {u"DE", "Yes=6 No=7 Cancel=2"},
        {u"f", "Yes=6 No=7 Cancel=2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(buttons(plan_message_box(3, c.language)), c.expected) << utf8(c.language);
}

TEST(MessageBoxText, MapsFlagsToIconButtonsAndResult) {
    const struct {
        uint32_t flags;
        MessageBoxIcon icon;
        const char* buttons;
        int64_t answer; // what the modal run answers
        int64_t result;
    } cases[] = {
        {16, MessageBoxIcon::Caution, "", 1000, 0},
        {0, MessageBoxIcon::Application, "", 1000, 0},
        {1, MessageBoxIcon::Application, "Ja=6 Nein=7", 7, 7},
        {3, MessageBoxIcon::Application, "Ja=6 Nein=7 Abbrechen=2", 2, 2},
        {2 | 4 | 8, MessageBoxIcon::Note, "Ja=6 Nein=7 Abbrechen=2", 6, 6},
        {8, MessageBoxIcon::Stop, "", 1000, 0},
        {4 | 8 | 16, MessageBoxIcon::Caution, "", 1000, 0},
    };
    for (const auto& c : cases) {
        const MessageBoxPlan plan = plan_message_box(c.flags, u"de-DE");
        EXPECT_EQ(plan.icon, c.icon) << "flags " << c.flags;
        EXPECT_EQ(plan.informational_style, c.icon == MessageBoxIcon::Application);
        EXPECT_EQ(buttons(plan), c.buttons) << "flags " << c.flags;
        EXPECT_EQ(message_box_result(plan, c.answer), c.result) << "flags " << c.flags;
    }
}

} // namespace
} // namespace rt
