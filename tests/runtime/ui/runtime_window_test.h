#pragma once
// The fixture of the window, timer and gadget tests: the application, the event queue and the
// window table over a driver display that plays `m_script`, with the process's exit (the end of
// the script) ignored.

#include "platform/appkit/ns_application.h"
#include "platform/display/driver/driver_display.h"
#include "platform/objc/autorelease_pool.h"
#include "platform/startup/model_on_display.h"
#include "runtime/ui/application.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/wait_event.h"
#include "runtime/ui/window_records.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>

class RuntimeWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        NSApplication::set_exit_handler([](int) {});
        m_scope.emplace(m_display);
        ASSERT_EQ(rt::InitApplication(), 1);
        ASSERT_EQ(rt::InitEvents(), 1);
        rt::install_application_waker();
        ASSERT_EQ(rt::InitWindows(), 1);
    }
    void TearDown() override {
        rt::DisposeWindow(rt::AutoNumber);
        rt::set_native_event_waker(nullptr);
        rt::InitEvents();
        m_scope.reset();
        NSApplication::set_exit_handler(nullptr);
    }

    std::istringstream m_script;
    std::ostringstream m_output;
    DriverDisplay m_display{m_script, m_output};
    std::optional<ModelOnDisplay> m_scope;
    AutoreleasePoolScope m_pool;
};
