#!/usr/bin/env python3
"""Figures of the desktop display, on a private session bus and a virtual X server where this
script is the status-notifier watcher (the desktop tests' own, from tests/desktop):

    desktop_figures.py BUNDLE [REFRESHES]

1. time from process start to the item registering with the watcher, median of 11 runs;
2. resident memory (VmRSS, VmHWM; and the proportional and private share) after 6 refreshes and
   after REFRESHES (default 60: ten real minutes, as the refresh timer fires every 10 real
   seconds; give 12 for a two-minute run);
3. voluntary context switches from 5 s to 65 s, idle with the item shown.

Prints one line per figure.
"""

import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "desktop"))
import desktop_session as desktop  # noqa: E402
from gi.repository import GLib  # noqa: E402

REFRESH_SECONDS = 10
STARTS = 11


def status_field(pid, key, table="status"):
    """A number of /proc/<pid>/status (or smaps_rollup), without its unit."""
    with open("/proc/%d/%s" % (pid, table)) as status:
        for line in status:
            if line.startswith(key + ":"):
                return int(line.split()[1])
    raise KeyError(key)


class TimedWatcher(desktop.Watcher):
    """A watcher that notes when the last item registered."""

    def on_call(self, *arguments):
        self.registered_at = time.monotonic()
        super().on_call(*arguments)


def start(session):
    """A fresh home, the bundle started in it; answers the seconds until the item registered.
    The main context blocks until the bus's message comes, so the time is not rounded to a poll."""
    session.home = tempfile.mkdtemp(dir=session.folder)
    count = len(session.watcher.items)
    context = GLib.MainContext.default()
    begin = time.monotonic()
    session.start()
    wake = GLib.timeout_source_new_seconds(1)
    wake.set_callback(lambda *_: True)
    wake.attach(context)
    while len(session.watcher.items) == count:
        desktop.check(time.monotonic() < begin + 30, "the item did not register")
        context.iteration(True)
    wake.destroy()
    return session.watcher.registered_at - begin


def wait_until(begin, seconds):
    desktop.settle(max(0, begin + seconds - time.monotonic()))


def main():
    bundle, refreshes = os.path.abspath(sys.argv[1]), int(sys.argv[2]) if len(sys.argv) > 2 else 60
    server, display = desktop.start_xvfb()
    session = desktop.Session(bundle, display)
    session.watcher = TimedWatcher(session.bus)
    session.watcher.start()
    try:
        times = []
        for _ in range(STARTS):
            times.append(start(session) * 1000)
            session.app.terminate()
            session.wait_for_exit()
        print("desktop display, start to item registered: median %.1f ms (%d runs: %s)" % (
            statistics.median(times), STARTS, " ".join("%.1f" % t for t in times)))

        elapsed = start(session)
        begin = session.watcher.registered_at - elapsed
        pid = session.app.pid
        wait_until(begin, 5)
        switches = status_field(pid, "voluntary_ctxt_switches")
        for count in sorted({6, refreshes}):
            wait_until(begin, count * REFRESH_SECONDS + 5)
            if count == 6:
                switches = status_field(pid, "voluntary_ctxt_switches") - switches
            print("desktop display, memory after %d refreshes: VmRSS %d kB, VmHWM %d kB "
                  "(Pss %d kB, Private_Dirty %d kB)" % (
                      count, status_field(pid, "VmRSS"), status_field(pid, "VmHWM"),
                      status_field(pid, "Pss", "smaps_rollup"),
                      status_field(pid, "Private_Dirty", "smaps_rollup")))
        print("desktop display, voluntary context switches from 5 s to 65 s: %d" % switches)
    finally:
        session.close()
        server.terminate()
        server.wait()
    return 0


if __name__ == "__main__":
    if not os.environ.get("ZERARAZI_PRIVATE_BUS"):
        os.environ["ZERARAZI_PRIVATE_BUS"] = "1"
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable] + sys.argv)
    sys.exit(main())
