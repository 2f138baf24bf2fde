"""GNOME Shell 43 headless on Wayland (a virtual monitor the size of the common screen), with the
AppIndicator extension enabled in a private keyfile settings store; the applications' colour
scheme default or prefer-dark (GNOME 43's top bar is dark in both). The shell runs with
--unsafe-mode so that this host can ask it things: it evaluates JavaScript for the windows'
titles, and clicks and keys go through Clutter virtual input devices, as a person's would. The
screenshots come from the shell's own Screenshot service. Restarting the panel switches the
extension off and on again: the top bar is the shell's, and the extension owns the watcher."""

import glob
import json
import os
import subprocess
import sys

import desktop_session as ds

from common import SCREEN, Failure, Host, end, log_complaints
from desktop_session import GLib, Gio

WAYLAND = "wayland-0"
# The shell's lines that tell of a fault of the extension's or of its own scripts.
SHELL_FAULTS = ("JS ERROR", "TypeError", "Unhandled promise", "AppIndicators-WARNING",
                "AppIndicators-CRITICAL")

# Created once in the shell, kept on its global object: a pointer and a keyboard.
DEVICES = """
if (!globalThis.zerarazi_pointer) {
    const seat = imports.gi.Clutter.get_default_backend().get_default_seat();
    globalThis.zerarazi_pointer = seat.create_virtual_device(
        imports.gi.Clutter.InputDeviceType.POINTER_DEVICE);
    globalThis.zerarazi_keyboard = seat.create_virtual_device(
        imports.gi.Clutter.InputDeviceType.KEYBOARD_DEVICE);
}
const Clutter = imports.gi.Clutter;
const now = () => imports.gi.GLib.get_monotonic_time();
"""


def extension_uuid():
    found = [os.path.basename(path) for path in glob.glob("/usr/share/gnome-shell/extensions/*")
             if "appindicator" in os.path.basename(path)]
    return found[0] if found else "appindicatorsupport@rgcjonas.gmail.com"


class GnomeHost(Host):
    name = "gnome"
    desktop = "GNOME"
    tools = ("gnome-shell", "gsettings", "dbus-daemon")

    def start_screen(self):
        """No X server: the shell draws its own virtual monitor. It asks logind for its session,
        so a private system bus with a mocked logind comes first."""
        self.system_address = "unix:path=" + os.path.join(self.runtime, "system_bus")
        self.system_bus = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--address=" + self.system_address],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        self.logind = self.spawn("logind-mock", [sys.executable, "-m", "dbusmock", "--system",
                                                 "--template", "logind"])
        ds.settle(1)
        self.uuid = extension_uuid()

    def stop_screen(self):
        end(getattr(self, "logind", None))
        end(getattr(self, "system_bus", None))

    def screen_environment(self):
        return {"WAYLAND_DISPLAY": WAYLAND, "GDK_BACKEND": "wayland",
                "DBUS_SYSTEM_BUS_ADDRESS": self.system_address}

    def environment(self):
        env = super().environment()
        env.pop("GTK_THEME", None)  # GNOME says dark through its colour scheme
        env["XDG_SESSION_TYPE"] = "wayland"
        env["GSETTINGS_BACKEND"] = "keyfile"
        return env

    def gsettings(self, *arguments):
        subprocess.run(["gsettings", "set"] + list(arguments), env=self.environment(),
                       check=True, timeout=20)

    def start_panel(self):
        self.gsettings("org.gnome.shell", "disable-user-extensions", "false")
        self.gsettings("org.gnome.shell", "enabled-extensions", "['%s']" % self.uuid)
        self.gsettings("org.gnome.desktop.interface", "color-scheme",
                       "prefer-dark" if self.theme == "dark" else "default")
        self.gsettings("org.gnome.shell", "welcome-dialog-last-shown-version", "'99'")
        self.panel_runs += 1
        self.panel = self.spawn("gnome-shell", [
            "gnome-shell", "--headless", "--unsafe-mode", "--wayland", "--no-x11",
            "--virtual-monitor", "%dx%d" % SCREEN])
        ds.run_until(self.watcher_present, 60, "the AppIndicator extension's watcher")
        ds.run_until(self.started, 30, "the shell's start")
        # With no window open the shell starts in its overview: leave it for the desktop. Its
        # banner about running as root would lie over the screenshots: take it away.
        self.evaluate("Main.overview.hide()")
        ds.settle(1)
        self.evaluate("Main.messageTray.getSources().forEach(s => s.destroy())")
        self.panel_height = int(self.evaluate("Main.panel.height"))
        ds.settle(2)  # the overview's closing animation

    def started(self):
        try:
            return self.evaluate("Main.layoutManager._startingUp === false")
        except GLib.Error:
            return False  # the shell has not put its D-Bus objects up yet

    def stop_panel(self):
        end(self.panel)

    def restart_panel(self):
        """The extension off and on: its status areas go and the watcher with them."""
        self.shell_call("org.gnome.Shell.Extensions", "DisableExtension", self.uuid)
        ds.run_until(lambda: not self.watcher_present() and not self.items(), 10,
                     "the watcher and the items to go")
        ds.settle(1)
        self.shell_call("org.gnome.Shell.Extensions", "EnableExtension", self.uuid)
        ds.run_until(self.watcher_present, 15, "the watcher to come back")

    def items(self):
        """The extension's status areas in the top bar."""
        return self.evaluate("Object.keys(Main.panel.statusArea).filter(k => "
                             "k.startsWith('appindicator')).join(' ')")

    def shell_call(self, interface, method, *strings):
        signature = "(%s)" % ("s" * len(strings))
        return self.bus.call_sync("org.gnome.Shell", "/org/gnome/Shell", interface, method,
                                  GLib.Variant(signature, strings) if strings else None, None,
                                  Gio.DBusCallFlags.NONE, 10000, None).unpack()

    def evaluate(self, script):
        """The JSON value of a script run in the shell; Failure when the script throws."""
        ok, answer = self.shell_call("org.gnome.Shell", "Eval", script)
        if not ok:
            raise Failure("the shell could not run %r: %s" % (script[:60], answer))
        return json.loads(answer) if answer else None

    def bar(self):
        return (0, 0, SCREEN[0], self.panel_height)

    def panel_name(self):
        return "GNOME Shell 43 on headless Wayland, extension %s" % self.uuid

    def theme_detail(self):
        return "color-scheme %s (the top bar is dark in both)" % (
            "prefer-dark" if self.theme == "dark" else "default")

    def screenshot(self, path):
        path = os.path.abspath(path)
        self.bus.call_sync("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot",
                           "org.gnome.Shell.Screenshot", "Screenshot",
                           GLib.Variant("(bbs)", (False, False, path)), None,
                           Gio.DBusCallFlags.NONE, 10000, None)
        return path

    def move_pointer(self, x, y):
        self.evaluate(DEVICES + "zerarazi_pointer.notify_absolute_motion(now(), %d, %d)"
                      % (x, y))

    def click(self, x, y, button):
        self.move_pointer(x, y)
        ds.settle(0.1)
        for state in ("PRESSED", "RELEASED"):
            self.evaluate(DEVICES + "zerarazi_pointer.notify_button(now(), %d, "
                          "Clutter.ButtonState.%s)" % (button, state))
            ds.settle(0.05)

    def park_pointer(self):
        self.move_pointer(SCREEN[0] // 2, SCREEN[1] - 5)

    def key(self, name):
        for state in ("PRESSED", "RELEASED"):
            self.evaluate(DEVICES + "zerarazi_keyboard.notify_keyval(now(), Clutter.KEY_%s, "
                          "Clutter.KeyState.%s)" % (name, state))
            ds.settle(0.05)

    def dismiss_popup(self):
        self.key("Escape")

    def app_windows(self, pid):
        """The application's windows as the shell shows them (no menus): ids and titles."""
        found = self.evaluate(
            "JSON.stringify(global.get_window_actors().map(a => a.meta_window)"
            ".filter(w => w.get_pid() === %d && !w.is_override_redirect() && [%s].includes("
            "w.get_window_type())).map(w => [String(w.get_id()), w.get_title() || '']))"
            % (pid, "imports.gi.Meta.WindowType.NORMAL, imports.gi.Meta.WindowType.DIALOG, "
               "imports.gi.Meta.WindowType.MODAL_DIALOG"))
        return dict(json.loads(found)) if found else {}

    def window_script(self, window, action):
        return ("global.get_window_actors().map(a => a.meta_window).filter(w => "
                "String(w.get_id()) === %s).forEach(w => %s); 'done'" % (json.dumps(window),
                                                                        action))

    def close_window(self, window):
        self.evaluate(self.window_script(window, "w.delete(global.display.get_current_time_roundtrip())"))

    def answer_alert(self, window):
        self.evaluate(self.window_script(window, "w.activate(global.display.get_current_time_roundtrip())"))
        ds.settle(0.3)
        self.key("Return")

    def log_complaints(self, text):
        """Besides the common complaints, any fault of the shell's scripts and any warning of
        the AppIndicator extension's, whatever it mentions."""
        shell = [line.strip() for line in text.splitlines()
                 if any(fault in line for fault in SHELL_FAULTS)]
        return shell + [line for line in log_complaints(text) if line not in shell]


HOST = GnomeHost
