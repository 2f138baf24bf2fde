#include "platform/display/desktop/status_notifier_item.h"

#include "tests/support/main_context_wait.h"
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

    // The reply of a call to the item (null when refused) and the D-Bus error it ended with.
    struct Reply {
        GVariant* value = nullptr;
        std::string error;
        bool done = false;
    };
    Reply call(const char* item, const char* interface, const char* method, GVariant* parameters) {
        Reply reply;
        g_dbus_connection_call(
            m_bus, item, "/StatusNotifierItem", interface, method, parameters, nullptr,
            G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
            [](GObject* bus, GAsyncResult* result, gpointer out) {
                auto* reply = static_cast<Reply*>(out);
                GError* error = nullptr;
                reply->value =
                    g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, &error);
                if (error) {
                    gchar* name = g_dbus_error_get_remote_error(error);
                    reply->error = name ? name : error->message;
                    g_free(name);
                    g_error_free(error);
                }
                reply->done = true;
            },
            &reply);
        run_main_context_until([&] { return reply.done; });
        return reply;
    }

    // The signals received since the last call. A call to the item answered is the mark that
    // whatever it sent before has arrived.
    std::vector<std::string> signals_from(const char* item) {
        if (GVariant* pong = call(item, "org.freedesktop.DBus.Peer", "Ping", nullptr).value)
            g_variant_unref(pong);
        return std::exchange(m_signals, {});
    }

    // The D-Bus error a call of the item's interface ends with; empty when it is answered.
    std::string call_error(const char* item, const char* method, GVariant* parameters) {
        const Reply reply = call(item, "org.kde.StatusNotifierItem", method, parameters);
        if (reply.value) g_variant_unref(reply.value);
        return reply.error;
    }

    int registered() const { return m_registered; }

    // The value of one of the item's properties, as the panel reads it; null when refused.
    GVariant* property(const char* item, const char* name) {
        GVariant* reply = call(item, "org.freedesktop.DBus.Properties", "Get",
                               g_variant_new("(ss)", "org.kde.StatusNotifierItem", name))
                              .value;
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
        ASSERT_TRUE(run_main_context_until([&] { return m_item->registered(); }));
        EXPECT_EQ(m_panel->registered(), 1);
        m_panel->listen_to(item());
    }

    std::vector<std::string> signals_after(const StatusSnapshot& status) {
        m_item->show(status);
        return m_panel->signals_from(item());
    }

    const char* item() const { return g_dbus_connection_get_unique_name(m_item_bus); }

    // The sizes of the pictures IconPixmap holds and every alpha found in them.
    std::pair<std::vector<std::pair<int, int>>, std::set<uint8_t>> pixmaps() {
        std::pair<std::vector<std::pair<int, int>>, std::set<uint8_t>> found;
        GVariant* pixmaps = m_panel->property(item(), "IconPixmap");
        if (!pixmaps) return found;
        GVariantIter iter;
        g_variant_iter_init(&iter, pixmaps);
        int width = 0, height = 0;
        GVariant* bytes = nullptr;
        while (g_variant_iter_next(&iter, "(ii@ay)", &width, &height, &bytes)) {
            found.first.emplace_back(width, height);
            gsize size = 0;
            const auto* argb =
                static_cast<const uint8_t*>(g_variant_get_fixed_array(bytes, &size, 1));
            for (gsize at = 0; at < size; at += 4)
                found.second.insert(argb[at]);
            g_variant_unref(bytes);
        }
        g_variant_unref(pixmaps);
        return found;
    }

    gchar* m_folder = nullptr;
    GTestDBus* m_daemon = nullptr;
    GDBusConnection* m_item_bus = nullptr;
    std::unique_ptr<Panel> m_panel;
    std::unique_ptr<StatusNotifierItem> m_item;
};

using Signals = std::vector<std::string>;
using Sizes = std::vector<std::pair<int, int>>;

StatusSnapshot status_of(uint8_t alpha = 0xFF, bool is_template = true) {
    return {.image = "battery_icon.png",
            .is_template = is_template,
            .title = "80%",
            .tooltip = std::nullopt,
            .pixels = picture(alpha)};
}

// One status after another: the same again says nothing; a change says which part changed, once.
// Xfce's tray reads the whole item on any signal and draws the title into the picture, so a new
// title there is one NewIcon; a panel that draws the label hears of the label and the tooltip.
TEST_F(StatusNotifierItemBus, SignalsOnlyWhatChanged) {
    struct Case {
        std::string desktop;
        Signals new_title, new_tool_tip;
    };
    const Case cases[] = {{"", {"XAyatanaNewLabel", "NewToolTip"}, {"NewToolTip"}},
                          {"XFCE", {"NewIcon"}, {"NewToolTip"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desktop);
        TearDown();
        SetUp();
        StatusSnapshot status = status_of();
        show_item(c.desktop, status);
        EXPECT_EQ(signals_after(status), Signals{});
        status.title = "79%";
        EXPECT_EQ(signals_after(status), c.new_title);
        EXPECT_EQ(signals_after(status), Signals{});
        status.tooltip = "Battery is not charging";
        EXPECT_EQ(signals_after(status), c.new_tool_tip);
        status.pixels = picture(0x80);
        EXPECT_EQ(signals_after(status), Signals{"NewIcon"});
        // New pixels of the same picture: nothing the panel reads differs.
        status.pixels = picture(0x80);
        EXPECT_EQ(signals_after(status), Signals{});
        EXPECT_EQ(m_panel->registered(), 1);
    }
}

// What the panel reads depends on the panel: an unknown one gets the picture at 1× and 2× and
// the title as the label; Xfce's tray, which squeezes pictures into squares of its icon size and
// draws no label, gets squares 22 and 44 pixels high with the charge inside and no label at all.
// The pictures are made once for each change, and every read gets the ones shown last.
TEST_F(StatusNotifierItemBus, PicturesAndLabelAreTheHostsOwnAndTheShownOnes) {
    struct Case {
        const char* desktop;
        Sizes sizes;
        std::optional<std::string> label;
    };
    const Case cases[] = {{"", {{24, 12}, {48, 24}}, "80%"}, {"XFCE", {{22, 22}, {44, 44}}, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desktop);
        TearDown();
        SetUp();
        show_item(c.desktop, status_of());
        EXPECT_EQ(pixmaps().first, c.sizes);
        GVariant* label = m_panel->property(item(), "XAyatanaLabel");
        EXPECT_EQ(label ? std::optional<std::string>(g_variant_get_string(label, nullptr))
                        : std::nullopt,
                  c.label);
        if (label) g_variant_unref(label);
    }
    TearDown();
    SetUp();
    show_item("", status_of(0xFF, false));
    const auto shown = std::pair(Sizes{{24, 12}, {48, 24}}, std::set<uint8_t>{0, 0xFF});
    EXPECT_EQ(pixmaps(), shown);
    EXPECT_EQ(pixmaps(), shown);
    m_item->show(status_of(0x80, false));
    EXPECT_EQ(pixmaps(), std::pair(shown.first, std::set<uint8_t>{0, 0x80}));
}

// Withdrawn, the item says so once and comes back with the next status; a new tint repaints a
// template picture once, and the same tint again changes nothing.
TEST_F(StatusNotifierItemBus, SignalsWithdrawalAndTintOnce) {
    show_item("", status_of());
    m_item->withdraw();
    EXPECT_EQ(m_panel->signals_from(item()), Signals{"NewStatus"});
    EXPECT_EQ(signals_after(status_of()), Signals{"NewStatus"});
    EXPECT_EQ(signals_after(status_of()), Signals{});
    m_item->set_tint(PanelTint::dark);
    EXPECT_EQ(m_panel->signals_from(item()), Signals{"NewIcon"});
    m_item->set_tint(PanelTint::dark);
    EXPECT_EQ(m_panel->signals_from(item()), Signals{});
    // A picture in colours of its own keeps them on any bar.
    EXPECT_EQ(signals_after(status_of(0x80, false)), Signals{"NewIcon"});
    m_item->set_tint(PanelTint::light);
    EXPECT_EQ(m_panel->signals_from(item()), Signals{});
}

// The item is a menu: a click sent as Activate is refused as a method the item lacks, so that the
// panel opens the menu, and scrolling is taken and ignored.
TEST_F(StatusNotifierItemBus, RefusesActivateAndTakesScroll) {
    show_item("", status_of());
    for (const char* method : {"Activate", "SecondaryActivate"})
        EXPECT_EQ(m_panel->call_error(item(), method, g_variant_new("(ii)", 10, 10)),
                  "org.freedesktop.DBus.Error.UnknownMethod");
    EXPECT_EQ(m_panel->call_error(item(), "Scroll", g_variant_new("(is)", 1, "vertical")), "");
}

} // namespace item_bus_test
