#include "runtime/ui/message_box_text.h"

#include <iterator>

namespace rt {

const MessageBoxLanguage& message_box_language(std::u16string_view first_preferred_language) {
    for (const MessageBoxLanguage& language : message_box_languages)
        if (first_preferred_language.starts_with(language.prefix)) return language;
    return std::end(message_box_languages)[-1];
}

MessageBoxIcon message_box_icon(uint32_t flags) {
    if (flags & MessageBoxIconCaution) return MessageBoxIcon::Caution;
    if (flags & MessageBoxIconNote) return MessageBoxIcon::Note;
    if (flags & MessageBoxIconStop) return MessageBoxIcon::Stop;
    return MessageBoxIcon::Application;
}

std::u16string_view message_box_icon_file_type(MessageBoxIcon icon) {
    switch (icon) {
    case MessageBoxIcon::Note:
        return u"'note'";
    case MessageBoxIcon::Stop:
        return u"'stop'";
    case MessageBoxIcon::Caution:
        return u"'caut'";
    case MessageBoxIcon::Application:
        break;
    }
    return u"";
}

MessageBoxPlan plan_message_box(uint32_t flags, std::u16string_view first_preferred_language) {
    MessageBoxPlan plan{};
    plan.icon = message_box_icon(flags);
    plan.informational_style = plan.icon == MessageBoxIcon::Application;
    if (!(flags & (MessageBoxYesNo | MessageBoxYesNoCancel))) return plan;
    const MessageBoxLanguage& language = message_box_language(first_preferred_language);
    plan.buttons[plan.button_count++] = {language.yes, MessageBoxResultYes};
    plan.buttons[plan.button_count++] = {language.no, MessageBoxResultNo};
    if (flags & MessageBoxYesNoCancel)
        plan.buttons[plan.button_count++] = {language.cancel, MessageBoxResultCancel};
    return plan;
}

int64_t message_box_result(const MessageBoxPlan& plan, int64_t modal_answer) {
    return plan.button_count == 0 ? 0 : modal_answer;
}

} // namespace rt
