"""sway with waybar's tray along the top, in a window of Xvfb (where xdotool's input reaches it,
unlike the headless back end); grim takes the screenshots; the indicator is a Wayland client."""

import json
import os
import subprocess

from common import ds, Host, SCREEN

SWAY_CONFIG = """output X11-1 resolution %dx%d position 0 0
output * bg #6a7f8c solid_color
default_border normal
focus_follows_mouse no
xwayland disable
""" % SCREEN


def swaymsg(*arguments):
    return subprocess.run(["swaymsg"] + list(arguments), capture_output=True, text=True).stdout


BARS = {"light": ("#f0f0f0", "#202020"), "dark": ("#1e1e1e", "#eeeeee")}


class WaybarHost(Host):
    name, desktop, panel_size = "waybar", "sway", 26
    tools = ("sway", "swaymsg", "setpriv", "waybar", "grim", "Xvfb", "xdotool")
    wayland = sway = None

    def start_screen(self):
        super().start_screen()
        os.chmod(self.folder, 0o711)  # nobody passes through to sway's runtime folder
        self.sway, self.sway_runtime, self.wayland = ds.start_sway(
            SWAY_CONFIG, {"PATH": os.environ["PATH"], "DISPLAY": self.display}, self.folder,
            backend="x11")

    def stop_screen(self):
        ds.end(self.sway)
        super().stop_screen()

    def screen_environment(self):
        if not self.wayland:
            return super().screen_environment()
        return {"WAYLAND_DISPLAY": self.wayland, "XDG_RUNTIME_DIR": self.sway_runtime,
                "SWAYSOCK": os.environ["SWAYSOCK"], "XDG_SESSION_TYPE": "wayland",
                "GDK_BACKEND": "wayland"}

    def start_panel(self):
        folder = os.path.join(self.config_home(), "waybar")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "config"), "w") as text:
            json.dump({"layer": "top", "position": "top", "height": self.panel_size,
                       "modules-right": ["tray"], "tray": {"icon-size": 18, "spacing": 8}}, text)
        with open(os.path.join(folder, "style.css"), "w") as text:
            text.write("* { font-family: DejaVu Sans; font-size: 13px; }\n"
                       "window#waybar { background: %s; color: %s; }\n" % BARS[self.theme])
        self.detail = "sway 1.7 + waybar, tray module in bar %s, GTK theme Adwaita%s" % (
            BARS[self.theme][0], ":dark" * self.dark)
        self.start_watching_panel("waybar", ["waybar", "-c", os.path.join(folder, "config"),
                                             "-s", os.path.join(folder, "style.css")],
                                  self.environment(), 15)

    def screenshot(self, path):
        subprocess.run(["grim", path], check=True, env=dict(os.environ, **self.screen_environment()))

    def app_windows(self, pid):
        found, stack = {}, [json.loads(swaymsg("-t", "get_tree") or "{}")]
        while stack:
            node = stack.pop()
            if node.get("pid") == pid and node.get("type") in ("con", "floating_con"):
                found[str(node["id"])] = node["name"]
            stack += node.get("nodes", []) + node.get("floating_nodes", [])
        return found

    def close_window(self, window):
        swaymsg("[con_id=%s]" % window, "kill")

    def answer_alert(self, window):
        swaymsg("[con_id=%s]" % window, "focus")
        subprocess.run(["xdotool", "key", "Return"])


HOST = WaybarHost
