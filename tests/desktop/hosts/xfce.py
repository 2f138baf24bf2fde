"""Xfce: xfce4-panel with its status tray alone, along the top of the screen."""

import os

import desktop_session as ds

from common import Host

PANEL_SIZE = 26


class XfceHost(Host):
    name = "xfce"
    desktop = "XFCE"
    tools = ("xfce4-panel", "Xvfb", "xdotool", "import")

    def start_panel(self):
        channels = os.path.join(self.config_home(), "xfce4", "xfconf", "xfce-perchannel-xml")
        os.makedirs(channels, exist_ok=True)
        with open(os.path.join(channels, "xfce4-panel.xml"), "w") as text:
            text.write(ds.PANEL_XML % PANEL_SIZE)
        env = self.environment()
        self.activation_environment(env)
        self.panel = self.spawn("xfce4-panel", ["xfce4-panel", "--disable-wm-check"], env)
        ds.run_until(self.watcher_present, 15, "xfce4-panel's status tray")

    def stop_panel(self):
        super().stop_panel()
        ds.run_until(lambda: not self.watcher_present(), 5, "the status tray to end")

    def bar(self):
        return (0, 0, ds.SCREEN[0], PANEL_SIZE)

    def panel_name(self):
        return "xfce4-panel, systray plugin"

    def theme_detail(self):
        return "GTK theme " + ("Adwaita:dark" if self.theme == "dark" else "Adwaita")


HOST = XfceHost
