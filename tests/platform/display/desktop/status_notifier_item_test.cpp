#include "platform/display/desktop/status_notifier_item.h"

#include <glib/gstdio.h>
#include <gtest/gtest.h>

#include <set>
#include <utility>

// The item on a private session bus, with this test as the panel: it owns the watcher and counts
// every signal the item's connection sends after each show().
namespace item_bus_test {

constexpr const char* k_watcher_xml = R"xml(<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
  </interface>
</node>)xml";

GDBusConnection* connect(GTestDBus* bus) {
    return g_dbus_connection_new_for_address_sync(
        g_test_dbus_get_bus_address(bus),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
}

template <typename Done>
bool run_until(Done done) {
    const gint64 deadline = g_get_monotonic_time() + 5 * G_USEC_PER_SEC;
    while (!done() && g_get_monotonic_time() < deadline)
        g_main_context_iteration(nullptr, FALSE);
    return done();
}

// A battery's outline 24 × 12 pixels with its terminal on the right, room inside for the charge.
std::shared_ptr<const ImagePixels> picture(uint8_t alpha) {
    auto pixels = std::make_shared<ImagePixels>(
        ImagePixels{24, 12, 24, 12, std::vector<uint8_t>(24 * 12 * 4, 0)});
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 24; ++x) {
            const bool outline = x < 21 && (x < 2 || x >= 19 || y < 2 || y >= 10);
            const bool terminal = x >= 21 && y >= 4 && y < 8;
            if (outline || terminal) pixels->rgba[static_cast<size_t>(y * 24 + x) * 4 + 3] = alpha;
        }
    }
    return pixels;
}

void no_problem(std::initializer_list<std::string_view>) {}

class Panel {
  public:
    Panel(GTestDBus* bus) : m_bus(connect(bus)) {
        static GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(k_watcher_xml, nullptr);
        GDBusInterfaceVTable vtable{};
        vtable.method_call = [](GDBusConnection*, const char*, const char*, const char*,
                                const char*, GVariant*, GDBusMethodInvocation* invocation,
                                gpointer self) {
            static_cast<Panel*>(self)->m_registered++;
            g_dbus_method_invocation_return_value(invocation, nullptr);
        };
        m_object = g_dbus_connection_register_object(
            m_bus, "/StatusNotifierWatcher", node->interfaces[0], &vtable, this, nullptr, nullptr);
        GVariant* owned = g_dbus_connection_call_sync(
            m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "RequestName", g_variant_new("(su)", "org.kde.StatusNotifierWatcher", 0u), nullptr,
            G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
        if (owned) g_variant_unref(owned);
    }
    ~Panel() {
        if (m_subscription) g_dbus_connection_signal_unsubscribe(m_bus, m_subscription);
        g_dbus_connection_unregister_object(m_bus, m_object);
        g_dbus_connection_close_sync(m_bus, nullptr, nullptr);
        g_object_unref(m_bus);
    }

    // Every signal from the connection `sender`, of any interface and path.
    void listen_to(const char* sender) {
        m_subscription = g_dbus_connection_signal_subscribe(
            m_bus, sender, nullptr, nullptr, nullptr, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
            [](GDBusConnection*, const char*, const char*, const char*, const char* member,
               GVariant*,
               gpointer self) { static_cast<Panel*>(self)->m_signals.push_back(member); },
            this, nullptr);
    }

    // The signals received since the last call. A call to the item answered is the mark that
    // whatever it sent before has arrived.
    std::vector<std::string> signals_from(const char* item) {
        bool answered = false;
        g_dbus_connection_call(
            m_bus, item, "/StatusNotifierItem", "org.freedesktop.DBus.Peer", "Ping", nullptr,
            nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
            [](GObject* bus, GAsyncResult* result, gpointer done) {
                GVariant* reply =
                    g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, nullptr);
                if (reply) g_variant_unref(reply);
                *static_cast<bool*>(done) = true;
            },
            &answered);
        run_until([&] { return answered; });
        return std::exchange(m_signals, {});
    }

    int registered() const { return m_registered; }

    // The value of one of the item's properties, as the panel reads it.
    GVariant* property(const char* item, const char* name) {
        GVariant* reply = nullptr;
        g_dbus_connection_call(
            m_bus, item, "/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get",
            g_variant_new("(ss)", "org.kde.StatusNotifierItem", name), G_VARIANT_TYPE("(v)"),
            G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
            [](GObject* bus, GAsyncResult* result, gpointer out) {
                *static_cast<GVariant**>(out) =
                    g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, nullptr);
            },
            &reply);
        run_until([&] { return reply != nullptr; });
        if (!reply)
            return g_variant_ref_sink(g_variant_new_array(G_VARIANT_TYPE("(iiay)"), nullptr, 0));
        GVariant* value = nullptr;
        g_variant_get(reply, "(v)", &value);
        g_variant_unref(reply);
        return value;
    }

  private:
    GDBusConnection* m_bus;
    guint m_object = 0;
    guint m_subscription = 0;
    int m_registered = 0;
    std::vector<std::string> m_signals;
};

class StatusNotifierItemBus : public testing::Test {
  protected:
    void SetUp() override {
        m_folder = g_dir_make_tmp("item-test-XXXXXX", nullptr);
        g_setenv("XDG_RUNTIME_DIR", m_folder, TRUE); // the symbolic icons Xfce's item writes
        m_daemon = g_test_dbus_new(G_TEST_DBUS_NONE);
        g_test_dbus_up(m_daemon);
        m_item_bus = connect(m_daemon);
        m_panel = std::make_unique<Panel>(m_daemon);
    }
    void TearDown() override {
        m_item.reset();
        m_panel.reset();
        g_dbus_connection_close_sync(m_item_bus, nullptr, nullptr);
        g_object_unref(m_item_bus);
        g_test_dbus_down(m_daemon);
        g_object_unref(m_daemon);
        g_rmdir(m_folder);
        g_free(m_folder);
    }

    // The item shown with `status` in the panel of the desktop `desktop`, registered.
    void show_item(const std::string& desktop, const StatusSnapshot& status) {
        m_item = StatusNotifierItem::make(
            m_item_bus, StatusItemSetup{.identity = {"Zerarazi", "org.zerarazi.Zerarazi"},
                                        .say_problem = no_problem,
                                        .menu_path = "/MenuBar",
                                        .current_desktop = desktop,
                                        .icon_shows_title = ""});
        ASSERT_TRUE(m_item);
        m_item->show(status);
        ASSERT_TRUE(run_until([&] { return m_item->registered(); }));
        m_panel->listen_to(g_dbus_connection_get_unique_name(m_item_bus));
    }

    std::vector<std::string> signals_after(const StatusSnapshot& status) {
        m_item->show(status);
        return m_panel->signals_from(g_dbus_connection_get_unique_name(m_item_bus));
    }

    gchar* m_folder = nullptr;
    GTestDBus* m_daemon = nullptr;
    GDBusConnection* m_item_bus = nullptr;
    std::unique_ptr<Panel> m_panel;
    std::unique_ptr<StatusNotifierItem> m_item;
};

using Signals = std::vector<std::string>;

struct ShowCase {
    const char* what;
    std::string desktop;
    Signals unchanged, new_title, new_tool_tip, new_picture;
};

// One status after another: the same again says nothing; a change says which part changed, once.
// Xfce's tray reads the whole item on any signal and draws the title into the picture, so a new
// title there is one NewIcon; a panel that draws the label hears of the label and the tooltip.
TEST_F(StatusNotifierItemBus, SignalsOnlyWhatChanged) {
    const ShowCase cases[] = {
        {"unknown panel", "", {}, {"XAyatanaNewLabel", "NewToolTip"}, {"NewToolTip"}, {"NewIcon"}},
        {"Xfce", "XFCE", {}, {"NewIcon"}, {"NewToolTip"}, {"NewIcon"}},
    };
    for (const ShowCase& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        StatusSnapshot status{.image = "battery_icon.png",
                              .is_template = true,
                              .title = "80%",
                              .tooltip = std::nullopt,
                              .pixels = picture(0xFF)};
        show_item(c.desktop, status);
        EXPECT_EQ(m_panel->registered(), 1);
        EXPECT_EQ(signals_after(status), c.unchanged);
        status.title = "79%";
        EXPECT_EQ(signals_after(status), c.new_title);
        EXPECT_EQ(signals_after(status), c.unchanged);
        status.tooltip = "Battery is not charging";
        EXPECT_EQ(signals_after(status), c.new_tool_tip);
        status.pixels = picture(0x80);
        EXPECT_EQ(signals_after(status), c.new_picture);
        // New pixels of the same picture: nothing the panel reads differs.
        status.pixels = picture(0x80);
        EXPECT_EQ(signals_after(status), c.unchanged);
        EXPECT_EQ(m_panel->registered(), 1);
    }
}

// The pictures are made once for each change, and every read gets the ones shown last.
TEST_F(StatusNotifierItemBus, IconPixmapIsTheShownPicture) {
    StatusSnapshot status{.image = "battery_icon.png",
                          .is_template = false,
                          .title = "80%",
                          .tooltip = std::nullopt,
                          .pixels = picture(0xFF)};
    show_item("", status);
    const char* item = g_dbus_connection_get_unique_name(m_item_bus);
    auto alphas = [&] {
        std::vector<std::pair<int, int>> sizes;
        std::set<uint8_t> alpha;
        GVariant* pixmaps = m_panel->property(item, "IconPixmap");
        GVariantIter iter;
        g_variant_iter_init(&iter, pixmaps);
        int width = 0, height = 0;
        GVariant* bytes = nullptr;
        while (g_variant_iter_next(&iter, "(ii@ay)", &width, &height, &bytes)) {
            sizes.emplace_back(width, height);
            gsize size = 0;
            const auto* argb =
                static_cast<const uint8_t*>(g_variant_get_fixed_array(bytes, &size, 1));
            for (gsize at = 0; at < size; at += 4)
                alpha.insert(argb[at]);
            g_variant_unref(bytes);
        }
        g_variant_unref(pixmaps);
        EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{24, 12}, {48, 24}}));
        return alpha;
    };
    EXPECT_EQ(alphas(), (std::set<uint8_t>{0, 0xFF}));
    EXPECT_EQ(alphas(), (std::set<uint8_t>{0, 0xFF}));
    status.pixels = picture(0x80);
    m_item->show(status);
    EXPECT_EQ(alphas(), (std::set<uint8_t>{0, 0x80}));
}

} // namespace item_bus_test
