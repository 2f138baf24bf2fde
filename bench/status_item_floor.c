// The least a GLib status item does, for the desktop side-by-side run: on the session bus with
// GDBus, registered with the panel's watcher, it reads the battery's uevent every 10 s and, when
// the charge changed, sends NewIcon and answers the panel's request for the picture: a plain
// square with no figures in it. Whatever it costs per refresh in CPU, wake-ups and memory, no
// GDBus status item can cost less on the same machine.
//
//     status_item_floor UEVENT_PATH

#include <gio/gio.h>

#include <stdio.h>
#include <string.h>

enum { k_side = 22, k_period_s = 10, k_start_second = 1 };

static const char k_item_xml[] =
    "<node><interface name='org.kde.StatusNotifierItem'>"
    "<property name='Category' type='s' access='read'/>"
    "<property name='Id' type='s' access='read'/>"
    "<property name='Title' type='s' access='read'/>"
    "<property name='Status' type='s' access='read'/>"
    "<property name='IconName' type='s' access='read'/>"
    "<property name='IconPixmap' type='a(iiay)' access='read'/>"
    "<property name='ItemIsMenu' type='b' access='read'/>"
    "<signal name='NewIcon'/>"
    "</interface></node>";

struct Item {
    GDBusConnection* bus;
    const char* uevent;
    char capacity[8];
};

// "POWER_SUPPLY_CAPACITY=78" of the uevent text, or "" when there is none.
static void read_capacity(const char* path, char* capacity, size_t size) {
    char text[4096];
    capacity[0] = '\0';
    FILE* file = fopen(path, "re");
    if (!file) return;
    const size_t length = fread(text, 1, sizeof text - 1, file);
    fclose(file);
    text[length] = '\0';
    const char* found = strstr(text, "POWER_SUPPLY_CAPACITY=");
    if (!found) return;
    found += strlen("POWER_SUPPLY_CAPACITY=");
    snprintf(capacity, size, "%.*s", (int)strcspn(found, "\n"), found);
}

static GVariant* pixmaps(void) {
    static guchar argb[k_side * k_side * 4];
    for (size_t at = 0; at < sizeof argb; at += 4)
        memcpy(argb + at, "\xff\x30\x30\x30", 4);
    GVariantBuilder list;
    g_variant_builder_init(&list, G_VARIANT_TYPE("a(iiay)"));
    g_variant_builder_add_value(
        &list, g_variant_new("(ii@ay)", k_side, k_side,
                             g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, argb, sizeof argb, 1)));
    return g_variant_builder_end(&list);
}

static GVariant* get_property(GDBusConnection* bus, const char* sender, const char* path,
                              const char* interface, const char* name, GError** error,
                              gpointer data) {
    (void)bus, (void)sender, (void)path, (void)interface, (void)error;
    const struct Item* item = data;
    if (!strcmp(name, "Category")) return g_variant_new_string("Hardware");
    if (!strcmp(name, "Id")) return g_variant_new_string("status-item-floor");
    if (!strcmp(name, "Title")) return g_variant_new_string(item->capacity);
    if (!strcmp(name, "Status")) return g_variant_new_string("Active");
    if (!strcmp(name, "IconName")) return g_variant_new_string("");
    if (!strcmp(name, "IconPixmap")) return pixmaps();
    return g_variant_new_boolean(FALSE); // ItemIsMenu
}

static gboolean refresh(gpointer data) {
    struct Item* item = data;
    char capacity[sizeof item->capacity];
    read_capacity(item->uevent, capacity, sizeof capacity);
    if (strcmp(capacity, item->capacity) != 0) {
        memcpy(item->capacity, capacity, sizeof capacity);
        g_dbus_connection_emit_signal(item->bus, NULL, "/StatusNotifierItem",
                                      "org.kde.StatusNotifierItem", "NewIcon", NULL, NULL);
    }
    return G_SOURCE_CONTINUE;
}

// The first refresh at the next wall-clock second ending in 1, as the side-by-side run wants.
static gboolean start_refreshing(gpointer data) {
    refresh(data);
    g_timeout_add_seconds(k_period_s, refresh, data);
    return G_SOURCE_REMOVE;
}

static guint until_start_ms(void) {
    const gint64 now_ms = g_get_real_time() / 1000;
    const gint64 period_ms = k_period_s * 1000;
    gint64 wait = k_start_second * 1000 - now_ms % period_ms;
    if (wait <= 0) wait += period_ms;
    return (guint)wait;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: status_item_floor UEVENT_PATH\n");
        return 2;
    }
    struct Item item = {.uevent = argv[1]};
    GError* error = NULL;
    item.bus = g_bus_get_sync(G_BUS_TYPE_SESSION, NULL, &error);
    if (!item.bus) {
        fprintf(stderr, "status_item_floor: %s\n", error->message);
        return 1;
    }
    read_capacity(item.uevent, item.capacity, sizeof item.capacity);
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(k_item_xml, NULL);
    static const GDBusInterfaceVTable vtable = {.get_property = get_property};
    g_dbus_connection_register_object(item.bus, "/StatusNotifierItem", node->interfaces[0],
                                      &vtable, &item, NULL, NULL);
    GVariant* reply = g_dbus_connection_call_sync(
        item.bus, "org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
        "org.kde.StatusNotifierWatcher", "RegisterStatusNotifierItem",
        g_variant_new("(s)", g_dbus_connection_get_unique_name(item.bus)), NULL,
        G_DBUS_CALL_FLAGS_NONE, 5000, NULL, &error);
    if (!reply) {
        fprintf(stderr, "status_item_floor: no watcher: %s\n", error->message);
        return 1;
    }
    g_variant_unref(reply);
    g_timeout_add(until_start_ms(), start_refreshing, &item);
    g_main_loop_run(g_main_loop_new(NULL, FALSE));
    return 0;
}
