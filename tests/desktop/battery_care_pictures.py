#!/usr/bin/env python3
"""Pictures of battery care on the desktop display, with xfce4-notifyd drawing notifications: the
battery held at its 80 % limit ("Charge Limit Reached"), Preferences with the limit's controls, a
press on "Charge to 100% Once" without the charge limit's service, and a low battery.

    battery_care_pictures.py BUNDLE FOLDER    (not run by CI; exits 77 without a tool it needs)
"""

import glob
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop_session as desk  # noqa: E402

NOTIFYD = glob.glob("/usr/lib/*/xfce4/notifyd/xfce4-notifyd")


def main():
    bundle, out = sys.argv[1], os.path.abspath(sys.argv[2])
    os.makedirs(out, exist_ok=True)
    server, display = desk.start_xvfb()
    os.environ["DISPLAY"] = display
    session = desk.Session(bundle, display, {"GDK_BACKEND": "x11"})
    daemon = subprocess.Popen(NOTIFYD, stderr=subprocess.DEVNULL)

    def picture(name, seconds, window=None):
        desk.settle(seconds)
        path = os.path.join(out, name + ".png")
        if window:
            desk.window_picture(window).savev(path, "png", [], [])
        else:
            desk.screenshot(path)
        print("wrote %s" % path)

    try:
        desk.run_until(lambda: desk.name_has_owner(session.bus, "org.freedesktop.Notifications"),
                       10, "the notification daemon")
        desk.power_supply(session, 80, "Not charging", mains=True, limit=80)
        controls = {control["number"]: control
                    for control in desk.last(session.driver("menu 4"), "window")["controls"]}
        desk.check(controls[12]["text"] == "Limit Charge to 80%" and controls[12]["state"] == 1,
                   "the driver's box: %r" % controls[12])
        item, _ = desk.show_item(session)
        picture("notification-limit-reached", 2)
        item.choose("Preferences...")
        picture("preferences-charge-limit", 1, desk.visible_window("Preferences"))
        desk.power_supply(session, 80, "Charging", mains=True, limit=80)
        desk.click(controls[14]["x"] + 20, controls[14]["y"] + controls[14]["height"] // 2)
        desk.run_until(lambda: "Charge limit not changed" in session.errors(), 10,
                       "the refusal's line")
        picture("notification-not-changed", 2)
        desk.power_supply(session, 19, "Discharging", limit=80)
        picture("notification-low", 12)  # after the next refresh
        print("application's standard error:\n" + session.errors())
    finally:
        daemon.terminate()
        session.close()
        desk.end(server)
    return 0


if __name__ == "__main__":
    desk.on_private_bus(("Xvfb", "xdotool"), [] if NOTIFYD else ["xfce4-notifyd"])
    sys.exit(main())
