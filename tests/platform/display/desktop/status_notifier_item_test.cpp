#include "platform/display/desktop/status_notifier_item.h"

#include <glib/gstdio.h>
#include <gtest/gtest.h>

#include <optional>
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

    // The D-Bus error a call of the item's interface ends with; empty when it is answered.
    std::string call_error(const char* item, const char* method, GVariant* parameters) {
        struct Outcome {
            bool done = false;
            std::string error;
        } outcome;
        g_dbus_connection_call(
            m_bus, item, "/StatusNotifierItem", "org.kde.StatusNotifierItem", method, parameters,
            nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
            [](GObject* bus, GAsyncResult* result, gpointer out) {
                auto* outcome = static_cast<Outcome*>(out);
                GError* error = nullptr;
                GVariant* reply =
                    g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, &error);
                if (reply) g_variant_unref(reply);
                if (error) {
                    gchar* name = g_dbus_error_get_remote_error(error);
                    outcome->error = name ? name : error->message;
                    g_free(name);
                    g_error_free(error);
                }
                outcome->done = true;
            },
            &outcome);
        run_until([&] { return outcome.done; });
        return outcome.error;
    }

    int registered() const { return m_registered; }

    // The value of one of the item's properties, as the panel reads it; null when refused.
    GVariant* property(const char* item, const char* name) {
        GVariant* reply = nullptr;
        bool done = false;
        std::pair<GVariant**, bool*> out{&reply, &done};
        g_dbus_connection_call(
            m_bus, item, "/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get",
            g_variant_new("(ss)", "org.kde.StatusNotifierItem", name), G_VARIANT_TYPE("(v)"),
            G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
            [](GObject* bus, GAsyncResult* result, gpointer out) {
                auto* into = static_cast<std::pair<GVariant**, bool*>*>(out);
                *into->first =
                    g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, nullptr);
                *into->second = true;
            },
            &out);
        run_until([&] { return done; });
        if (!reply) return nullptr;
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

// What the panel reads depends on the panel: an unknown one gets the picture at 1× and 2× and
// the title as the label; Xfce's tray, which squeezes pictures into squares of its icon size and
// draws no label, gets squares 22 and 44 pixels high with the charge inside and no label at all.
TEST_F(StatusNotifierItemBus, PicturesAndLabelAreTheHostsOwn) {
    struct Case {
        const char* desktop;
        std::vector<std::pair<int, int>> sizes;
        std::optional<std::string> label;
    };
    const Case cases[] = {{"", {{24, 12}, {48, 24}}, "80%"}, {"XFCE", {{22, 22}, {44, 44}}, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desktop);
        TearDown();
        SetUp();
        show_item(c.desktop, StatusSnapshot{.image = "battery_icon.png",
                                            .is_template = true,
                                            .title = "80%",
                                            .tooltip = std::nullopt,
                                            .pixels = picture(0xFF)});
        const char* item = g_dbus_connection_get_unique_name(m_item_bus);
        GVariant* pixmaps = m_panel->property(item, "IconPixmap");
        ASSERT_TRUE(pixmaps);
        std::vector<std::pair<int, int>> sizes;
        GVariantIter iter;
        g_variant_iter_init(&iter, pixmaps);
        int width = 0, height = 0;
        while (g_variant_iter_next(&iter, "(ii@ay)", &width, &height, nullptr))
            sizes.emplace_back(width, height);
        g_variant_unref(pixmaps);
        EXPECT_EQ(sizes, c.sizes);
        GVariant* label = m_panel->property(item, "XAyatanaLabel");
        EXPECT_EQ(label ? std::optional<std::string>(g_variant_get_string(label, nullptr))
                        : std::nullopt,
                  c.label);
        if (label) g_variant_unref(label);
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
        if (!pixmaps) return alpha;
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

// Withdrawn, the item says so once and comes back with the next status; a new tint repaints a
// template picture once, and the same tint again changes nothing.
TEST_F(StatusNotifierItemBus, SignalsWithdrawalAndTintOnce) {
    StatusSnapshot status{.image = "battery_icon.png",
                          .is_template = true,
                          .title = "80%",
                          .tooltip = std::nullopt,
                          .pixels = picture(0xFF)};
    show_item("", status);
    const char* item = g_dbus_connection_get_unique_name(m_item_bus);
    m_item->withdraw();
    EXPECT_EQ(m_panel->signals_from(item), Signals{"NewStatus"});
    EXPECT_EQ(signals_after(status), Signals{"NewStatus"});
    EXPECT_EQ(signals_after(status), Signals{});
    m_item->set_tint(PanelTint::dark);
    EXPECT_EQ(m_panel->signals_from(item), Signals{"NewIcon"});
    m_item->set_tint(PanelTint::dark);
    EXPECT_EQ(m_panel->signals_from(item), Signals{});
    // A picture in colours of its own keeps them on any bar.
    status.is_template = false;
    status.pixels = picture(0x80);
    EXPECT_EQ(signals_after(status), Signals{"NewIcon"});
    m_item->set_tint(PanelTint::light);
    EXPECT_EQ(m_panel->signals_from(item), Signals{});
}

// The item is a menu: a click sent as Activate is refused as a method the item lacks, so that the
// panel opens the menu, and scrolling is taken and ignored.
TEST_F(StatusNotifierItemBus, RefusesActivateAndTakesScroll) {
    StatusSnapshot status{.image = "battery_icon.png",
                          .is_template = true,
                          .title = "80%",
                          .tooltip = std::nullopt,
                          .pixels = picture(0xFF)};
    show_item("", status);
    const char* item = g_dbus_connection_get_unique_name(m_item_bus);
    EXPECT_EQ(m_panel->call_error(item, "Activate", g_variant_new("(ii)", 10, 10)),
              "org.freedesktop.DBus.Error.UnknownMethod");
    EXPECT_EQ(m_panel->call_error(item, "SecondaryActivate", g_variant_new("(ii)", 10, 10)),
              "org.freedesktop.DBus.Error.UnknownMethod");
    EXPECT_EQ(m_panel->call_error(item, "Scroll", g_variant_new("(is)", 1, "vertical")), "");
}

} // namespace item_bus_test
