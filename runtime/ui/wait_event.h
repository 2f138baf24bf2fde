#pragma once
// The program's wait for events: WaitEventTimeout and WaitEvent run one pass of the event pump
// over the application object. Each wait first replaces the main thread's autorelease pool, so
// native objects handed to the program live until its next wait.
//
// Window shortcuts are matched through a hook that the menus install: a key-down in a runtime
// window that one of the window's shortcuts matches becomes that shortcut's menu event.

#include <cstdint>

class NSEvent;

namespace rt {

// Negative milliseconds wait without limit, 0 only looks. Returns a runtime event kind; 0 when no
// native event arrived in time; -1 when native events were processed and no runtime event
// resulted.
int32_t WaitEventTimeout(int32_t milliseconds);
int32_t WaitEvent();

// Releases the main thread's autorelease pool (if any) and makes a fresh one.
void renew_main_autorelease_pool();

// Answers whether a shortcut of runtime window `window` matches the key-down `event`, and if so
// the shortcut's item number.
using WindowShortcutMatcher = bool (*)(NSEvent* event, int64_t window, int64_t& item);
void set_window_shortcut_matcher(WindowShortcutMatcher matcher);

// Lets the event queue wake a blocked wait through the application's native queue. InitEvents's
// callers install it once the application object exists; InitApplication does.
void install_application_waker();

} // namespace rt
