"""MATE: mate-panel in its default layout (a top panel with the notification area, which hosts
status notifier items, and a bottom panel), its settings in a private dconf."""

import desktop_session as ds

from common import SCREEN, Host

PANEL_SIZE = 24  # the default layout's top panel


class MateHost(Host):
    name = "mate"
    desktop = "MATE"
    tools = ("mate-panel", "Xvfb", "xdotool", "import")

    def start_panel(self):
        env = self.environment()
        self.activation_environment(env)
        self.panel = self.spawn("mate-panel", ["mate-panel"], env)
        ds.run_until(self.watcher_present, 30, "mate-panel's notification area (the watcher)")
        ds.settle(3)  # the applets are still filling the panel

    def stop_panel(self):
        super().stop_panel()
        ds.run_until(lambda: not self.watcher_present(), 10, "the notification area to end")

    def bar(self):
        return (0, 0, SCREEN[0], PANEL_SIZE)

    def panel_name(self):
        return "mate-panel 1.27, notification area applet"

    def theme_detail(self):
        return "GTK theme " + ("Adwaita:dark" if self.theme == "dark" else "Adwaita")


HOST = MateHost
