#include "platform/display/desktop/status_menu_exporter.h"

#include <gio/gio.h>

#include "tests/support/main_context_wait.h"

#include <gtest/gtest.h>

#include <ostream>
#include <utility>

// The menu on a private session bus, with this test as the panel's menu client: it counts the
// menu's signals after each show() and reads which items they name.
namespace menu_bus_test {

struct Heard {
    std::string signal;
    std::vector<int> items; // the ids whose properties changed, for ItemsPropertiesUpdated
    bool operator==(const Heard&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Heard& heard) {
    out << heard.signal;
    for (int id : heard.items)
        out << ' ' << id;
    return out;
}

class StatusMenuExporterBus : public testing::Test {
  protected:
    void SetUp() override {
        m_daemon = g_test_dbus_new(G_TEST_DBUS_NONE);
        g_test_dbus_up(m_daemon);
        m_bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        m_subscription = g_dbus_connection_signal_subscribe(
            m_bus, nullptr, "com.canonical.dbusmenu", nullptr, "/MenuBar", nullptr,
            G_DBUS_SIGNAL_FLAGS_NONE, on_signal, this, nullptr);
    }
    void TearDown() override {
        m_exporter.reset();
        g_dbus_connection_signal_unsubscribe(m_bus, m_subscription);
        g_object_unref(m_bus);
        g_test_dbus_down(m_daemon);
        g_object_unref(m_daemon);
    }

    static void on_signal(GDBusConnection*, const char*, const char*, const char*,
                          const char* member, GVariant* parameters, gpointer self) {
        Heard heard{member, {}};
        if (heard.signal == "ItemsPropertiesUpdated") {
            GVariantIter* updated = nullptr;
            g_variant_get(parameters, "(a(ia{sv})a(ias))", &updated, nullptr);
            int id = 0;
            GVariantIter* properties = nullptr;
            while (g_variant_iter_next(updated, "(ia{sv})", &id, &properties)) {
                heard.items.push_back(id);
                g_variant_iter_free(properties);
            }
            g_variant_iter_free(updated);
        }
        static_cast<StatusMenuExporterBus*>(self)->m_heard.push_back(heard);
    }

    // Whether the menu answered GetLayout: once it does, whatever it sent before has arrived.
    bool layout_answered() {
        int answered = 0; // 1 for an error, 2 for the layout
        g_dbus_connection_call(
            m_bus, g_dbus_connection_get_unique_name(m_bus), "/MenuBar", "com.canonical.dbusmenu",
            "GetLayout", g_variant_new("(iias)", 0, -1, nullptr), nullptr, G_DBUS_CALL_FLAGS_NONE,
            -1, nullptr,
            [](GObject* bus, GAsyncResult* result, gpointer done) {
                GVariant* reply =
                    g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, nullptr);
                *static_cast<int*>(done) = reply ? 2 : 1;
                if (reply) g_variant_unref(reply);
            },
            &answered);
        run_main_context_until([&] { return answered != 0; });
        run_main_context_until([] { return !g_main_context_pending(nullptr); });
        return answered == 2;
    }

    // The menu first shown with `items`, once the server has the bus and has said so.
    void show_first(const std::vector<MenuItemSnapshot>& items) {
        m_exporter = std::make_unique<StatusMenuExporter>("/MenuBar", [](int) {});
        m_exporter->show(items);
        ASSERT_TRUE(run_main_context_until([&] { return layout_answered(); }));
        EXPECT_EQ(m_exporter->items(), items) << "the items the popup menu opens with";
        // The first LayoutUpdated may follow the first answer: it is not what the test counts.
        const gint64 settled = g_get_monotonic_time() + G_USEC_PER_SEC / 5;
        run_main_context_until([&] { return g_get_monotonic_time() >= settled; });
        m_heard.clear();
    }

    // What the menu said after showing `items`: the server sends its changes from an idle
    // callback, run before the call that marks the end.
    std::vector<Heard> heard_after(const std::vector<MenuItemSnapshot>& items) {
        m_exporter->show(items);
        run_main_context_until([] { return !g_main_context_pending(nullptr); });
        EXPECT_TRUE(layout_answered());
        return std::exchange(m_heard, {});
    }

    GTestDBus* m_daemon = nullptr;
    GDBusConnection* m_bus = nullptr;
    guint m_subscription = 0;
    std::unique_ptr<StatusMenuExporter> m_exporter;
    std::vector<Heard> m_heard;
};

MenuItemSnapshot entry(int number, std::string title, bool enabled = true) {
    return {.number = number, .title = std::move(title), .key = "", .enabled = enabled};
}

// The same menu again says nothing; a change that keeps every item in its place names the items
// that changed and nothing else; a change of places is a new layout.
TEST_F(StatusMenuExporterBus, SignalsOnlyTheItemsThatChanged) {
    const std::vector<MenuItemSnapshot> menu = {entry(1, "Currently on Battery Power", false),
                                                {.separator = true, .title = "", .key = ""},
                                                entry(4, "Preferences..."),
                                                entry(9, "Quit Zerarazi")};
    show_first(menu);
    EXPECT_EQ(heard_after(menu), std::vector<Heard>{});
    std::vector<MenuItemSnapshot> on_mains = menu;
    on_mains[0].title = "Currently on Power Adapter";
    EXPECT_EQ(heard_after(on_mains), (std::vector<Heard>{{"ItemsPropertiesUpdated", {1}}}));
    EXPECT_EQ(heard_after(on_mains), std::vector<Heard>{});
    std::vector<MenuItemSnapshot> disabled = on_mains;
    disabled[3].enabled = false;
    EXPECT_EQ(heard_after(disabled), (std::vector<Heard>{{"ItemsPropertiesUpdated", {4}}}));
    std::vector<MenuItemSnapshot> shorter(disabled.begin(), disabled.begin() + 3);
    const std::vector<Heard> heard = heard_after(shorter);
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back().signal, "LayoutUpdated");
    EXPECT_EQ(heard_after(shorter), std::vector<Heard>{});
    m_exporter->show(std::nullopt);
    EXPECT_EQ(m_exporter->items(), std::nullopt);
}

} // namespace menu_bus_test
