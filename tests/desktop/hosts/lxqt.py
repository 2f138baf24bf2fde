"""LXQt: lxqt-panel along the top with its status notifier plugin alone, the LXQt theme
"light" or "dark" in a private lxqt.conf."""

import os

import desktop_session as ds

from common import SCREEN, Host

PANEL_SIZE = 28
PANEL_CONF = """[General]
__userfile__=true
panels=panel1

[panel1]
alignment=-1
desktop=0
hidable=false
iconSize=22
lineCount=1
panelSize=%d
position=Top
plugins=statusnotifier
width=100
width-percent=true

[statusnotifier]
type=statusnotifier
""" % PANEL_SIZE


class LxqtHost(Host):
    name = "lxqt"
    desktop = "LXQt"
    tools = ("lxqt-panel", "Xvfb", "xdotool", "import")

    def start_panel(self):
        folder = os.path.join(self.config_home(), "lxqt")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "panel.conf"), "w") as text:
            text.write(PANEL_CONF)
        with open(os.path.join(folder, "lxqt.conf"), "w") as text:
            text.write("[General]\n__userfile__=true\ntheme=%s\nicon_theme=breeze%s\n"
                       % (self.theme, "-dark" if self.theme == "dark" else ""))
        env = dict(self.environment(), QT_QPA_PLATFORM="xcb")
        self.activation_environment(env)
        self.panel = self.spawn("lxqt-panel", ["lxqt-panel"], env)
        ds.run_until(self.watcher_present, 20, "lxqt-panel's status notifier (the watcher)")
        ds.settle(2)

    def stop_panel(self):
        super().stop_panel()
        ds.run_until(lambda: not self.watcher_present(), 10, "the watcher to end")

    def bar(self):
        return (0, 0, SCREEN[0], PANEL_SIZE)

    def panel_name(self):
        return "lxqt-panel 1.2, statusnotifier plugin"

    def theme_detail(self):
        return "LXQt theme %s, GTK theme %s" % (self.theme, "Adwaita:dark"
                                                 if self.theme == "dark" else "Adwaita")


HOST = LxqtHost
