#include "app/charge_limit_box.h"

#include "app/indicator_state.h"
#include "battery/battery_properties.h"
#include "battery/charge_hold.h"
#include "platform/appkit/charge_limit_requests.h"
#include "platform/appkit/ns_user_notification.h"
#include "platform/foundation/problem_report.h"
#include "runtime/core/number_text.h"
#include "runtime/ui/gadgets.h"
#include "runtime/ui/native_message.h"
#include "runtime/ui/windows.h"

#include <array>
#include <cctype>
#include <string>

namespace app {
namespace {

constexpr std::array<int, 4> k_choices = {60, 70, 80, 90};
constexpr int k_default_choice = 80;

// What the controls show: the limit in force, as the service or else the battery says.
struct ChargeLimitView {
    int limit = 100; // 100: none
    bool charging_once = false;
    int chosen = k_default_choice;
    bool waiting = false; // a change was asked for and its answer has not come
    // The system's power daemon holds the thresholds: the limit is not chosen here, and charging
    // fully once ends when this model sets the limit again.
    bool system_thresholds = false;
    int64_t box = 0; // the box's view, whose title follows the choice
};

ChargeLimitView& view() {
    static ChargeLimitView shown;
    return shown;
}

int choice_index(int percent) {
    for (size_t i = 0; i < k_choices.size(); ++i) {
        if (k_choices[i] == percent) return static_cast<int>(i);
    }
    return -1;
}

rt::String box_title(int percent) {
    return u"Limit Charge to " + rt::IntegerToText(percent) + u"%";
}

void enable(int64_t gadget, bool enabled) {
    rt::DisableGadget(gadget, enabled ? 0 : 1);
}

bool is_limited(const ChargeLimitView& shown) {
    return shown.limit < 100 || shown.charging_once;
}

void show_view() {
    const ChargeLimitView& shown = view();
    if (!rt::WindowExists(PreferencesWindow)) return;
    const int64_t title =
        rt::SendNativeMessage(nullptr, 0, u"NSString stringWithString:$", box_title(shown.chosen));
    rt::SendNativeMessage(nullptr, shown.box, u"setTitle:", title);
    rt::SetGadgetState(CheckChargeLimit, is_limited(shown) ? 1 : 0);
    rt::SetGadgetState(ChoiceChargeLimit, choice_index(shown.chosen));
    enable(CheckChargeLimit, !shown.waiting);
    enable(ChoiceChargeLimit, !shown.waiting && !shown.system_thresholds);
    enable(ButtonChargeOnce, !shown.waiting && shown.limit < 100 && !shown.charging_once);
}

void ask(ChargeLimitAsk what, int percent = 100) {
    view().waiting = what != ChargeLimitAsk::state;
    RequestChargeLimit({what, percent});
}

// The choice shown, which a person's pick may have changed before its event is handled.
void keep_shown_choice() {
    if (!rt::WindowExists(PreferencesWindow)) return;
    const int64_t index = rt::GetGadgetState(ChoiceChargeLimit);
    if (index >= 0 && index < static_cast<int64_t>(k_choices.size()))
        view().chosen = k_choices[static_cast<size_t>(index)];
}

void take_state(const ChargeLimitAnswer& answer) {
    ChargeLimitView& shown = view();
    shown.limit = answer.limit;
    shown.charging_once = answer.charging_once;
    shown.system_thresholds = answer.system_thresholds;
    // The system's own limit is shown as it is, even where it is none of the choices.
    if (answer.system_thresholds) {
        shown.chosen = answer.system_limit;
    } else if (choice_index(answer.limit) >= 0) {
        shown.chosen = answer.limit;
    }
    battery::note_charging_once(answer.charging_once ? std::optional<int64_t>(answer.limit)
                                                     : std::nullopt);
}

const char16_t* reason_of(ChargeLimitOutcome outcome) {
    switch (outcome) {
    case ChargeLimitOutcome::refused:
        return u"the administrator's authorisation was not given";
    case ChargeLimitOutcome::not_installed:
        return u"the charge limit's service is not installed";
    case ChargeLimitOutcome::not_supported:
        return u"no battery of this machine's can be limited";
    case ChargeLimitOutcome::done:
    case ChargeLimitOutcome::failed:
        break;
    }
    return nullptr;
}

// One line and one notification at every failure; that of a state request alone is not told,
// since the person asked for nothing.
void tell_failure(const ChargeLimitAnswer& answer) {
    if (answer.ask == ChargeLimitAsk::state) return;
    const char16_t* reason = reason_of(answer.outcome);
    const rt::String why = reason ? rt::String(reason) : rt::String::from_utf8(answer.message);
    // Said every time, and on standard error alone: the notification is the one that shows.
    const std::string line = why.utf8();
    say_problem({"Charge limit not changed: ", line});
    std::string sentence = line + ".";
    sentence[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sentence[0])));
    DeliverUserNotification({"charge-limit", "Charge Limit Not Changed", sentence, false});
}

} // namespace

bool BatteryCanBeLimited() {
    return battery::battery_integer(u"ChargeLimit").has_value();
}

void AddChargeLimitControls(int32_t y) {
    SetChargeLimitAnswerHandler(TakeChargeLimitAnswer);
    ChargeLimitView& shown = view();
    if (!shown.waiting) {
        shown.limit = static_cast<int>(battery::battery_integer(u"ChargeLimit").value_or(100));
        if (choice_index(shown.limit) >= 0) shown.chosen = shown.limit;
    }
    shown.box = rt::CreateCheckboxGadget(CheckChargeLimit, 20, y, 180, 25, box_title(shown.chosen));
    rt::CreateChoiceGadget(ChoiceChargeLimit, 205, y, 95, 25);
    for (int percent : k_choices)
        rt::AddGadgetItem(ChoiceChargeLimit, -1, rt::IntegerToText(percent) + u"%");
    rt::CreateButtonGadget(ButtonChargeOnce, 20, y + 30, 200, 28, u"Charge to 100% Once");
    show_view();
    if (!shown.waiting) ask(ChargeLimitAsk::state);
}

// A click turns over what the box showed: an answer shown between the click and its event may
// have set the box's state already.
void ChargeLimitBoxClicked() {
    const bool limit = !is_limited(view());
    ask(ChargeLimitAsk::set_limit, limit ? view().chosen : 100);
    show_view();
    rt::SetGadgetState(CheckChargeLimit, limit ? 1 : 0);
}

void ChargeLimitChosen() {
    const int64_t index = rt::GetGadgetState(ChoiceChargeLimit);
    if (index < 0 || index >= static_cast<int64_t>(k_choices.size())) return;
    view().chosen = k_choices[static_cast<size_t>(index)];
    if (rt::GetGadgetState(CheckChargeLimit) == 1) ask(ChargeLimitAsk::set_limit, view().chosen);
    show_view();
}

void ChargeOnceClicked() {
    ask(ChargeLimitAsk::charge_fully_once);
    show_view();
}

void EndChargingOnceWhenDue() {
    const ChargeLimitView& shown = view();
    if (!shown.system_thresholds || !shown.charging_once || shown.waiting) return;
    const bool on_mains = battery::GetBatteryValue(u"ExternalConnected") == u"Yes";
    const bool full = battery::GetBatteryValue(u"FullyCharged") == u"Yes" ||
                      battery::battery_integer(u"CurrentCapacity").value_or(0) >= 100;
    if (!on_mains || full) ask(ChargeLimitAsk::set_limit, shown.limit);
}

void TakeChargeLimitAnswer(const ChargeLimitAnswer& answer) {
    // An answer to a change shows the limit in force; one to a look leaves a pick standing.
    if (answer.ask == ChargeLimitAsk::state) keep_shown_choice();
    if (answer.ask != ChargeLimitAsk::state) view().waiting = false;
    if (answer.ask != ChargeLimitAsk::state && choice_index(view().limit) >= 0)
        view().chosen = view().limit;
    if (answer.outcome == ChargeLimitOutcome::done) {
        take_state(answer);
    } else {
        tell_failure(answer);
    }
    show_view();
}

} // namespace app
