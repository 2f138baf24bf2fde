"""KDE Plasma: plasmashell with its default layout (a panel along the bottom with the system
tray), Breeze or Breeze Dark in a private kdeglobals and plasmarc. No KWin: Xvfb alone."""

import os

import desktop_session as ds

from common import SCREEN, Host

PANEL_SIZE = 44  # Plasma 5.27's default panel


class PlasmaHost(Host):
    name = "plasma"
    desktop = "KDE"
    tools = ("plasmashell", "Xvfb", "xdotool", "import")

    def start_panel(self):
        config = self.config_home()
        dark = self.theme == "dark"
        with open(os.path.join(config, "kdeglobals"), "w") as text:
            text.write("[General]\nColorScheme=%s\n\n[KDE]\nLookAndFeelPackage=%s\n"
                       % ("BreezeDark" if dark else "BreezeLight",
                          "org.kde.breezedark.desktop" if dark else "org.kde.breeze.desktop"))
        with open(os.path.join(config, "plasmarc"), "w") as text:
            text.write("[Theme]\nname=%s\n" % ("breeze-dark" if dark else "default"))
        env = dict(self.environment(), QT_QPA_PLATFORM="xcb", KDE_FULL_SESSION="true",
                   KDE_SESSION_VERSION="5")
        self.activation_environment(env)
        # kded5 keeps the status notifier watcher (its statusnotifierwatcher module).
        if not getattr(self, "kded", None):
            self.kded = self.spawn("kded5", ["kded5"], env)
            ds.settle(3)
        self.panel = self.spawn("plasmashell", ["plasmashell", "--no-respawn"], env)
        ds.run_until(self.watcher_present, 60, "Plasma's status notifier watcher")
        ds.settle(8)  # the panel slides in and the tray fills

    def stop_panel(self):
        super().stop_panel()
        ds.settle(2)

    def stop_screen(self):
        from common import end

        end(getattr(self, "kded", None))
        super().stop_screen()

    def restart_panel(self):
        self.stop_panel()
        env = dict(self.environment(), QT_QPA_PLATFORM="xcb", KDE_FULL_SESSION="true",
                   KDE_SESSION_VERSION="5")
        self.panel = self.spawn("plasmashell", ["plasmashell", "--no-respawn"], env)
        ds.settle(10)

    def bar(self):
        return (0, SCREEN[1] - PANEL_SIZE, SCREEN[0], PANEL_SIZE)

    def panel_name(self):
        return "plasmashell 5.27, system tray"

    def theme_detail(self):
        return ("Breeze Dark" if self.theme == "dark" else "Breeze") + \
            ", GTK theme " + ("Adwaita:dark" if self.theme == "dark" else "Adwaita")


HOST = PlasmaHost
