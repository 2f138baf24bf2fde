"""GNOME Shell 43 as an X11 compositor inside Xvfb, with the AppIndicator extension enabled in
a private dconf; the applications' colour scheme default or prefer-dark (the top bar is dark in
both). Besides the common checks: 20 registrations, alternately switching the extension off and
on and starting the indicator anew, each counted only when the top bar shows the icon again."""

import glob
import os
import subprocess
import sys

import desktop_session as ds

from common import SCREEN, Host, Result, end

PANEL_SIZE = 32
REGISTRATIONS = 20


def extension_uuid():
    found = [os.path.basename(path) for path in glob.glob("/usr/share/gnome-shell/extensions/*")
             if "appindicator" in os.path.basename(path)]
    return found[0] if found else "appindicatorsupport@rgcjonas.gmail.com"


class GnomeHost(Host):
    name = "gnome"
    desktop = "GNOME"
    tools = ("gnome-shell", "gnome-extensions", "gsettings", "Xvfb", "xdotool", "import")

    def start_screen(self):
        """Besides Xvfb, a private system bus with a mocked logind: the shell's start asks
        logind for its session."""
        super().start_screen()
        self.system_bus = subprocess.Popen(["dbus-daemon", "--session", "--print-address=1",
                                            "--nofork"], stdout=subprocess.PIPE, text=True)
        self.system_address = self.system_bus.stdout.readline().strip()
        self.logind = self.spawn("logind-mock", [sys.executable, "-m", "dbusmock", "--template",
                                                 "logind"],
                                 dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=self.system_address))
        ds.settle(2)

    def stop_screen(self):
        end(getattr(self, "logind", None))
        end(getattr(self, "system_bus", None))
        super().stop_screen()

    def environment(self):
        env = super().environment()
        env.pop("GTK_THEME", None)  # GNOME says dark through its colour scheme
        if hasattr(self, "system_address"):
            env["DBUS_SYSTEM_BUS_ADDRESS"] = self.system_address
        return env

    def gsettings(self, *arguments):
        subprocess.run(["gsettings", "set"] + list(arguments), env=self.environment(),
                       check=True)

    def start_panel(self):
        env = self.environment()
        self.activation_environment(env)
        self.uuid = extension_uuid()
        self.gsettings("org.gnome.shell", "disable-user-extensions", "false")
        self.gsettings("org.gnome.shell", "enabled-extensions", "['%s']" % self.uuid)
        self.gsettings("org.gnome.desktop.interface", "color-scheme",
                       "prefer-dark" if self.theme == "dark" else "default")
        self.gsettings("org.gnome.shell", "welcome-dialog-last-shown-version", "'99'")
        self.panel = self.spawn("gnome-shell", ["gnome-shell", "--x11", "--replace"], env)
        ds.run_until(self.watcher_present, 60, "the AppIndicator extension's watcher")
        ds.settle(5)

    def stop_panel(self):
        super().stop_panel()
        ds.settle(2)

    def bar(self):
        return (0, 0, SCREEN[0], PANEL_SIZE)

    def panel_name(self):
        return "GNOME Shell 43, extension %s" % extension_uuid()

    def theme_detail(self):
        return "color-scheme " + ("prefer-dark" if self.theme == "dark" else "default")

    def extensions(self, action):
        return subprocess.run(["gnome-extensions", action, self.uuid], env=self.environment(),
                              capture_output=True, text=True)

    def extra_checks(self, run):
        empty = os.path.join(run.shots, "bar-empty.png")
        shown, notes = 0, []
        for attempt in range(1, REGISTRATIONS + 1):
            if attempt % 2:
                self.extensions("disable")
                ds.settle(2)
                self.extensions("enable")
                how = "extension off and on"
            else:
                run.indicator.stop()
                run.indicator.start()
                how = "indicator started anew"
            sighting = run.wait_for_item(empty, "registration-%02d" % attempt, seconds=15)
            if sighting is not None and sighting.difference < 0.35:
                shown += 1
            else:
                notes.append("%d (%s)" % (attempt, how))
        detail = "%d of %d shown in the top bar" % (shown, REGISTRATIONS)
        if notes:
            detail += "; missing after " + ", ".join(notes[:5])
        return [("GNOME: 20 registrations", Result(shown == REGISTRATIONS, detail))]


HOST = GnomeHost
