#!/usr/bin/env python3
"""What requests over the session bus cost the desktop display: resident memory (VmRSS) of the
running bundle at rest, after each oversized request below and after a burst of ordinary ones,
on a private session bus and a virtual X server where this script is the panel (the desktop
tests' own watcher, from tests/desktop).

    desktop_bus_requests.py BUNDLE

Prints one line per request, one after the other in one process: its size on the bus, the reply
(ok or the D-Bus error's name), the time it took, VmRSS after it and the change from rest; then
VmHWM at the end. G_SLICE, when set here, is passed on to the indicator (GLib before 2.76 keeps
GSlice's blocks for their thread unless it is always-malloc).
"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "desktop"))
import desktop_session as desktop  # noqa: E402
from gi.repository import Gio, GLib  # noqa: E402

MENU = "com.canonical.dbusmenu"
PROPERTIES = "org.freedesktop.DBus.Properties"
SETTLE_SECONDS = 1.5
BURST = 1000


def status_field(pid, key):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith(key + ":"):
                return int(line.split()[1])
    raise KeyError(key)


def oversized_requests(menu_path, ids):
    """(what, object path, interface, method, parameters): each larger than any panel sends."""
    many_ids = [ids[i % len(ids)] for i in range(100_000)]
    hovered = [(ids[0], "hovered", GLib.Variant("i", 0), 0)] * 100_000
    return [
        ("GetLayout with 10,000 property names", menu_path, MENU, "GetLayout",
         GLib.Variant("(iias)", (0, -1, ["label"] * 10_000))),
        ("GetGroupProperties with 100,000 ids", menu_path, MENU, "GetGroupProperties",
         GLib.Variant("(aias)", (many_ids, []))),
        ("GetGroupProperties with 10,000 names", menu_path, MENU, "GetGroupProperties",
         GLib.Variant("(aias)", (ids, ["label"] * 10_000))),
        ("AboutToShowGroup with 100,000 ids", menu_path, MENU, "AboutToShowGroup",
         GLib.Variant("(ai)", (many_ids,))),
        ("EventGroup with 100,000 events", menu_path, MENU, "EventGroup",
         GLib.Variant("(a(isvu))", (hovered,))),
        ("Event carrying 4 MB of data", menu_path, MENU, "Event",
         GLib.Variant("(isvu)", (ids[0], "hovered", GLib.Variant("ay", bytes(4 << 20)), 0))),
        ("item's ContextMenu with a 4 MB array", desktop.ITEM_PATH, desktop.ITEM_INTERFACE,
         "ContextMenu", GLib.Variant("(ay)", (bytes(4 << 20),))),
        # At the bounds (bus_request_limits.h), answered in full.
        ("GetLayout with 64 property names", menu_path, MENU, "GetLayout",
         GLib.Variant("(iias)", (0, -1, ["label"] * 64))),
        ("GetGroupProperties with 1,024 ids", menu_path, MENU, "GetGroupProperties",
         GLib.Variant("(aias)", (many_ids[:1024], []))),
        ("EventGroup with 1,024 events", menu_path, MENU, "EventGroup",
         GLib.Variant("(a(isvu))", (hovered[:1024],))),
    ]


def ordinary_requests(menu_path, ids):
    """What a panel sends as the menu opens and the pointer moves over it."""
    return [
        (menu_path, MENU, "GetLayout", GLib.Variant("(iias)", (0, -1, []))),
        (menu_path, MENU, "AboutToShow", GLib.Variant("(i)", (0,))),
        (menu_path, MENU, "GetGroupProperties", GLib.Variant("(aias)", (ids, []))),
        (menu_path, MENU, "EventGroup",
         GLib.Variant("(a(isvu))", ([(0, "opened", GLib.Variant("i", 0), 0)],))),
        (menu_path, MENU, "Event", GLib.Variant("(isvu)", (ids[0], "hovered",
                                                             GLib.Variant("i", 0), 0))),
        (desktop.ITEM_PATH, PROPERTIES, "GetAll", GLib.Variant("(s)", (desktop.ITEM_INTERFACE,))),
    ]


def call(session, path, interface, method, parameters):
    """The reply: "ok" or the error's D-Bus name."""
    try:
        session.bus.call_sync(session.item_name(), path, interface, method, parameters, None,
                              Gio.DBusCallFlags.NONE, 60_000, None)
        return "ok"
    except GLib.Error as error:
        return Gio.DBusError.get_remote_error(error) or error.message


def main():
    bundle = os.path.abspath(sys.argv[1])
    server, display = desktop.start_xvfb(reset=False)
    session = desktop.Session(bundle, display)
    if os.environ.get("G_SLICE"):
        session.theme = {"G_SLICE": os.environ["G_SLICE"]}
    watcher = desktop.Watcher(session.bus)
    watcher.start()
    try:
        session.start()
        item = desktop.registered_item(session, watcher)
        menu_path = item.properties()["Menu"]
        ids = [item_id for item_id, _ in item.menu_items(menu_path)]
        pid = session.app.pid
        desktop.settle(3)
        rest = status_field(pid, "VmRSS")
        print("desktop display on the bus, VmRSS at rest: %d kB (%d menu items)" % (rest, len(ids)))
        print("%-40s %10s  %-44s %8s %10s %9s" % ("request", "bytes", "reply", "ms", "VmRSS kB",
                                                  "change"))
        for what, path, interface, method, parameters in oversized_requests(menu_path, ids):
            begin = time.monotonic()
            reply = call(session, path, interface, method, parameters)
            took = (time.monotonic() - begin) * 1000
            desktop.settle(SETTLE_SECONDS)
            check_alive(session)
            rss = status_field(pid, "VmRSS")
            print("%-40s %10d  %-44s %8.0f %10d %+9d" % (what, parameters.get_size(), reply, took,
                                                         rss, rss - rest))
        begin = time.monotonic()
        for _ in range(BURST):
            for path, interface, method, parameters in ordinary_requests(menu_path, ids):
                reply = call(session, path, interface, method, parameters)
                desktop.check(reply == "ok", "%s was answered %s" % (method, reply))
        took = (time.monotonic() - begin) * 1000
        desktop.settle(SETTLE_SECONDS)
        rss = status_field(pid, "VmRSS")
        print("%-40s %10s  %-44s %8.0f %10d %+9d" % (
            "burst: %d x %d ordinary requests" % (BURST, len(ordinary_requests(menu_path, ids))),
            "", "ok", took, rss, rss - rest))
        print("desktop display on the bus, VmHWM at the end: %d kB" % status_field(pid, "VmHWM"))
    finally:
        session.close()
        server.terminate()
        server.wait()
    return 0


def check_alive(session):
    desktop.check(session.app.poll() is None,
                  "the indicator ended (status %s): %s" % (session.app.returncode, session.errors()))


if __name__ == "__main__":
    if not os.environ.get("ZERARAZI_PRIVATE_BUS"):
        os.environ["ZERARAZI_PRIVATE_BUS"] = "1"
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable] + sys.argv)
    sys.exit(main())
