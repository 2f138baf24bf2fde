"""sway with waybar's tray along the top. Sway runs on wlroots' X11 backend inside Xvfb, with
the pixman renderer: its headless backend has no pointer, so nothing could click the tray.
xdotool's pointer and keys reach sway through its X11 window, which fills the virtual screen;
grim takes the screenshots from sway itself. The indicator is a Wayland client. Sway refuses to
run as root, so it alone runs as nobody, in a runtime folder of nobody's; root's clients can
still reach its sockets."""

import glob
import json
import os
import subprocess
import time

import desktop_session as ds

from common import SCREEN, Failure, Host

BAR_HEIGHT = 26
SWAY_CONFIG = """output X11-1 resolution %dx%d position 0 0
output * bg #6a7f8c solid_color
default_border normal
focus_follows_mouse no
xwayland disable
""" % SCREEN
WAYBAR_CONFIG = {"layer": "top", "position": "top", "height": BAR_HEIGHT,
                 "modules-left": [], "modules-center": [], "modules-right": ["tray"],
                 "tray": {"icon-size": 18, "spacing": 8}}
STYLES = {"light": "#f0f0f0", "dark": "#1e1e1e"}
TEXT = {"light": "#202020", "dark": "#eeeeee"}


class WaybarHost(Host):
    name = "waybar"
    desktop = "sway"
    tools = ("sway", "waybar", "grim", "swaymsg", "Xvfb", "xdotool")

    def start_screen(self):
        super().start_screen()
        config = os.path.join(self.folder, "sway.config")
        with open(config, "w") as text:
            text.write(SWAY_CONFIG)
        env = {"PATH": os.environ["PATH"], "HOME": self.home, "XDG_RUNTIME_DIR": self.runtime,
               "DISPLAY": self.display, "WLR_BACKENDS": "x11", "WLR_RENDERER": "pixman",
               "WLR_X11_OUTPUTS": "1", "XDG_CONFIG_HOME": self.config_home(),
               }
        os.chmod(self.folder, 0o711)  # nobody passes through to its runtime folder
        os.chown(self.runtime, 65534, 65534)
        self.sway = self.spawn("sway", ["setpriv", "--reuid=nobody", "--regid=nogroup",
                                        "--clear-groups", "sway", "-c", config], env)
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and not self.sockets():
            time.sleep(0.2)
        if not self.sockets():
            raise Failure("sway made no sockets")
        self.wayland, self.swaysock = self.sockets()
        ds.settle(1)

    def sockets(self):
        waylands = [p for p in glob.glob(os.path.join(self.runtime, "wayland-*"))
                    if not p.endswith(".lock")]
        ipcs = glob.glob(os.path.join(self.runtime, "sway-ipc.*.sock"))
        return (os.path.basename(waylands[0]), ipcs[0]) if waylands and ipcs else None

    def stop_screen(self):
        from common import end

        end(getattr(self, "sway", None))
        super().stop_screen()

    def screen_environment(self):
        if not hasattr(self, "wayland"):
            return {"DISPLAY": self.display}
        return {"WAYLAND_DISPLAY": self.wayland, "SWAYSOCK": self.swaysock,
                "XDG_SESSION_TYPE": "wayland", "GDK_BACKEND": "wayland"}

    def environment(self):
        env = super().environment()
        env["XDG_SESSION_TYPE"] = "wayland"
        return env

    def start_panel(self):
        folder = os.path.join(self.config_home(), "waybar")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "config"), "w") as text:
            json.dump(WAYBAR_CONFIG, text)
        with open(os.path.join(folder, "style.css"), "w") as text:
            text.write("* { font-family: DejaVu Sans; font-size: 13px; }\n"
                       "window#waybar { background: %s; color: %s; }\n"
                       % (STYLES[self.theme], TEXT[self.theme]))
        self.panel = self.spawn("waybar", ["waybar", "-c", os.path.join(folder, "config"),
                                           "-s", os.path.join(folder, "style.css")])
        ds.run_until(self.watcher_present, 15, "waybar's tray (the watcher)")

    def bar(self):
        return (0, 0, SCREEN[0], BAR_HEIGHT)

    def panel_name(self):
        return "sway 1.7 + waybar, tray module"

    def theme_detail(self):
        return "bar %s, GTK theme %s" % (STYLES[self.theme], "Adwaita:dark"
                                         if self.theme == "dark" else "Adwaita")

    def swaymsg(self, *arguments):
        return subprocess.run(["swaymsg", "-s", self.swaysock] + list(arguments),
                              capture_output=True, text=True)

    def screenshot(self, path):
        subprocess.run(["grim", path], check=True,
                       env=dict(os.environ, WAYLAND_DISPLAY=self.wayland,
                                XDG_RUNTIME_DIR=self.runtime))
        return path

    def windows(self):
        tree = json.loads(self.swaymsg("-t", "get_tree").stdout or "{}")
        found, stack = [], [tree]
        while stack:
            node = stack.pop()
            if node.get("pid") and node.get("type") in ("con", "floating_con"):
                found.append(node)
            stack += node.get("nodes", []) + node.get("floating_nodes", [])
        return found

    def app_windows(self, pid):
        return {str(node["id"]): node["name"] for node in self.windows()
                if node.get("pid") == pid}

    def close_window(self, window):
        self.swaymsg("[con_id=%s] kill" % window)

    def answer_alert(self, window):
        self.swaymsg("[con_id=%s] focus" % window)
        subprocess.run(["xdotool", "key", "Return"], check=False)


HOST = WaybarHost
