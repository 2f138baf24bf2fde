#pragma once
// The message box: a modal alert with a title, a text, an optional system icon and either the
// toolkit's OK button or Yes/No(/Cancel) buttons titled in the user's first preferred language.
// The window that was key before the alert is made key again afterwards.

#include "runtime/ui/message_box_text.h"

#include <cstdint>

namespace rt {

// Start-up: the application becomes a regular one (the program may change that afterwards).
int InitMessageBox();

// 0 for an alert without Yes/No buttons, else the pressed button's result (MessageBoxResultYes,
// MessageBoxResultNo, MessageBoxResultCancel). Null texts are empty. 0 when no alert could be made.
int64_t ShowMessageBox(const char16_t* title, const char16_t* text, uint32_t flags = 0);

} // namespace rt
