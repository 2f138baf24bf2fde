#!/usr/bin/env python3
"""Pictures of battery care on the desktop display, as a person sees them.

On a private session bus and a virtual X server with Xfce's notification daemon drawing the
notifications, the built bundle runs on a power_supply folder whose battery can be limited:
held at its 80 % limit on mains, so that "Charge Limit Reached" shows; then Preferences with the
charge limit's controls; then a press on "Charge to 100% Once" where no charge limit service is
installed; then a low battery. Each is saved as a PNG picture, and what each must show is checked.

    battery_care_pictures.py BUNDLE FOLDER

Not part of the tests CI runs: the daemon is a desktop's (xfce4-notifyd). Exits 77 when it or
another tool is not installed.
"""

import glob
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop_session as desk  # noqa: E402

from desktop_session import check, run_until, settle  # noqa: E402

NOTIFYD = glob.glob("/usr/lib/*/xfce4/notifyd/xfce4-notifyd")


def battery(session, percent, status, limit=80, mains=True):
    desk.power_supply(session, percent, status, mains=mains, limit=limit)


def picture_of_screen(path):
    desk.screenshot(path)
    print("wrote %s" % path)


def main():
    bundle, out = sys.argv[1], os.path.abspath(sys.argv[2])
    os.makedirs(out, exist_ok=True)
    server, display = desk.start_xvfb()
    os.environ["DISPLAY"] = display
    session = desk.Session(bundle, display)
    session.env["GDK_BACKEND"] = "x11"
    daemon = subprocess.Popen(NOTIFYD, env=dict(os.environ, DISPLAY=display),
                              stderr=subprocess.DEVNULL)
    try:
        run_until(lambda: desk.name_has_owner(session.bus, "org.freedesktop.Notifications"), 10,
                  "the notification daemon")
        battery(session, 80, "Not charging")
        reference = session.driver("menu 4")
        controls = {control["number"]: control for control in desk.last(reference, "window")
                    ["controls"]}
        check(controls[12]["text"] == "Limit Charge to 80%" and controls[12]["state"] == 1,
              "the driver's box: %r" % controls[12])
        item, _ = desk.show_item(session)
        settle(2)
        picture_of_screen(os.path.join(out, "notification-limit-reached.png"))

        item.choose("Preferences...")
        window = desk.visible_window("Preferences")
        settle(1)
        desk.window_picture(window).savev(os.path.join(out, "preferences-charge-limit.png"),
                                          "png", [], [])
        print("wrote preferences-charge-limit.png")

        once = controls[14]
        battery(session, 80, "Charging", limit=80)
        desk.click(once["x"] + 20, once["y"] + once["height"] // 2)
        run_until(lambda: "Charge limit not changed" in session.errors(), 10,
                  "the refusal's line")
        settle(2)
        picture_of_screen(os.path.join(out, "notification-not-changed.png"))

        battery(session, 19, "Discharging", mains=False)
        settle(12)  # the next refresh reads it
        picture_of_screen(os.path.join(out, "notification-low.png"))
        print("application's standard error:\n" + session.errors())
    finally:
        daemon.terminate()
        session.close()
        desk.end(server)
    return 0


if __name__ == "__main__":
    desk.on_private_bus(("Xvfb", "xdotool"), [] if NOTIFYD else ["xfce4-notifyd"])
    sys.exit(main())
