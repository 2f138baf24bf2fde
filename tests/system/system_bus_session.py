#!/usr/bin/env python3
"""The terminal display following a private system bus (python-dbusmock's logind and
power-profiles), the bundle in a private tmux server on a hand-made power_supply folder whose
uevent each case rewrites. Exits 77 without dbus-daemon, dbus-monitor, tmux, python3-dbusmock or
python3-gi.

    system_bus_session.py CASE BUNDLE
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "privileged"))
from charge_limit_bus import (LOGIN, Failure, check, skip_unless_tools,  # noqa: E402
                              wait_until, write)

REFRESH = 10.0
PROFILES = ("net.hadess.PowerProfiles", "/net/hadess/PowerProfiles", "net.hadess.PowerProfiles")
# The service under its present name: this dbusmock's own template knows only the older one.
PRESENT_PROFILES = ("org.freedesktop.UPower.PowerProfiles", "/org/freedesktop/UPower/PowerProfiles",
                    "org.freedesktop.UPower.PowerProfiles")
PRESENT_TEMPLATE = """
import dbus
BUS_NAME, MAIN_OBJ, MAIN_IFACE = %r
SYSTEM_BUS = True
def load(mock, parameters):
    mock.AddProperties(MAIN_IFACE, dbus.Dictionary(
        {"ActiveProfile": parameters.get("ActiveProfile", "balanced")}, signature="sv"))
""" % (PRESENT_PROFILES,)


class Session:
    """A private bus, its mocked services, a battery folder and the bundle in a tmux pane."""

    def __init__(self, bundle):
        self.bundle = bundle
        self.folder = tempfile.mkdtemp(prefix="zerarazi-system-bus-")
        self.socket = "zerarazi-system-bus-%d" % os.getpid()
        self.processes = []
        for folder in ("home", "power_supply/AC", "power_supply/BAT0"):
            os.makedirs(os.path.join(self.folder, folder))
        self.write("power_supply/AC/uevent", "POWER_SUPPLY_TYPE=Mains\nPOWER_SUPPLY_ONLINE=0\n")
        self.set_battery(50)

    def write(self, name, text):
        path = os.path.join(self.folder, name)
        write(path + ".new", text)
        os.rename(path + ".new", path)

    def set_battery(self, percent):
        self.write("power_supply/BAT0/uevent",
                   "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=Discharging\n"
                   "POWER_SUPPLY_CAPACITY=%d\nPOWER_SUPPLY_CHARGE_NOW=%d\n"
                   "POWER_SUPPLY_CHARGE_FULL=4000000\nPOWER_SUPPLY_CHARGE_FULL_DESIGN=4000000\n"
                   "POWER_SUPPLY_CURRENT_NOW=1000000\n" % (percent, percent * 40000))

    def start_bus(self):
        daemon = subprocess.Popen(["dbus-daemon", "--session", "--print-address=1", "--nofork"],
                                  stdout=subprocess.PIPE, text=True)
        self.processes.append(daemon)
        self.address = daemon.stdout.readline().strip()
        check(self.address, "dbus-daemon gave no address")
        import dbus
        self.bus = dbus.bus.BusConnection(self.address)

    def start_mock(self, template, name, parameters=None):
        argv = [sys.executable, "-m", "dbusmock", "--template", template]
        if parameters:
            argv += ["--parameters", json.dumps(parameters)]
        env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=self.address)
        self.processes.append(subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL))
        wait_until(name + " on the bus", lambda: self.bus.name_has_owner(name), 10)

    def interface(self, service, interface):
        import dbus
        return dbus.Interface(self.bus.get_object(service[0], service[1]), interface)

    def start_app(self, system_bus_address):
        script = os.path.join(self.folder, "run.sh")
        write(script, "export HOME='%s/home' ZERARAZI_DISPLAY=terminal "
              "ZERARAZI_BATTERY='%s/power_supply' DBUS_SYSTEM_BUS_ADDRESS='%s'\n"
              "echo $$ > '%s/pid'\n'%s' 2> '%s/stderr'\necho \"[exited $?]\"\n"
              # The terminal settings the program left behind.
              "echo \"[settings $(stty -a | tr ' ' '\\n' | grep -x -e -icanon -e icanon -e -echo "
              "-e echo | tr '\\n' ' ')]\"\nexec sleep 600\n"
              % (self.folder, self.folder, system_bus_address, self.folder,
                 os.path.join(self.bundle, "Contents", "MacOS", "Zerarazi"), self.folder))
        subprocess.run(["tmux", "-L", self.socket, "-f", "/dev/null", "new-session", "-d",
                        "-x", "100", "-y", "30", "-s", "bus", "sh " + script], check=True)

    def screen(self):
        return subprocess.run(["tmux", "-L", self.socket, "capture-pane", "-p", "-t", "bus"],
                              stdout=subprocess.PIPE, text=True).stdout

    def send(self, *keys):
        for key in keys:
            subprocess.run(["tmux", "-L", self.socket, "send-keys", "-t", "bus", key])

    def cursor_shown(self):
        return subprocess.run(["tmux", "-L", self.socket, "display-message", "-p", "-t", "bus",
                               "#{cursor_flag}"], stdout=subprocess.PIPE, text=True).stdout == "1\n"

    def wait_for(self, text, patience=5):
        try:
            wait_until('"%s"' % text, lambda: text in self.screen(), patience)
        except Failure as failure:
            raise Failure("%s; the screen:\n%s" % (failure, self.screen()))

    def open_report(self):
        self.send("m")
        self.wait_for("Show Battery Information")
        self.send("3")
        self.wait_for("[1 OK]")

    def low_power_mode_in_report(self):
        self.open_report()
        # The alert's buttons are drawn first, then the report above them.
        found = wait_until("the report's Low Power Mode line",
                           lambda: re.search(r"Low Power Mode: (\w*) *$", self.screen(), re.M), 5)
        self.send("Enter")
        wait_until("the report closed", lambda: "[1 OK]" not in self.screen(), 5)
        return found.group(1) if found else None

    def app_name_on_bus(self):
        """The bundle's unique name on the private bus; the pane's shell is its parent."""
        import dbus
        with open(os.path.join(self.folder, "pid")) as pid_file:
            pid = int(pid_file.read())
        daemon = dbus.Interface(self.bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus"),
                                "org.freedesktop.DBus")
        return next((str(name) for name in daemon.ListNames() if name.startswith(":") and
                     parent_of(daemon.GetConnectionUnixProcessID(name)) == pid), None)

    def stderr_lines(self):
        with open(os.path.join(self.folder, "stderr")) as err:
            return err.read().splitlines()

    def close(self):
        subprocess.run(["tmux", "-L", self.socket, "kill-server"], stderr=subprocess.DEVNULL)
        for process in reversed(self.processes):
            process.terminate()
            process.wait(5)
        shutil.rmtree(self.folder, ignore_errors=True)


def parent_of(pid):
    try:
        with open("/proc/%d/status" % pid) as status:
            return int(re.search(r"^PPid:\s*(\d+)", status.read(), re.M).group(1))
    except OSError:
        return None


class Monitor:
    """Counts the messages one connection sends on the bus, from the moment it is made."""

    def __init__(self, address, sender):
        self.messages = []
        self.process = subprocess.Popen(["dbus-monitor", "--address", address,
                                         "sender='%s'" % sender],
                                        stdout=subprocess.PIPE, text=True)
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        for line in self.process.stdout:
            if (line.startswith(("method call", "signal", "method return", "error")) and
                    "sender=org.freedesktop.DBus" not in line):
                self.messages.append(line.strip())

    def close(self):
        self.process.terminate()
        self.process.wait(5)


def held_inhibitors(session):
    inhibitors = session.interface(LOGIN, LOGIN[2]).ListInhibitors()
    return [i for i in inhibitors if i[1] == "Zerarazi" and i[0] == "sleep" and i[3] == "delay"]


def case_sleep_wake(session):
    """PrepareForSleep(true) stops the refresh and lets the inhibitor go once delivered;
    PrepareForSleep(false) takes it again and the first refresh follows 10 s later."""
    session.start_bus()
    session.start_mock("logind", LOGIN[0])
    session.start_app(session.address)
    session.wait_for("50%")
    wait_until("the inhibitor taken at start", lambda: len(held_inhibitors(session)) == 1, 5)
    mock = session.interface(LOGIN, "org.freedesktop.DBus.Mock")

    # The notice is delivered while an alert is up, too.
    session.open_report()
    mock.EmitSignal(LOGIN[2], "PrepareForSleep", "b", [True])
    wait_until("the inhibitor let go", lambda: not held_inhibitors(session), 5)
    session.send("Enter")
    wait_until("the report closed", lambda: "[1 OK]" not in session.screen(), 5)
    session.set_battery(40)
    time.sleep(REFRESH + 1)
    check("50%" in session.screen(), "refreshed while asleep:\n" + session.screen())

    mock.EmitSignal(LOGIN[2], "PrepareForSleep", "b", [False])
    woke = time.monotonic()
    wait_until("the inhibitor taken after waking", lambda: len(held_inhibitors(session)) == 1, 5)
    session.wait_for("40%", REFRESH + 3)
    waited = time.monotonic() - woke
    check(REFRESH - 1 <= waited <= REFRESH + 2.5,
          "the first refresh after waking came after %.1f s" % waited)
    check(session.stderr_lines() == [], "standard error: %s" % session.stderr_lines())


def report_comes_to(session, low_power_mode, what):
    """A change of profile reaches the report by the refresh after it arrives: on a loaded
    machine that may be the one after the refresh that showed the new charge."""
    wait_until(what, lambda: session.low_power_mode_in_report() == low_power_mode, REFRESH + 3)


def case_low_power(session):
    """The mocked profile gives the report's Low Power Mode at the next refresh; the service's
    present name wins over the older one once it appears; refreshes send nothing on the bus."""
    session.start_bus()
    session.start_mock("logind", LOGIN[0])
    session.start_mock("power_profiles_daemon", PROFILES[0], {"ActiveProfile": "balanced"})
    session.start_app(session.address)
    session.wait_for("50%")
    name = wait_until("the bundle on the bus", session.app_name_on_bus, 5)
    time.sleep(1)  # the start-up calls (inhibitor, profile) are answered by now
    monitor = Monitor(session.address, name)
    time.sleep(0.5)  # dbus-monitor has become a monitor

    properties = session.interface(PROFILES, "org.freedesktop.DBus.Properties")
    properties.Set(PROFILES[2], "ActiveProfile", "power-saver")
    session.set_battery(45)
    session.wait_for("45%", REFRESH + 2)
    report_comes_to(session, "On", "power-saver under the older name")
    quiet = list(monitor.messages)

    template = os.path.join(session.folder, "present_profiles.py")
    write(template, PRESENT_TEMPLATE)
    session.start_mock(template, PRESENT_PROFILES[0], {"ActiveProfile": "balanced"})
    session.set_battery(44)
    session.wait_for("44%", REFRESH + 2)
    report_comes_to(session, "Off", "balanced under the present name")
    monitor.close()
    check(quiet == [], "the bundle sent %d messages over a refresh:\n%s"
          % (len(quiet), "\n".join(quiet)))
    asked = monitor.messages[len(quiet):]
    check(len(asked) == 1 and "member=Get" in asked[0],
          "once the present name appeared the bundle sent: %s" % asked)


def case_no_bus(session):
    """Without a bus: one line on standard error; the platform profile still gives Low Power
    Mode and the rest works as a person uses it: a box in Preferences shapes the title, and
    quitting gives the terminal back as it was."""
    session.write("power_supply/platform_profile", "low-power\n")
    session.start_app("unix:path=%s/no-bus" % session.folder)
    session.wait_for("50%")
    check(not session.cursor_shown(), "the cursor shown over the status")
    check(session.low_power_mode_in_report() == "On", "Low Power Mode from the profile file")
    session.send("m")
    session.wait_for("\u2318Q")
    session.send("4")
    session.wait_for("[ ]  3  Show Battery Condition")
    session.send("3")
    session.wait_for("[x]  3  Show Battery Condition")
    session.wait_for(" \u2022 50%")  # the condition now comes before the percentage
    session.send("c", "q")
    session.wait_for("[exited 0]")
    session.wait_for("[settings icanon echo ]")
    check(session.cursor_shown(), "the cursor left hidden")
    lines = session.stderr_lines()
    check(len(lines) == 1 and "system bus" in lines[0], "standard error: %s" % lines)


CASES = {"sleep_wake": case_sleep_wake, "low_power": case_low_power, "no_bus": case_no_bus}


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in CASES:
        print("usage: system_bus_session.py %s BUNDLE" % "|".join(CASES), file=sys.stderr)
        return 2
    skip_unless_tools(("dbus-daemon", "dbus-monitor", "tmux"))
    session = Session(sys.argv[2])
    try:
        CASES[sys.argv[1]](session)
    except Failure as failure:
        print("FAILED: %s" % failure)
        return 1
    finally:
        session.close()
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
