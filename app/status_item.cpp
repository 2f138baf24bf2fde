#include "app/status_item.h"

#include "app/battery_history.h"
#include "app/charge_limit_box.h"
#include "app/charge_warnings.h"
#include "app/indicator_state.h"
#include "battery/battery_properties.h"
#include "battery/battery_texts.h"
#include "battery/power_source_info.h"
#include "battery/power_state.h"
#include "battery/status_icon.h"
#include "battery/status_title.h"
#include "battery/text_update.h"
#include "runtime/core/images.h"
#include "runtime/core/string_functions.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/native_message.h"

namespace app {
namespace {

constexpr int64_t k_square_length = -2;
// Given by address ("setLength:@"), so it lives in program memory.
const double k_variable_length = -1.0;

int64_t native_string(rt::TextArg text) {
    return rt::SendNativeMessage(nullptr, 0, u"NSString stringWithString:$", text.get());
}

// The status menu's first line, "Currently on Battery Power", kept between refreshes.
const rt::String& power_line() {
    static rt::String line;
    battery::update_joined(line, u"Currently on ", battery::DescribePowerSource());
    return line;
}

// The power line as the status menu shows it: only this file sets that item's text.
rt::String& shown_power_line() {
    static rt::String line;
    return line;
}

void show_power_line() {
    const rt::String& line = power_line();
    if (shown_power_line() == line) return;
    rt::ChangeMenuItemText(StatusMenu, ItemPowerState, line);
    battery::update_text(shown_power_line(), line);
}

// With the percentage in the title there is no tooltip; otherwise it says what the title leaves
// out: "85% remaining on Battery Power".
void set_tooltip() {
    const IndicatorState& state = indicator();
    if (state.settings.display.ShowPercentage != 0) {
        rt::SendNativeMessage(nullptr, state.StatusItem, u"setToolTip:", 0);
        return;
    }
    static rt::String tooltip;
    const std::u16string_view pieces[] = {battery::battery_texts().PercentText.view(),
                                          u" remaining on ", battery::DescribePowerSource().view()};
    battery::update_joined(tooltip, pieces);
    rt::SendNativeMessage(nullptr, state.StatusItem, u"setToolTip:", native_string(tooltip));
}

void set_title_from_settings() {
    IndicatorState& state = indicator();
    battery::update_status_title(state.CurrentTitle, state.settings.display,
                                 battery::battery_texts());
    SetStatusTitle(state.CurrentTitle);
}

void add_menu_items() {
    rt::AddMenuItem(ItemPowerState, power_line());
    battery::update_text(shown_power_line(), power_line());
    rt::AddMenuSeparator();
    rt::AddMenuItem(ItemBatteryInfo, u"Show Battery Information...\t" + ShortcutLabel(u"⌘I"));
    rt::AddMenuSeparator();
    rt::AddMenuItem(ItemBatterySettings, u"Open Battery System Settings...");
    rt::AddMenuSeparator();
    rt::AddMenuItem(ItemPreferences, u"Preferences...");
    rt::AddMenuSeparator();
    rt::AddMenuItem(ItemAbout, u"About");
    rt::AddMenuSeparator();
    rt::AddMenuItem(ItemQuit, u"Quit Zerarazi\t" + ShortcutLabel(u"⌘Q"));
}

} // namespace

void MakeStatusItem() {
    IndicatorState& state = indicator();
    const int64_t status_bar = rt::SendNativeMessage(nullptr, 0, u"NSStatusBar systemStatusBar");
    const int64_t item =
        rt::SendNativeMessage(nullptr, status_bar, u"statusItemWithLength:", k_square_length);
    state.StatusItem = rt::SendNativeMessage(nullptr, item, u"retain");
    battery::set_status_item(state.StatusItem);
    rt::SendNativeMessage(nullptr, state.StatusItem, u"setHighlightMode:", 1);
    const int64_t full_battery = rt::ImageHandle(0);
    rt::SendNativeMessage(nullptr, full_battery, u"setTemplate:", 1);
    if (rt::MenuExists(StatusMenu)) rt::DisposeMenu(StatusMenu);
    rt::NewPopupMenu(StatusMenu);
    rt::SendNativeMessage(nullptr, state.StatusItem, u"setMenu:", rt::MenuObject(StatusMenu));
    rt::SendNativeMessage(nullptr, state.StatusItem, u"setImage:", full_battery);
    rt::SendNativeMessage(nullptr, full_battery, u"setTemplate:", 1);
    battery::SelectStatusIcon();
    set_tooltip();
    add_menu_items();
    rt::SetMenuItemDisabled(StatusMenu, ItemPowerState, 1);
    rt::SendNativeMessage(nullptr, state.StatusItem, u"setLength:@", &k_variable_length);
    set_title_from_settings();
}

void ReadBattery() {
    battery::LoadBatteryProperties();
    battery::ReadPowerSourceInfo();
    battery::UpdateBatteryTexts();
}

void RefreshStatus() {
    ReadBattery();
    RecordBatteryReading();
    WarnAboutCharge(indicator().settings.warnings);
    EndChargingOnceWhenDue();
    show_power_line();
    battery::SelectStatusIcon();
    set_tooltip();
    set_title_from_settings();
}

void SetStatusTitle(const rt::String& title) {
    const int64_t item = indicator().StatusItem;
    if (item == 0) return;
    rt::SendNativeMessage(nullptr, item, u"setTitle:", native_string(title));
}

rt::String ShortcutLabel(rt::TextArg symbols) {
    rt::String label(symbols.get() ? symbols.get() : u"");
    const int64_t length = rt::TextLength(label);
    if (length >= 2 && length <= 4) {
        // A "+" before the 2nd, 4th and 6th unit of the growing text: after each symbol.
        for (int64_t position = 2; position <= 2 * (length - 1); position += 2)
            label = rt::InsertText(label, u"+", position);
    }
    label = rt::ReplaceText(label, u"⇧", u"Shift");
    label = rt::ReplaceText(label, u"⌘", u"Cmd");
    label = rt::ReplaceText(label, u"⌥", u"Alt");
    return rt::ReplaceText(label, u"⌃", u"Ctrl");
}

} // namespace app
