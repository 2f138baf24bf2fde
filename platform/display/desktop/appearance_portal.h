#pragma once
// The session's colour scheme, as the XDG desktop portal tells it (org.freedesktop.appearance
// color-scheme: 0 no preference, 1 prefer dark, 2 prefer light), read and followed over the
// session bus.

#include <gio/gio.h>

#include <cstdint>
#include <functional>
#include <optional>

class AppearancePortal {
  public:
    using Changed = std::function<void(uint32_t color_scheme)>;

    // `bus` is borrowed and must outlive the portal; `changed` is called from the main context
    // whenever the portal announces a new colour scheme.
    AppearancePortal(GDBusConnection* bus, Changed changed);
    ~AppearancePortal();
    AppearancePortal(const AppearancePortal&) = delete;
    AppearancePortal& operator=(const AppearancePortal&) = delete;

    // Null when no portal answers.
    std::optional<uint32_t> read_color_scheme() const;

  private:
    static void on_setting_changed(GDBusConnection*, const char*, const char*, const char*,
                                   const char*, GVariant* parameters, gpointer self);

    GDBusConnection* m_bus;
    Changed m_changed;
    guint m_subscription = 0;
};
