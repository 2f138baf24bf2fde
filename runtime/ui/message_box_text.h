#pragma once
// What ShowMessageBox puts into its alert: the icon chosen by the flags, the alert style, and the
// Yes, No and Cancel buttons with their titles in the user's first preferred language and the tags
// that the modal run answers with. Without a Yes/No flag the toolkit's single OK button is used
// and the result is 0.

#include <cstdint>
#include <string_view>

namespace rt {

// ShowMessageBox flags.
inline constexpr uint32_t MessageBoxYesNo = 1;
inline constexpr uint32_t MessageBoxYesNoCancel = 2;
inline constexpr uint32_t MessageBoxIconNote = 4;
inline constexpr uint32_t MessageBoxIconStop = 8;
inline constexpr uint32_t MessageBoxIconCaution = 16;
// The battery's history is shown below the text, when there is one.
inline constexpr uint32_t MessageBoxShowsHistory = 0x100;

// ShowMessageBox results: the tags of the buttons.
inline constexpr int64_t MessageBoxResultYes = 6;
inline constexpr int64_t MessageBoxResultNo = 7;
inline constexpr int64_t MessageBoxResultCancel = 2;

inline constexpr int64_t AlertStyleInformational = 1;

struct MessageBoxLanguage {
    std::u16string_view prefix; // matched against the start of the language; "" matches any
    std::u16string_view yes;
    std::u16string_view no;
    std::u16string_view cancel;
};

// Tried in order; the last entry takes every other language.
inline constexpr MessageBoxLanguage message_box_languages[] = {
    {u"fr", u"Oui", u"Non", u"Annuler"},    {u"de", u"Ja", u"Nein", u"Abbrechen"},
    {u"it", u"S\u00CC", u"NO", u"Annulla"}, {u"es", u"S\u00ED", u"No", u"Cancelar"},
    {u"", u"Yes", u"No", u"Cancel"},
};

// The button titles for the first of the user's preferred languages ("" when there is none).
const MessageBoxLanguage& message_box_language(std::u16string_view first_preferred_language);

enum class MessageBoxIcon : uint8_t { Application, Note, Stop, Caution };

// One icon at most: caution wins over note, note over stop; no icon flag gives the application's
// icon.
MessageBoxIcon message_box_icon(uint32_t flags);
// The file type whose workspace icon stands for the icon ("'caut'" ...); "" for the application's.
std::u16string_view message_box_icon_file_type(MessageBoxIcon icon);

struct MessageBoxButton {
    std::u16string_view title;
    int64_t tag;
};

struct MessageBoxPlan {
    MessageBoxIcon icon;
    bool informational_style; // set the informational alert style (no icon flag)
    int button_count;         // 0: the toolkit's OK button alone
    MessageBoxButton buttons[3];
};

// Yes comes first and is the default button; Cancel comes last.
MessageBoxPlan plan_message_box(uint32_t flags, std::u16string_view first_preferred_language);

// ShowMessageBox's result from the modal run's answer: 0 for an alert without Yes/No buttons,
// otherwise the answer, which is the pressed button's tag.
int64_t message_box_result(const MessageBoxPlan& plan, int64_t modal_answer);

} // namespace rt
