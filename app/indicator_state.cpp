#include "app/indicator_state.h"

#include "runtime/ui/native_message.h"

namespace app {

IndicatorState& indicator() {
    static auto* state = new IndicatorState();
    return *state;
}

void ActivateApplication() {
    const int64_t application =
        rt::SendNativeMessage(nullptr, 0, u"NSRunningApplication currentApplication");
    rt::SendNativeMessage(nullptr, application, u"activateWithOptions:", 3);
}

} // namespace app
