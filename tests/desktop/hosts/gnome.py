"""GNOME Shell 43 headless on Wayland with the AppIndicator extension in a private keyfile store,
in colour scheme default or prefer-dark (the top bar is dark in both). --unsafe-mode lets this
host evaluate JavaScript in the shell for windows, clicks and keys (Clutter virtual devices);
screenshots come from its Screenshot service; a panel restart switches the extension off and on.

    dbus-run-session -- gnome.py BUNDLE FOLDER

starts the item twenty times instead, each within five seconds in the top bar, every fourth
switching the extension off and on (the item must leave and come back), each ended by SIGTERM
(status 0, gone from the bar), the shell's log clean; exits 1 when any of that fails."""

import glob
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from common import SCREEN, Failure, GLib, Host, ds, log_complaints, run_until_or_none  # noqa: E402

SHELL_FAULTS = ("JS ERROR", "TypeError", "Unhandled promise", "AppIndicators-WARNING",
                "AppIndicators-CRITICAL")
# A pointer and a keyboard, created once and kept on the shell's global object.
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
WINDOWS = "global.get_window_actors().map(a => a.meta_window)"


class GnomeHost(Host):
    name, desktop = "gnome", "GNOME"
    tools = ("gnome-shell", "gsettings", "dbus-daemon")

    def start_screen(self):
        # The shell draws its own monitor and asks logind for its session: a mocked one.
        self.system_address = "unix:path=" + os.path.join(self.runtime, "system_bus")
        self.system_bus = self.spawn("system-bus", ["dbus-daemon", "--session", "--nofork",
                                                    "--address=" + self.system_address])
        self.logind = self.spawn("logind-mock", [sys.executable, "-m", "dbusmock", "--system",
                                                 "--template", "logind"])
        ds.settle(1)
        self.uuid = ([os.path.basename(path) for path in glob.glob(
            "/usr/share/gnome-shell/extensions/*appindicator*")] + ["ubuntu-appindicators@ubuntu.com"])[0]

    def stop_screen(self):
        ds.end(self.logind)
        ds.end(self.system_bus)

    def screen_environment(self):
        return {"WAYLAND_DISPLAY": "wayland-0", "GDK_BACKEND": "wayland",
                "DBUS_SYSTEM_BUS_ADDRESS": self.system_address}

    def environment(self):
        env = super().environment()
        env.pop("GTK_THEME", None)  # GNOME says dark through its colour scheme
        return dict(env, XDG_SESSION_TYPE="wayland", GSETTINGS_BACKEND="keyfile")

    def start_panel(self):
        for schema, key, value in (
                ("org.gnome.shell", "disable-user-extensions", "false"),
                ("org.gnome.shell", "enabled-extensions", "['%s']" % self.uuid),
                ("org.gnome.desktop.interface", "color-scheme",
                 "prefer-dark" if self.dark else "default"),
                ("org.gnome.shell", "welcome-dialog-last-shown-version", "'99'")):
            subprocess.run(["gsettings", "set", schema, key, value], env=self.environment(),
                           check=True, timeout=20)
        self.detail = "GNOME Shell 43 on headless Wayland, extension %s in color-scheme %s (the " \
            "top bar is dark in both)" % (self.uuid, "prefer-dark" if self.dark else "default")
        self.panel = self.spawn("gnome-shell", [
            "gnome-shell", "--headless", "--unsafe-mode", "--wayland", "--no-x11",
            "--virtual-monitor", "%dx%d" % SCREEN])
        ds.run_until(self.watcher_present, 60, "the AppIndicator extension's watcher")
        ds.run_until(lambda: self.evaluate("Main.layoutManager._startingUp === false", False),
                     30, "the shell's start", interval=0.2)
        # With no window open the shell starts in its overview: leave it for the desktop. Its
        # banner about running as root would lie over the screenshots: take it away.
        self.evaluate("Main.overview.hide()")
        ds.settle(1)
        self.evaluate("Main.messageTray.getSources().forEach(s => s.destroy())")
        self.panel_size = int(self.evaluate("Main.panel.height"))
        ds.settle(2)  # the overview's closing animation

    def restart_panel(self):
        self.shell_call("org.gnome.Shell.Extensions", "DisableExtension", self.uuid)
        ds.run_until(lambda: not self.watcher_present() and not self.items(), 10,
                     "the watcher and the items to go")
        ds.settle(1)
        self.shell_call("org.gnome.Shell.Extensions", "EnableExtension", self.uuid)
        ds.run_until(self.watcher_present, 15, "the watcher to come back")

    def items(self):
        return self.evaluate("Object.entries(Main.panel.statusArea).filter(([k, v]) => { try { "
                             "return k.startsWith('appindicator') && v.get_stage() !== null && "
                             "v.is_visible(); } catch (e) { return false; } }).map(([k]) => k)"
                             ".join(' ')")

    def shell_call(self, interface, method, *strings):
        return ds.call(self.bus, "org.gnome.Shell", "/org/gnome/Shell", interface, method,
                       GLib.Variant("(%s)" % ("s" * len(strings)), strings), timeout=10000)

    def evaluate(self, script, failed=Failure):
        """The JSON value of a script run in the shell; when it throws, Failure or `failed`."""
        try:
            ok, answer = self.shell_call("org.gnome.Shell", "Eval", script)
        except GLib.Error:
            ok, answer = False, "the shell has not put its D-Bus objects up yet"
        if not ok and failed is Failure:
            raise Failure("the shell could not run %r: %s" % (script[:60], answer))
        return (json.loads(answer) if answer else None) if ok else failed

    def screenshot(self, path):
        ds.call(self.bus, "org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot",
                "org.gnome.Shell.Screenshot", "Screenshot",
                GLib.Variant("(bbs)", (False, False, os.path.abspath(path))), timeout=10000)

    def input(self, action):
        self.evaluate(DEVICES + action)
        ds.settle(0.05)

    def click(self, x, y, button):
        self.input("zerarazi_pointer.notify_absolute_motion(now(), %d, %d)" % (x, y))
        for state in ("PRESSED", "RELEASED"):
            self.input("zerarazi_pointer.notify_button(now(), %d, Clutter.ButtonState.%s)"
                       % (button, state))

    def park_pointer(self):
        self.input("zerarazi_pointer.notify_absolute_motion(now(), %d, %d)"
                   % (SCREEN[0] // 2, SCREEN[1] - 5))

    def key(self, name):
        for state in ("PRESSED", "RELEASED"):
            self.input("zerarazi_keyboard.notify_keyval(now(), Clutter.KEY_%s, "
                       "Clutter.KeyState.%s)" % (name, state))

    def dismiss_popup(self):
        self.key("Escape")

    def app_windows(self, pid):
        found = self.evaluate(
            "JSON.stringify(%s.filter(w => w.get_pid() === %d && !w.is_override_redirect() && "
            "['NORMAL', 'DIALOG', 'MODAL_DIALOG'].map(t => imports.gi.Meta.WindowType[t])"
            ".includes(w.get_window_type())).map(w => [String(w.get_id()), w.get_title() || '']))"
            % (WINDOWS, pid))
        return dict(json.loads(found)) if found else {}

    def on_window(self, window, action):
        self.evaluate("%s.filter(w => String(w.get_id()) === %s).forEach(w => w.%s("
                      "global.display.get_current_time_roundtrip())); 'done'"
                      % (WINDOWS, json.dumps(window), action))

    def close_window(self, window):
        self.on_window(window, "delete")

    def answer_alert(self, window):
        self.on_window(window, "activate")
        ds.settle(0.3)
        self.key("Return")

    def log_complaints(self, text):
        shell = [line.strip() for line in text.splitlines()
                 if any(fault in line for fault in SHELL_FAULTS)]
        return shell + [line for line in log_complaints(text) if line not in shell]


HOST = GnomeHost


def registrations(bundle, folder):
    host = GnomeHost("light", folder)
    host.start_screen()
    passed = switched = 0
    try:
        host.start_panel()

        def shown(name, wanted=True):
            return run_until_or_none(lambda: (name + "@" + ds.ITEM_PATH in host.items()) == wanted,
                                     5)

        for run in range(1, 21):
            indicator = ds.Session(bundle, env=host.environment())
            indicator.start()
            name = indicator.item(5).name
            result = "shown" if shown(name) else "not shown"
            if result == "shown" and run % 4 == 0:
                host.restart_panel()
                switched += bool(shown(name))
                result = "shown" if shown(name) else "lost when the extension came back"
                ds.settle(2)
            indicator.app.terminate()
            status = indicator.wait_for_exit()
            result += "" if shown(name, False) else ", left in the bar after it ended"
            passed += result == "shown" and status == 0
            print("run %d: %s %s, exit status %d" % (run, name, result, status), flush=True)
            indicator.close()
        complaints = host.log_complaints(host.host_logs())
        print("shown and ended cleanly: %d of 20; the extension switched off and on %d times; %d "
              "complaints in the shell's log (%s)" % (passed, switched, len(complaints), folder))
    finally:
        ds.end(host.panel)
        host.stop_screen()
    return 0 if passed == 20 and switched == 5 and not complaints else 1


if __name__ == "__main__":
    os.makedirs(sys.argv[2], exist_ok=True)
    sys.exit(registrations(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])))
