"""KDE Plasma: plasmashell's default layout (the system tray on a bottom panel) in Breeze or Breeze
Dark, on Xvfb without KWin; kded5 keeps the watcher, so a restart of plasmashell leaves it."""

import os

from common import ds, Host, SCREEN


class PlasmaHost(Host):
    name, desktop, panel_size = "plasma", "KDE", 44  # Plasma 5.27's default panel
    tools = ("plasmashell", "Xvfb", "xdotool")
    kded = None

    def start_panel(self):
        config = self.config_home()
        with open(os.path.join(config, "kdeglobals"), "w") as text:
            text.write("[General]\nColorScheme=Breeze%s\n\n[KDE]\nLookAndFeelPackage=org.kde."
                       "breeze%s.desktop\n" % (("Dark", "dark") if self.dark else ("Light", "")))
        with open(os.path.join(config, "plasmarc"), "w") as text:
            text.write("[Theme]\nname=%s\n" % ("breeze-dark" if self.dark else "default"))
        env = dict(self.environment(), QT_QPA_PLATFORM="xcb", KDE_FULL_SESSION="true",
                   KDE_SESSION_VERSION="5")
        self.detail = "plasmashell 5.27, system tray in Breeze%s, GTK theme Adwaita%s" % (
            " Dark" * self.dark, ":dark" * self.dark)
        self.activation_environment(env)
        if not self.kded:
            self.kded = self.spawn("kded5", ["kded5"], env)
            ds.settle(3)
        self.panel = self.spawn("plasmashell", ["plasmashell", "--no-respawn"], env)
        ds.run_until(self.watcher_present, 60, "Plasma's status notifier watcher")
        ds.settle(8)  # the panel slides in and the tray fills

    def stop_panel(self):
        ds.end(self.panel)
        ds.settle(2)

    def stop_screen(self):
        ds.end(self.kded)
        super().stop_screen()

    def bar(self):
        return (0, SCREEN[1] - self.panel_size, SCREEN[0], self.panel_size)


HOST = PlasmaHost
