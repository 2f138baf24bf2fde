#include "app/about_box.h"

#include "app/indicator_state.h"
#include "runtime/ui/native_message.h"

namespace app {
namespace {

constexpr int64_t k_see_my_other_apps = 1001;

constexpr const char16_t* k_about_text = u"\nA simple battery status indicator\n"
                                         u"made with great angst\n\n"
                                         u"Zerarazi 0.1\n"
                                         u"Built with care for batteries everywhere\n"
                                         u"\n\rFree software: share and enjoy";

// The first button answers Return.
void make_first_button_default(int64_t alert) {
    const int64_t buttons = rt::SendNativeMessage(nullptr, alert, u"buttons");
    const int64_t ok = rt::SendNativeMessage(nullptr, buttons, u"objectAtIndex:", 0);
    const int64_t cell = rt::SendNativeMessage(nullptr, ok, u"cell");
    const int64_t window = rt::SendNativeMessage(nullptr, alert, u"window");
    rt::SendNativeMessage(nullptr, window, u"setDefaultButtonCell:", cell);
}

} // namespace

void OpenLink(const char16_t* link) {
    const int64_t url = rt::SendNativeMessage(nullptr, 0, u"NSURL URLWithString:$", link);
    if (url == 0) return;
    const int64_t workspace = rt::SendNativeMessage(nullptr, 0, u"NSWorkspace sharedWorkspace");
    rt::SendNativeMessage(nullptr, workspace, u"openURL:", url);
}

void ShowAboutBox() {
    ActivateApplication();
    const int64_t created = rt::SendNativeMessage(nullptr, 0, u"NSAlert new");
    const int64_t alert = rt::SendNativeMessage(nullptr, created, u"autorelease");
    rt::SendNativeMessage(nullptr, alert, u"setMessageText:$", u"");
    rt::SendNativeMessage(nullptr, alert, u"setInformativeText:$", k_about_text);
    rt::SendNativeMessage(nullptr, alert, u"addButtonWithTitle:$", u"Ok");
    rt::SendNativeMessage(nullptr, alert, u"addButtonWithTitle:$", u"See My Other Apps");
    make_first_button_default(alert);
    if (rt::SendNativeMessage(nullptr, alert, u"runModal") == k_see_my_other_apps)
        OpenLink(MakerWebPage);
}

} // namespace app
