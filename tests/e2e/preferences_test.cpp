// The Preferences window: where it opens, what its boxes do to the title, what closing and
// quitting store, and how it holds off a termination request.

#include "tests/e2e/app_run.h"
#include "tests/e2e/driver_views.h"
#include "tests/e2e/plist_files.h"

#include <gtest/gtest.h>

#include <set>

namespace e2e {
namespace {

std::map<int, int> box_states_with(const std::set<int>& ticked, int login = 0) {
    std::map<int, int> states{{11, login}};
    for (const auto& box : k_display_boxes)
        states[box.gadget] = ticked.count(box.gadget);
    return states;
}

// The last line of the Preferences window while it was open, and the last status line before
// the window closed (or the last one at all when it never closed).
struct WindowView {
    std::optional<JsonValue> window;
    std::optional<JsonValue> status_while_open;
    bool closed = false;
};

WindowView view_of_window(const AppRun& run) {
    WindowView view;
    for (const auto& text : run.lines) {
        auto line = parse_json(text);
        if (!line) continue;
        const bool window = line->event() == "window";
        if (window && line->has("closed")) view.closed = true;
        if (window && !line->has("closed") && line->integer("number") == 1) view.window = *line;
        if (line->event() == "status" && !view.closed) view.status_while_open = *line;
    }
    return view;
}

// The arithmetic of centring is the windowing runtime's; here: which screen it centres on. The
// boxes show the stored choices (the second start: cycles, temperature and Start at Login).
TEST(PreferencesWindow, OpensCentredOnTheScreenUnderThePointerShowingTheStoredChoices) {
    struct Case {
        const char* setup;
        int64_t content_left, content_top; // the frame's, one border and the title bar in
    };
    const Case cases[] = {
        {"", 561, 333},
        {"screens 1440x900 1920x1080\nmouse 2000 500", 2241, 423},
        {"screens 1440x900 1025x767+1440+100\nmouse 1500 200", 1793, 366}, // rounds toward zero
    };
    std::optional<JsonValue> window;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setup);
        TempHome home;
        PlistDictionary stored = display_settings({4, 5});
        stored["Login"] = int64_t{1};
        write_plist_dictionary(home.preferences_file(), stored);
        AppRun run = run_app(home, {.script = std::string(c.setup) + "\nmenu 4\n"});
        ASSERT_TRUE(run.exited_cleanly() && run.events("error").empty()) << run.transcript();
        window = view_of_window(run).window;
        ASSERT_TRUE(window) << run.transcript();
        EXPECT_EQ(std::tuple(window->string("title"), window->integer("x"), window->integer("y")),
                  std::tuple("Preferences", c.content_left, c.content_top));
        EXPECT_EQ(std::tuple(window->integer("width"), window->integer("height"),
                             window->boolean("visible"), window->string("level")),
                  std::tuple(320, 290, true, "floating"));
        EXPECT_EQ(checkbox_states(*window), box_states_with({4, 5}, 1));
    }

    // The texts are the application's; here: every control reaches the window.
    EXPECT_EQ(window->field("controls")->items.size(), 11u);
}

// Closing stores the boxes; quitting with the window open stores nothing.
TEST(PreferencesWindow, BoxesShapeTheTitleAtOnceAndClosingStoresThem) {
    struct Case {
        const char* clicks;
        std::set<int> ticked;
        const char* title;
        bool quits = false;
    };
    const Case cases[] = {
        {"click 5\nclick 4", {4, 2, 5}, "214 cycles • 78% • 31.95°C"},
        {"click 2", {2}, "78%"}, // unticking the only box ticks the percentage again
        {"click 0\nclick 2", {0}, "90.9% health"},
        {"click 5\nclick 2", {5}, "31.95°C", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clicks);
        TempHome home;
        const std::string end = c.quits ? "\nmenu 9\n" : "\ndump\nclose 1\n";
        AppRun run = run_app(home, {.script = "menu 4\n" + std::string(c.clicks) + end});
        ASSERT_TRUE(run.exited_cleanly() && run.events("error").empty()) << run.transcript();
        WindowView view = view_of_window(run);
        ASSERT_TRUE(view.window && view.status_while_open) << run.transcript();
        EXPECT_EQ(view.closed, !c.quits) << run.transcript();
        EXPECT_EQ(run.last("exit").has_value(), c.quits) << run.transcript();
        EXPECT_EQ(view.status_while_open->string("title"), c.title);
        EXPECT_EQ(run.last("status")->string("title"), c.title);
        EXPECT_EQ(checkbox_states(*view.window), box_states_with(c.ticked));
        EXPECT_EQ(read_plist_dictionary(home.preferences_file()),
                  display_settings(c.quits ? std::set<int>{2} : c.ticked));
    }
}

// A setting that could not be stored was once lost without a word.
TEST(PreferencesWindow, ASettingThatCannotBeStoredIsSaidOnceOnStandardError) {
    TempHome home;
    home.write("Library", "a file where a folder should be");
    AppRun run = run_app(home, {.script = "menu 4\nclick 5\nclose 1\nmenu 4\nclick 5\nclose 1\n"});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    EXPECT_EQ(run.errors, "zerarazi: cannot store settings in " + home.preferences_file().string() +
                              ": " + (home.path() / "Library").string() + ": Not a directory\n")
        << "said once, at the first store of the start-up";
    EXPECT_EQ(file_bytes(home / "Library"), "a file where a folder should be");
}

// Its menu item is disabled while it is open, and a termination request is ignored then.
TEST(PreferencesWindow, HoldsOffItsMenuItemAndTerminateWhileOpen) {
    struct Case {
        const char* script;
        const char* seen; // the window's openings and closings, item 4's states, errors, exit
    };
    const Case cases[] = {
        {"menu 4\nmenu 4\nclose 1\nmenu 4\n", "on off open error on closed off open"},
        {"terminate\n", "on exit"},
        {"menu 4\nterminate\ndump\n", "on off open off open"},
        {"menu 4\nterminate\nclose 1\nterminate\n", "on off open on closed exit"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        TempHome home;
        AppRun run = run_app(home, {.script = c.script});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        std::string seen;
        for (const auto& text : run.lines) {
            const JsonValue line = parse_json(text).value_or(JsonValue{});
            const std::string event = line.event();
            if (event == "menu")
                seen += menu_summary(line).find("4 Preferences... |") != std::string::npos ? " on"
                                                                                           : " off";
            if (event == "window") seen += line.has("closed") ? " closed" : " open";
            if (event == "error") seen += " error";
            if (event == "exit") seen += line.integer("status") == 0 ? " exit" : " failure";
        }
        EXPECT_EQ(seen, std::string(" ") + c.seen) << run.transcript();
        // Still answering after a terminate that was held off: the input ran to its end.
        EXPECT_EQ(run.index_of("end") < run.lines.size(), !run.last("exit")) << run.transcript();
    }
}

} // namespace
} // namespace e2e
