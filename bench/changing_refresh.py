#!/usr/bin/env python3
"""What one refresh of the terminal display costs when the battery's readings change at every
refresh, as a discharging laptop's do: user-space instructions, heap allocations, or a profile of
where the instructions go, all counted exactly by valgrind in real time.

    changing_refresh.py [BUILD_DIR] [--instructions] [--allocations] [--profile [N]]

The indicator runs on its terminal display in a private tmux pane (120 x 30) on a folder laid out
like /sys/class/power_supply: AC offline and BAT0 discharging, attribute files and uevent. A writer
in this script changes BAT0 at wall-clock seconds ending in 5 (charge down 1 %, power and voltage
wobbling), rewriting each file atomically; the indicator is started at seconds ending in 1, so
every refresh after its first reads new values.

  --instructions  cachegrind, a 16 s run and a 56 s run: (Ir difference) / 4 refreshes.
  --allocations   memcheck, the same two runs: heap allocations and bytes a refresh.
  --profile N     callgrind over one 56 s run, counters dumped at 16 s and at 56 s, so the second
                  dump holds just the four refreshes in between; prints the N (default 40)
                  functions of most inclusive cost a refresh and keeps the file (callgrind_annotate).
With no option, --instructions and --allocations.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

FULL, DESIGN = 50_000_000, 57_000_000  # uWh
TMUX = ["tmux", "-L", "zerarazi-changing-refresh"]
SHORT, LONG = 16, 56
REFRESHES = (LONG - SHORT) // 10


def bat0_values(step):
    percent = 80 - (step % 60)
    return [("type", "Battery"), ("status", "Discharging"), ("present", "1"),
            ("technology", "Li-ion"), ("cycle_count", "123"), ("voltage_min_design", "11400000"),
            ("voltage_now", str(11_800_000 - (step % 5) * 10_000)),
            ("power_now", str(9_500_000 + (step % 7) * 100_000)),
            ("energy_full_design", str(DESIGN)), ("energy_full", str(FULL)),
            ("energy_now", str(FULL * percent // 100)), ("capacity", str(percent)),
            ("capacity_level", "Normal"), ("model_name", "5B10W13975"), ("manufacturer", "SMP"),
            ("serial_number", "1234")]


AC_VALUES = [("type", "Mains"), ("online", "0")]


def write_atomically(folder, name, text):
    temporary = os.path.join(os.path.dirname(folder), "." + name + ".new")
    with open(temporary, "w") as file:
        file.write(text)
    os.replace(temporary, os.path.join(folder, name))


def write_supply(folder, name, values):
    os.makedirs(folder, exist_ok=True)
    for attribute, value in values:
        write_atomically(folder, attribute, value + "\n")
    lines = ["POWER_SUPPLY_NAME=" + name]
    lines += ["POWER_SUPPLY_%s=%s" % (attribute.upper(), value) for attribute, value in values]
    write_atomically(folder, "uevent", "\n".join(lines) + "\n")


class Writer(threading.Thread):
    """Changes BAT0 at every wall-clock second ending in 5 until stopped."""

    def __init__(self, tree):
        super().__init__(daemon=True)
        self.tree, self.stopped, self.step = tree, threading.Event(), 0

    def run(self):
        while True:
            now = time.time()
            due = (now // 10) * 10 + 5
            if due <= now:
                due += 10
            if self.stopped.wait(due - now):
                return
            self.step += 1
            write_supply(os.path.join(self.tree, "BAT0"), "BAT0", bat0_values(self.step))


def wait_until_wall(second):
    now = time.time()
    due = (now // 10) * 10 + second
    if due <= now + 0.2:
        due += 10
    time.sleep(due - now)


def pane_pid():
    return int(subprocess.run(TMUX + ["display-message", "-p", "-t", "zr", "#{pane_pid}"],
                              capture_output=True, text=True, check=True).stdout)


def run(exe, work, tree, tool, seconds, at=None):
    """Runs the terminal display under `tool` for `seconds`; `at` maps seconds after the start to
    a function of the pid. Returns valgrind's log."""
    home = tempfile.mkdtemp(dir=work)
    log = os.path.join(home, "valgrind.log")
    env = {"HOME": home, "XDG_CONFIG_HOME": home + "/.config", "PATH": "/usr/bin:/bin",
           "LANG": "C.UTF-8", "TERM": "xterm-256color", "ZERARAZI_DISPLAY": "terminal",
           "ZERARAZI_BATTERY": tree}
    command = "exec env -i %s %s %s" % (" ".join("%s='%s'" % item for item in env.items()),
                                        " ".join(tool + ["--log-file=" + log]), exe)
    subprocess.run(TMUX + ["kill-server"], stderr=subprocess.DEVNULL)
    wait_until_wall(1)
    start = time.time()
    subprocess.run(TMUX + ["new-session", "-d", "-s", "zr", "-x", "120", "-y", "30", command],
                   check=True)
    pid = pane_pid()
    for when, action in sorted((at or {}).items()):
        time.sleep(max(0.0, start + when - time.time()))
        action(pid)
    time.sleep(max(0.0, start + seconds - time.time()))
    os.kill(pid, 15)
    end = time.time() + 60
    while os.path.exists("/proc/%d" % pid) and time.time() < end:
        time.sleep(0.05)
    subprocess.run(TMUX + ["kill-server"], stderr=subprocess.DEVNULL)
    with open(log) as file:
        return file.read()


def figure(pattern, text, group=1):
    return int(re.search(pattern, text).group(group).replace(",", ""))


def instructions(exe, work, tree):
    tool = ["valgrind", "--tool=cachegrind", "--cache-sim=no", "--cachegrind-out-file=/dev/null"]
    counts = [figure(r"I\s+refs:\s+([\d,]+)", run(exe, work, tree, tool, s)) for s in (SHORT, LONG)]
    print("instructions: %d in %d s, %d in %d s: %.0f a changing refresh" % (
        counts[0], SHORT, counts[1], LONG, (counts[1] - counts[0]) / REFRESHES), flush=True)


def allocations(exe, work, tree):
    tool = ["valgrind", "--tool=memcheck", "--leak-check=no"]
    usage = r"total heap usage: ([\d,]+) allocs, ([\d,]+) frees, ([\d,]+) bytes allocated"
    logs = [run(exe, work, tree, tool, s) for s in (SHORT, LONG)]
    allocs = [figure(usage, log) for log in logs]
    sizes = [figure(usage, log, 3) for log in logs]
    print("allocations: %d in %d s, %d in %d s: %.1f a changing refresh, %.0f bytes" % (
        allocs[0], SHORT, allocs[1], LONG, (allocs[1] - allocs[0]) / REFRESHES,
        (sizes[1] - sizes[0]) / REFRESHES), flush=True)


def profile(exe, work, tree, count):
    out = os.path.join(work, "callgrind.out")
    tool = ["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out]

    def dump(pid):
        subprocess.run(["callgrind_control", "-d", str(pid)], stdout=subprocess.DEVNULL,
                       check=True)

    run(exe, work, tree, tool, LONG + 2, {SHORT: dump, LONG: dump})
    kept = os.path.join(os.getcwd(), "changing-refresh.callgrind")
    shutil.copyfile(out + ".2", kept)
    annotated = subprocess.run(["callgrind_annotate", "--inclusive=yes", "--threshold=100", kept],
                               capture_output=True, text=True, check=True).stdout
    total = figure(r"([\d,]+) \(100.0%\)\s+PROGRAM TOTALS", annotated)
    print("%.0f instructions a changing refresh (%d refreshes); inclusive a refresh:" % (
        total / REFRESHES, REFRESHES))
    rows = [line for line in annotated.splitlines() if re.match(r"\s*[\d,]+ \(\s*[\d.]+%\)\s+\S", line)]
    for line in rows[1:count + 1]:
        cost, name = re.match(r"\s*([\d,]+) \(\s*[\d.]+%\)\s+(.*)", line).groups()
        print("%9.0f  %s" % (int(cost.replace(",", "")) / REFRESHES, name[:150]))
    print("profile kept in", kept)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("build", nargs="?", default="build/release")
    parser.add_argument("--instructions", action="store_true")
    parser.add_argument("--allocations", action="store_true")
    parser.add_argument("--profile", nargs="?", type=int, const=40)
    args = parser.parse_args()
    exe = os.path.abspath(os.path.join(args.build, "Zerarazi.app", "Contents", "MacOS",
                                       "Zerarazi"))
    if not os.access(exe, os.X_OK):
        sys.exit("no executable at " + exe)
    for program in ("valgrind", "tmux"):
        if not shutil.which(program):
            sys.exit(program + " is needed")
    everything = not (args.instructions or args.allocations or args.profile)
    work = tempfile.mkdtemp(prefix="zerarazi-changing-refresh-")
    tree = os.path.join(work, "power_supply")
    write_supply(os.path.join(tree, "AC"), "AC", AC_VALUES)
    write_supply(os.path.join(tree, "BAT0"), "BAT0", bat0_values(0))
    writer = Writer(tree)
    writer.start()
    try:
        if args.instructions or everything:
            instructions(exe, work, tree)
        if args.allocations or everything:
            allocations(exe, work, tree)
        if args.profile:
            profile(exe, work, tree, args.profile)
    finally:
        writer.stopped.set()
        subprocess.run(TMUX + ["kill-server"], stderr=subprocess.DEVNULL)
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
