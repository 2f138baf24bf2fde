// A person's use of a window's buttons and choices, end to end over the driver display: the
// window's line shows the gadgets, the driver's commands reach them as clicks and choices, and
// the program receives gadget events.

#include "runtime/ui/gadgets.h"

#include "runtime/ui/application.h"
#include "runtime/ui/event_kinds.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/wait_event.h"
#include "runtime/ui/windows.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rt;

// The gadget events until the script ends, as "gadget (state)".
std::vector<std::string> gadget_events_until_the_end(const ExitRecorder& exits) {
    std::vector<std::string> events;
    while (exits.statuses.empty()) {
        if (WaitEvent() != EventKindGadget) continue;
        const int64_t gadget = CurrentEventGadget();
        events.push_back(std::to_string(gadget) + " (" + std::to_string(GetGadgetState(gadget)) +
                         ")");
    }
    return events;
}

TEST(GadgetsOverTheDriver, ChoosingAndPressingReachTheProgramAndDisabledOnesRefuse) {
    DriverSession session("choose 3 2\nclick 2\nclick 4\nchoose 3 7\nchoose 2 0\nclick 3\n"
                          "choose 3 0\n");
    ASSERT_EQ(InitApplication(), 1);
    ASSERT_EQ(InitEvents(), 1);
    ASSERT_EQ(InitWindows(), 1);
    ASSERT_EQ(InitGadgets(), 1);
    ASSERT_NE(NewWindow(1, 0, 0, 320, 100, u"Limits", 4), 0);
    ASSERT_NE(CreateButtonGadget(2, 10, 10, 150, 24, u"Charge to 100% Once"), 0);
    ASSERT_NE(CreateChoiceGadget(3, 10, 40, 80, 24), 0);
    for (const char16_t* item : {u"60%", u"70%", u"80%", u"90%"})
        AddGadgetItem(3, -1, item);
    ASSERT_NE(CreateButtonGadget(4, 10, 70, 150, 24, u"Stop"), 0);
    DisableGadget(4, 1);

    EXPECT_EQ(gadget_events_until_the_end(session.exits),
              (std::vector<std::string>{"3 (2)", "2 (0)", "3 (0)"}));
    Lines errors, windows;
    for (const std::string& line : session.lines()) {
        if (line.find(R"("event":"error")") != std::string::npos) errors.push_back(line);
        if (line.find(R"("event":"window")") != std::string::npos) windows.push_back(line);
    }
    auto error = [](const char* command, const char* message) {
        return std::string(R"({"event":"error","t":0,"command":")") + command + R"(","message":")" +
               message + R"("})";
    };
    EXPECT_EQ(errors, (Lines{error("click 4", "control 4 is disabled"),
                             error("choose 3 7", "control 3 has no item 7"),
                             error("choose 2 0", "control 2 is not a choice")}));
    // The choice and the disabled button, as the window's first line shows them.
    ASSERT_FALSE(windows.empty());
    EXPECT_NE(windows.front().find(R"({"number":3,"kind":"choice","text":"60%","state":0,"x":10,)"
                                   R"("y":68,"width":80,"height":24,)"
                                   R"("items":["60%","70%","80%","90%"]},{"number":4,)"
                                   R"("kind":"button","text":"Stop","state":0,"x":10,"y":98,)"
                                   R"("width":150,"height":24,"enabled":false})"),
              std::string::npos)
        << windows.front();
    FreeGadget(AutoNumber);
    DisposeWindow(AutoNumber);
}

} // namespace
