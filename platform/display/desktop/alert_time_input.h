#pragma once
// What becomes of input that comes while an alert is up. The alert is modal, as in the model's
// own modal loop: its buttons answer it and nothing else is carried out meanwhile, and the
// application's windows are held off by the dialog's own modality. Two requests are kept for
// when the alert closes, since the person (or the session) asked to end and would otherwise have
// to ask again without being told: a request to terminate, and Quit chosen from the status menu.
// Any other choice from the status menu is refused audibly, as the model refuses input it cannot
// carry out, instead of vanishing without a sign.

#include "platform/display/display_input.h"
#include "platform/display/display_snapshots.h"

#include <cstdint>
#include <span>

enum class AlertTimeInput : uint8_t {
    keep,   // handed to the model once the alert is answered
    refuse, // the person hears that it was not carried out
    drop,   // nothing to tell: no person asked for it here
};

// `menu` is the status menu as last shown.
AlertTimeInput input_during_alert(const Input& input, std::span<const MenuItemSnapshot> menu);

// Whether `item` is the application's Quit: its key equivalent is Command-Q and nothing more, as
// an application's Quit conventionally has it; the model gives its Quit item no other mark a
// display can see.
bool is_quit_item(const MenuItemSnapshot& item);
