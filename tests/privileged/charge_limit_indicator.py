#!/usr/bin/env python3
"""The charge limit in Preferences on the driver display: first against the service on the
private bus of charge_limit_bus.py, then against a mocked UPower that offers thresholds. Exits 77
without dbus-daemon, python3-dbusmock or python3-gi.

    charge_limit_indicator.py BUNDLE PROGRAM POLICY
"""

import json
import os
import queue
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import charge_limit_bus as bus  # noqa: E402

from charge_limit_bus import ACTION, Failure, check  # noqa: E402

PREFERENCES, BOX, CHOICE, ONCE = 1, 12, 13, 14
UPOWER = ("org.freedesktop.UPower", "/org/freedesktop/UPower/devices/battery_BAT0",
          "org.freedesktop.UPower.Device")


def read_lines(stream, keep):
    for line in stream:
        keep(line.rstrip("\n"))


class Indicator:
    """The bundle on the driver display, fed one command at a time."""

    def __init__(self, bundle, address, battery):
        self.home = tempfile.mkdtemp(prefix="zerarazi-charge-limit-home-")
        os.makedirs(os.path.join(self.home, "data"))
        env = dict(os.environ, ZERARAZI_DISPLAY="driver", ZERARAZI_BATTERY=battery,
                   DBUS_SYSTEM_BUS_ADDRESS=address, HOME=self.home,
                   XDG_DATA_HOME=os.path.join(self.home, "data"))
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        self.process = subprocess.Popen(
            [os.path.join(bundle, "Contents", "MacOS", "Zerarazi")], env=env, text=True,
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.lines, self.errors = queue.Queue(), []
        for stream, keep in ((self.process.stdout, self.lines.put),
                             (self.process.stderr, self.errors.append)):
            threading.Thread(target=read_lines, args=(stream, keep), daemon=True).start()
        self.windows, self.notifications, self.alerts = {}, [], []

    def send(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()

    def take(self):
        while True:
            try:
                line = json.loads(self.lines.get_nowait())
            except queue.Empty:
                return
            check(line["event"] != "error", "the driver refused %r" % line)
            if line["event"] == "window" and not line.get("closed"):
                self.windows[line["number"]] = line
            {"notification": self.notifications, "alert": self.alerts}.get(
                line["event"], []).append(line)

    def until(self, what, seen, patience=10.0):
        """Asks for the state until `seen` holds; answers from the bus arrive meanwhile."""
        give_up = time.monotonic() + patience
        while True:
            # The driver's virtual clock never waits for other threads: the answers that came
            # meanwhile are taken when the next refresh falls due.
            self.send("advance 10000")
            self.send("dump")
            time.sleep(0.1)
            self.take()
            value = seen()
            if value or time.monotonic() > give_up:
                return value or check(False, "never saw %s; windows: %r" % (what, self.windows))

    def control(self, number):
        window = self.windows.get(PREFERENCES, {"controls": []})
        return next((c for c in window["controls"] if c["number"] == number), None)

    def box(self):
        """(text, ticked, enabled) of the limit's box; None while it is not shown."""
        box = self.control(BOX)
        return box and (box["text"], box["state"], box.get("enabled", True))

    def report(self):
        self.alerts.clear()
        self.send("menu 3")
        alert = self.until("the report", lambda: self.alerts and self.alerts[-1])
        self.send("answer 1")
        return alert["text"]

    def close(self):
        self.process.stdin.close()
        self.process.wait(10)


def settled(indicator, text, ticked):
    return lambda: indicator.box() == (text, ticked, True)


def case_service(session, bundle):
    tree = session.tree
    tree.set("BAT0", "status", "Charging")
    tree.set("BAT0", "capacity", "70")
    session.polkit([ACTION])
    app = Indicator(bundle, session.address, os.path.join(tree.root, "class", "power_supply"))
    try:
        app.send("menu 4")
        app.until("the box unticked at 80 %", settled(app, "Limit Charge to 80%", 0))
        choice, once = app.control(CHOICE), app.control(ONCE)
        check((choice["kind"], choice["items"], choice["state"]) ==
              ("choice", ["60%", "70%", "80%", "90%"], 2), "the choice: %r" % choice)
        check((once["text"], once.get("enabled", True)) == ("Charge to 100% Once", False),
              "the button without a limit: %r" % once)

        app.send("choose %d 1" % CHOICE)
        app.until("the box's text to follow the choice", settled(app, "Limit Charge to 70%", 0))
        check(tree.thresholds("BAT0") == ("100", "0"), "a choice alone changed the limit")
        app.send("click %d" % BOX)
        app.until("the limit set", settled(app, "Limit Charge to 70%", 1))
        check(tree.thresholds("BAT0") == ("70", "65"),
              "thresholds: %r" % (tree.thresholds("BAT0"),))

        # Held at the limit: the report says so.
        tree.set("BAT0", "status", "Not charging")
        app.send("advance 60000")
        report = app.report()
        check("Charge Limit: 70%, charging held\n" in report, "the report: %r" % report)

        app.send("click %d" % ONCE)
        app.until("the button disabled while charging once",
                  lambda: app.control(ONCE).get("enabled") is False and
                  app.box() == ("Limit Charge to 70%", 1, True))
        check(tree.thresholds("BAT0")[0] == "100", "charging once left %r" %
              (tree.thresholds("BAT0"),))
        tree.set("BAT0", "status", "Charging")
        app.send("advance 10000")
        check("Charge Limit: 70%, lifted to charge to 100% once\n" in app.report(),
              "the report while charging once")

        # Refused: one line, one notification, and the box back as it was.
        session.polkit([])
        app.notifications.clear()
        app.send("click %d" % BOX)
        app.until("the refusal's notice", lambda: app.notifications)
        app.until("the box back to ticked", settled(app, "Limit Charge to 70%", 1))
        notice = app.notifications[-1]
        check((notice["kind"], notice["title"]) == ("charge-limit", "Charge Limit Not Changed"),
              "the refusal's notice: %r" % notice)
        lines = [line for line in app.errors if "Charge limit" in line]
        check(lines == ["zerarazi: Charge limit not changed: the administrator's authorisation "
                        "was not given"], "standard error: %r" % app.errors)

    finally:
        app.close()


def case_upower(bundle):
    """A UPower that offers thresholds answers instead of the service: the limit is its own."""
    import dbus
    import dbusmock
    folder = tempfile.mkdtemp(prefix="zerarazi-upower-")
    daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                              stdout=subprocess.PIPE, text=True)
    address = daemon.stdout.readline().strip()
    env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=address)
    mock = subprocess.Popen([sys.executable, "-m", "dbusmock", "--template", "upower"], env=env,
                            stdout=subprocess.DEVNULL)
    connection = dbus.bus.BusConnection(address)
    app = None
    try:
        bus.wait_until("UPower", lambda: connection.name_has_owner(UPOWER[0]), 10)
        control = dbus.Interface(connection.get_object(UPOWER[0], "/org/freedesktop/UPower"),
                                 dbusmock.MOCK_IFACE)
        path = control.AddChargingBattery("BAT0", "Battery", 70.0, 1200)
        device = dbus.Interface(connection.get_object(UPOWER[0], path), dbusmock.MOCK_IFACE)
        for name, value in (("ChargeThresholdSupported", dbus.Boolean(True)),
                            ("ChargeThresholdEnabled", dbus.Boolean(False)),
                            ("ChargeStartThreshold", dbus.UInt32(75)),
                            ("ChargeEndThreshold", dbus.UInt32(85))):
            device.AddProperty(UPOWER[2], name, value)
        device.AddMethod(UPOWER[2], "EnableChargeThreshold", "b", "",
                         'self.Set("%s", "ChargeThresholdEnabled", args[0])' % UPOWER[2])
        tree = bus.Tree(os.path.join(folder, "sys"))
        tree.add_battery("BAT0")
        app = Indicator(bundle, address, os.path.join(tree.root, "class", "power_supply"))
        app.send("menu 4")
        app.until("the box at UPower's limit", lambda: app.box() == ("Limit Charge to 85%", 0,
                                                                       True))
        check(app.control(CHOICE).get("enabled") is False and app.control(CHOICE)["state"] == -1,
              "the choice with the system's limit: %r" % app.control(CHOICE))
        app.send("click %d" % BOX)
        app.until("the limit on", lambda: app.box() == ("Limit Charge to 85%", 1, True))
        calls = [call[1:3] for call in device.GetCalls()]
        check(("EnableChargeThreshold", [True]) in calls, "UPower's calls: %r" % calls)
        check(tree.thresholds("BAT0") == ("100", "0"), "the service was asked too")
    finally:
        if app:
            app.close()
        mock.terminate()
        daemon.terminate()
        mock.wait(5)
        daemon.wait(5)


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: charge_limit_indicator.py BUNDLE PROGRAM POLICY")
    bus.skip_unless_tools()
    bundle = sys.argv[1]
    session = bus.Session(sys.argv[2], sys.argv[3])
    try:
        session.tree.add_battery("BAT0")
        session.tree.add("AC", {"type": "Mains", "online": "1"})
        session.start_mock("polkitd", bus.POLKIT[0])
        case_service(session, bundle)
        case_upower(bundle)
    except Failure as failure:
        print("FAIL: %s" % failure)
        return 1
    finally:
        session.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
