// The Preferences window: where it opens, what its boxes do to the title, what closing and
// quitting store, and how it holds off a termination request.

#include "tests/e2e/app_run.h"
#include "tests/e2e/driver_views.h"
#include "tests/e2e/plist_files.h"

#include <gtest/gtest.h>

#include <set>

namespace e2e {
namespace {

// A titled window's frame: its title bar above the content, a thin border at either side.
constexpr int64_t k_title_bar_height = 28;
constexpr int64_t k_side_border = 1;

struct GadgetSetting {
    int gadget;
    const char* key;
};

// The display boxes in the order of the title's pieces.
constexpr GadgetSetting k_display_boxes[] = {
    {4, "ShowCycles"},   {3, "ShowCondition"}, {2, "ShowPercentage"},     {0, "ShowHealth"},
    {8, "ShowTimeLeft"}, {5, "ShowTemp"},      {9, "ShowFullChargeTime"}, {6, "ShowCharging"}};

PlistDictionary settings_with(const std::set<int>& ticked) {
    PlistDictionary settings;
    for (const auto& box : k_display_boxes)
        settings[box.key] = int64_t{ticked.count(box.gadget) ? 1 : 0};
    return settings;
}

std::map<int, int> box_states_with(const std::set<int>& ticked, int login = 0) {
    std::map<int, int> states;
    for (const auto& box : k_display_boxes)
        states[box.gadget] = ticked.count(box.gadget) ? 1 : 0;
    states[11] = login;
    return states;
}

bool is_open_window(const JsonValue& line, int number) {
    return line.event() == "window" && line.integer("number") == number && !line.has("closed");
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
        if (is_open_window(*line, 1)) view.window = *line;
        if (line->event() == "window" && line->has("closed")) view.closed = true;
        if (line->event() == "status" && !view.closed) view.status_while_open = *line;
    }
    return view;
}

// The arithmetic of centring is the windowing runtime's; here: which screen it centres on.
TEST(PreferencesWindow, OpensCentredOnTheScreenUnderThePointer) {
    struct Case {
        const char* name;
        const char* setup;
        int64_t frame_left;
        int64_t frame_top;
    };
    const Case cases[] = {
        {"one screen", "", 560, 305},
        {"pointer on the second screen", "screens 1440x900 1920x1080\nmouse 2000 500", 2240, 395},
        {"odd sizes round toward zero", "screens 1440x900 1025x767+1440+100\nmouse 1500 200", 1792,
         338},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        BatteryRecording().write(home.battery_file());
        AppRun run = run_app(home, {.script = std::string(c.setup) + "\nmenu 4\n"});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        EXPECT_TRUE(run.events("error").empty()) << run.transcript();
        auto window = view_of_window(run).window;
        ASSERT_TRUE(window) << run.transcript();
        EXPECT_EQ(window->string("title"), "Preferences");
        EXPECT_EQ(window->integer("x"), c.frame_left + k_side_border);
        EXPECT_EQ(window->integer("y"), c.frame_top + k_title_bar_height);
        EXPECT_EQ(window->integer("width"), 320);
        EXPECT_EQ(window->integer("height"), 290);
        EXPECT_EQ(window->boolean("visible"), true);
        EXPECT_EQ(window->string("level"), "floating");
    }
}

TEST(PreferencesWindow, ShowsTheStoredChoicesInItsBoxes) {
    TempHome home;
    BatteryRecording().write(home.battery_file());
    PlistDictionary stored = settings_with({4, 5});
    stored["Login"] = int64_t{1};
    write_plist_dictionary(home.preferences_file(), stored);
    AppRun run = run_app(home, {.script = "menu 4\n"});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    auto window = view_of_window(run).window;
    ASSERT_TRUE(window) << run.transcript();
    EXPECT_EQ(checkbox_states(*window), box_states_with({4, 5}, 1));

    // Gadgets made with an automatic number show their kind only.
    std::string texts;
    for (const auto& control : window->field("controls")->items) {
        std::string kind = control.string("kind").value_or("");
        std::string number =
            kind == "checkbox" ? std::to_string(control.integer("number").value_or(-1)) : kind;
        texts += number + " " + control.string("text").value_or("") + "\n";
    }
    EXPECT_EQ(texts, "text Select the information to show in the Menu\nframe \n"
                     "4 Show Battery Charge Cycles\n3 Show Battery Condition\n"
                     "2 Show Battery Charge %\n0 Show Battery Health\n"
                     "8 Show Battery Time Left\n5 Show Battery Temperature\n"
                     "9 Show Time to Full Charge\n6 Show Battery Charge Status\n"
                     "11 Start at Login\n");
}

TEST(PreferencesWindow, BoxesShapeTheTitleAtOnceAndClosingStoresThem) {
    struct Case {
        const char* name;
        const char* clicks;
        const char* title;
        std::set<int> ticked;
    };
    const Case cases[] = {
        {"two boxes, last piece first",
         "click 5\nclick 4",
         "214 cycles • 78% • 31.95°C",
         {4, 2, 5}},
        {"all eight in scrambled order",
         "click 6\nclick 9\nclick 5\nclick 8\nclick 0\nclick 4\nclick 3",
         "214 cycles • Good • 78% • 90.9% health • 03:27 left • 31.95°C • Calculating... • "
         "Not charging",
         {4, 3, 2, 0, 8, 5, 9, 6}},
        {"unticking the only box ticks the percentage again", "click 2", "78%", {2}},
        {"health instead of the percentage", "click 0\nclick 2", "90.9% health", {0}},
        {"unticking the last of two", "click 3\nclick 2\nclick 3", "78%", {2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        BatteryRecording().write(home.battery_file());
        AppRun run =
            run_app(home, {.script = "menu 4\n" + std::string(c.clicks) + "\ndump\nclose 1\n"});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        EXPECT_TRUE(run.events("error").empty()) << run.transcript();

        WindowView view = view_of_window(run);
        ASSERT_TRUE(view.window && view.status_while_open) << run.transcript();
        EXPECT_TRUE(view.closed) << run.transcript();
        EXPECT_EQ(view.status_while_open->string("title"), c.title);
        EXPECT_EQ(checkbox_states(*view.window), box_states_with(c.ticked));
        auto last_status = run.last("status");
        EXPECT_EQ(last_status->string("title"), c.title);

        auto stored = read_plist_dictionary(home.preferences_file());
        ASSERT_TRUE(stored);
        EXPECT_EQ(*stored, settings_with(c.ticked));
    }
}

TEST(PreferencesWindow, QuittingWithItOpenStoresNothing) {
    TempHome home;
    BatteryRecording().write(home.battery_file());
    AppRun run = run_app(home, {.script = "menu 4\nclick 5\nclick 2\nmenu 9\n"});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    auto exit = run.last("exit");
    ASSERT_TRUE(exit) << run.transcript();
    EXPECT_EQ(exit->integer("status"), 0);
    auto last_status = run.last("status");
    ASSERT_TRUE(last_status);
    EXPECT_EQ(last_status->string("title"), "31.95°C");

    auto stored = read_plist_dictionary(home.preferences_file());
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, settings_with({2}));
}

// A setting that could not be stored was once lost without a word.
TEST(PreferencesWindow, ASettingThatCannotBeStoredIsSaidOnceOnStandardError) {
    TempHome home;
    BatteryRecording().write(home.battery_file());
    write_text_file(home.path() / "Library", "a file where a folder should be");
    AppRun run = run_app(home, {.script = "menu 4\nclick 5\nclose 1\nmenu 4\nclick 5\nclose 1\n"});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
    const std::string line = "zerarazi: cannot store settings in " +
                             home.preferences_file().string() + ": " +
                             (home.path() / "Library").string() + ": Not a directory\n";
    EXPECT_EQ(run.errors, line) << "said once, at the first store of the start-up";
    EXPECT_EQ(read_text_file(home.path() / "Library"), "a file where a folder should be");
}

TEST(PreferencesWindow, ItsMenuItemIsDisabledWhileItIsOpen) {
    TempHome home;
    BatteryRecording().write(home.battery_file());
    AppRun run = run_app(home, {.script = "menu 4\nmenu 4\nclose 1\nmenu 4\n"});
    ASSERT_TRUE(run.exited_cleanly()) << run.transcript();

    auto errors = run.events("error");
    ASSERT_EQ(errors.size(), 1u) << run.transcript();
    EXPECT_EQ(errors[0].string("command"), "menu 4");

    std::vector<std::string> seen; // the window's openings and closings and item 4's states
    for (const auto& text : run.lines) {
        auto line = parse_json(text);
        if (!line) continue;
        if (line->event() == "menu") seen.push_back(menu_item_enabled(*line, 4) ? "on" : "off");
        if (line->event() == "window") seen.push_back(line->has("closed") ? "closed" : "open");
        if (line->event() == "error") seen.push_back("error");
    }
    std::vector<std::string> expected = {"on", "off",    "open", "error",
                                         "on", "closed", "off",  "open"};
    EXPECT_EQ(seen, expected) << run.transcript();
}

TEST(Terminate, IsIgnoredWhilePreferencesAreOpen) {
    struct Case {
        const char* name;
        const char* script;
        bool exits;
    };
    const Case cases[] = {
        {"never opened", "terminate\n", true},
        {"open", "menu 4\nterminate\ndump\n", false},
        {"closed again", "menu 4\nterminate\nclose 1\nterminate\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        BatteryRecording().write(home.battery_file());
        AppRun run = run_app(home, {.script = c.script});
        ASSERT_TRUE(run.exited_cleanly()) << run.transcript();
        EXPECT_TRUE(run.events("error").empty()) << run.transcript();
        auto exit = run.last("exit");
        EXPECT_EQ(exit.has_value(), c.exits) << run.transcript();
        if (exit) {
            EXPECT_EQ(exit->integer("status"), 0);
        }
        // Still answering: the input ran to its end, and the dump showed the open window.
        EXPECT_EQ(run.index_of("end") < run.lines.size(), !c.exits) << run.transcript();
        if (!c.exits) {
            EXPECT_TRUE(view_of_window(run).window) << run.transcript();
        }
    }
}

} // namespace
} // namespace e2e
