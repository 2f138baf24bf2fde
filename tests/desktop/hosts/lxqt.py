"""LXQt: lxqt-panel along the top with its status notifier plugin alone, theme light or dark."""

import os

from common import ds, Host

PANEL_CONF = """[General]
__userfile__=true
panels=panel1

[panel1]
alignment=-1
desktop=0
hidable=false
iconSize=22
lineCount=1
panelSize=28
position=Top
plugins=statusnotifier
width=100
width-percent=true

[statusnotifier]
type=statusnotifier
"""


class LxqtHost(Host):
    name, desktop, panel_size = "lxqt", "LXQt", 28
    tools = ("lxqt-panel", "Xvfb", "xdotool")

    def start_panel(self):
        folder = os.path.join(self.config_home(), "lxqt")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "panel.conf"), "w") as text:
            text.write(PANEL_CONF)
        with open(os.path.join(folder, "lxqt.conf"), "w") as text:
            text.write("[General]\n__userfile__=true\ntheme=%s\nicon_theme=breeze%s\n"
                       % (self.theme, "-dark" * self.dark))
        self.detail = "lxqt-panel 1.2, statusnotifier plugin in LXQt theme %s, GTK theme " \
            "Adwaita%s" % (self.theme, ":dark" * self.dark)
        self.start_watching_panel("lxqt-panel", ["lxqt-panel"],
                                  dict(self.environment(), QT_QPA_PLATFORM="xcb"))
        ds.settle(2)


HOST = LxqtHost
