"""MATE: mate-panel's default layout, its top panel's notification area hosting the item."""

from common import ds, Host


class MateHost(Host):
    name, desktop, panel_size = "mate", "MATE", 24  # the default layout's top panel
    tools = ("mate-panel", "Xvfb", "xdotool")

    def start_panel(self):
        self.detail = "mate-panel 1.27, notification area applet in GTK theme Adwaita" + \
            ":dark" * self.dark
        self.start_watching_panel("mate-panel", ["mate-panel"], self.environment(), 30)
        ds.settle(3)  # the applets are still filling the panel


HOST = MateHost
