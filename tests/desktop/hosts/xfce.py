"""Xfce: xfce4-panel with its status tray alone, along the top of the screen."""

import os

from common import Host

PANEL_XML = """<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array"><value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="26"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
"""


class XfceHost(Host):
    name, desktop, panel_size = "xfce", "XFCE", 26
    tools = ("xfce4-panel", "Xvfb", "xdotool")

    def start_panel(self):
        channels = os.path.join(self.config_home(), "xfce4", "xfconf", "xfce-perchannel-xml")
        os.makedirs(channels, exist_ok=True)
        with open(os.path.join(channels, "xfce4-panel.xml"), "w") as text:
            text.write(PANEL_XML)
        self.detail = "xfce4-panel, systray plugin in GTK theme Adwaita" + ":dark" * self.dark
        self.start_watching_panel("xfce4-panel", ["xfce4-panel", "--disable-wm-check"],
                                  self.environment(), 15)


HOST = XfceHost
