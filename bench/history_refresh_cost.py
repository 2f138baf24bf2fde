#!/usr/bin/env python3
"""What the battery history adds to a refresh: user-space instructions per refresh of the real
indicator with its history file (on) and without one (off: XDG_DATA_HOME is a regular file, so
the file cannot be had and the indicator runs on without it), counted exactly by valgrind
(cachegrind, no cache simulation).

    history_refresh_cost.py [BUILD_DIR] [--short N] [--long N] [--callgrind]

The bundle runs in driver mode; each run's instructions are counted for --short (default 60) and
--long (default 420) refreshes of virtual time, and (long - short) / (long - short refreshes) is
the cost of one refresh, start-up and exit cancelled out. Between refresh 60 and 420 lies one
hour of virtual time, in which the history is written six times (every ten minutes): the writes
are in the figure, spread over the refreshes.

Two batteries:
  changing   a folder laid out like /sys/class/power_supply (BAT0 and AC uevent files): before
             each refresh the script writes a new BAT0 (charge down 1 % a refresh from 80 to 21,
             power and voltage wobbling), so every refresh reads new values, as on a discharging
             laptop; it waits for the status line each refresh makes before the next.
  recording  the recorded sample battery, unchanged.

--callgrind also runs the long runs under callgrind and prints, for the refresh and the history's
parts of it, the calls and the inclusive instructions a call: where the history's cost lies.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

REFRESH_MS = 10000
FULL, DESIGN = 50_000_000, 57_000_000  # uWh
CACHEGRIND = ["valgrind", "--tool=cachegrind", "--cache-sim=no", "--cachegrind-out-file=/dev/null"]
I_REFS = re.compile(r"I\s+refs:\s+([\d,]+)")
FUNCTIONS = ["app::RefreshStatus", "app::RecordBatteryReading",
             "app::(anonymous namespace)::now_seconds", "HistoryRecorder::add",
             "HistoryStore::write"]


def bat0_uevent(step):
    percent = 80 - (step % 60)
    power = 9_500_000 + (step % 7) * 100_000
    values = [("NAME", "BAT0"), ("TYPE", "Battery"), ("STATUS", "Discharging"), ("PRESENT", "1"),
              ("TECHNOLOGY", "Li-ion"), ("CYCLE_COUNT", "123"),
              ("VOLTAGE_MIN_DESIGN", "11400000"),
              ("VOLTAGE_NOW", str(11_800_000 - (step % 5) * 10_000)), ("POWER_NOW", str(power)),
              ("ENERGY_FULL_DESIGN", str(DESIGN)), ("ENERGY_FULL", str(FULL)),
              ("ENERGY_NOW", str(FULL * percent // 100)), ("CAPACITY", str(percent)),
              ("CAPACITY_LEVEL", "Normal"), ("MODEL_NAME", "5B10W13975"),
              ("MANUFACTURER", "SMP"), ("SERIAL_NUMBER", "1234")]
    return "".join("POWER_SUPPLY_%s=%s\n" % value for value in values)


def write_atomically(path, text):
    temporary = path + ".new"
    with open(temporary, "w") as file:
        file.write(text)
    os.replace(temporary, path)


def make_tree(folder):
    for name, text in (("AC", "POWER_SUPPLY_NAME=AC\nPOWER_SUPPLY_TYPE=Mains\n"
                               "POWER_SUPPLY_ONLINE=0\n"), ("BAT0", bat0_uevent(0))):
        os.makedirs(os.path.join(folder, name))
        write_atomically(os.path.join(folder, name, "uevent"), text)


def run(exe, work, battery, history, refreshes, tool):
    """Runs the indicator for `refreshes` refreshes; returns valgrind's log."""
    run_folder = tempfile.mkdtemp(dir=work)
    home = os.path.join(run_folder, "home")
    os.makedirs(home)
    data = os.path.join(run_folder, "data")
    if history:
        os.makedirs(data)
    else:
        open(data, "w").close()
    if battery == "changing":
        source = os.path.join(run_folder, "power_supply")
        make_tree(source)
    else:
        source = os.path.join(run_folder, "battery.plist")
        shutil.copyfile(os.path.join(os.path.dirname(os.path.dirname(exe)), "Resources",
                                     "sample-battery.plist"), source)
    log = os.path.join(run_folder, "valgrind.log")
    env = {"HOME": home, "XDG_DATA_HOME": data, "XDG_CONFIG_HOME": home, "LANG": "C.UTF-8",
           "PATH": os.environ.get("PATH", "/usr/bin:/bin"), "ZERARAZI_DISPLAY": "driver",
           "ZERARAZI_BATTERY": source}
    process = subprocess.Popen(tool + ["--log-file=" + log, exe], stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, text=True,
                               bufsize=1)
    if battery == "changing":
        # Each refresh changes the charge, so each writes one status line: wait for it before
        # the next file is written.
        wait_for_status(process)
        for step in range(1, refreshes + 1):
            write_atomically(os.path.join(source, "BAT0", "uevent"), bat0_uevent(step))
            process.stdin.write("advance %d\n" % REFRESH_MS)
            process.stdin.flush()
            wait_for_status(process)
    else:
        process.stdin.write("advance %d\n" % (refreshes * REFRESH_MS))
    _, errors = process.communicate(timeout=3600)
    if process.returncode != 0:
        sys.exit("the indicator ended with %d:\n%s" % (process.returncode, errors))
    said = [line for line in errors.splitlines() if line]
    with open(log) as file:
        return file.read(), said


def wait_for_status(process):
    for line in process.stdout:
        if line.startswith('{"event":"status"'):
            return
    sys.exit("the indicator ended before its status line")


def instructions(text):
    return int(I_REFS.search(text).group(1).replace(",", ""))


def calls_and_costs(exe, work, battery, history, refreshes, functions):
    """Runs under callgrind; for each function named, its calls and inclusive instructions."""
    out = os.path.join(work, "callgrind.%s.%s.out" % (battery, "on" if history else "off"))
    run(exe, work, battery, history, refreshes,
        ["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out])
    annotated = subprocess.run(["callgrind_annotate", "--tree=caller", "--inclusive=yes", "--threshold=100",
                                "--auto=no", out],
                               capture_output=True, text=True, check=True).stdout
    found = {}
    # Blocks of "< caller (Nx)" lines, then "* function" with its inclusive count.
    for block in annotated.split("\n\n"):
        lines = block.strip().splitlines()
        for index, line in enumerate(lines):
            name = next((f for f in functions if re.search(r"\*\s+\S*:%s\(" % re.escape(f),
                                                              line)), None)
            # The first is the whole function; later ones are its inlined parts, by file.
            if not name or name in found:
                continue
            calls = sum(int(n.replace(",", "")) for caller in lines[:index] if "<" in caller
                        for n in re.findall(r"\(([\d,]+)x\)", caller))
            found[name] = (calls, int(line.split()[0].replace(",", "")))
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("build", nargs="?", default="build/release")
    parser.add_argument("--short", type=int, default=60)
    parser.add_argument("--long", type=int, default=420)
    parser.add_argument("--callgrind", action="store_true")
    args = parser.parse_args()
    exe = os.path.abspath(os.path.join(args.build, "Zerarazi.app", "Contents", "MacOS",
                                       "Zerarazi"))
    if not os.access(exe, os.X_OK):
        sys.exit("no executable at " + exe)
    if not shutil.which("valgrind"):
        sys.exit("valgrind is needed (apt-get install valgrind)")
    work = tempfile.mkdtemp(prefix="zerarazi-history-cost-")
    try:
        refreshes = args.long - args.short
        for battery in ("changing", "recording"):
            cost = {}
            for history in (True, False):
                counts = []
                for n in (args.short, args.long):
                    log, said = run(exe, work, battery, history, n, CACHEGRIND)
                    counts.append(instructions(log))
                cost[history] = (counts[1] - counts[0]) / refreshes
                print("%-9s history %-3s: %d and %d instructions for %d and %d refreshes: %.0f a "
                      "refresh%s" % (battery, "on" if history else "off", counts[0], counts[1],
                                     args.short, args.long, cost[history],
                                     "; said: " + said[0] if said else ""), flush=True)
            print("%-9s on over off: %+.2f %%" % (battery, 100 * (cost[True] / cost[False] - 1)),
                  flush=True)
            if args.callgrind:
                for history in (True, False):
                    found = calls_and_costs(exe, work, battery, history, args.long, FUNCTIONS)
                    if not history and "app::RecordBatteryReading" in found:
                        calls, recording = found["app::RecordBatteryReading"]
                        without = cost[False] - recording / max(calls, 1)
                        print("%-9s on over off less what its recorder without a file costs (%.0f "
                              "a refresh): %+.2f %%" % (battery, recording / max(calls, 1),
                                                        100 * (cost[True] / without - 1)),
                              flush=True)
                    print("%-9s history %-3s, %d refreshes under callgrind, inclusive a call:" % (
                        battery, "on" if history else "off", args.long), flush=True)
                    for name in FUNCTIONS:
                        if name in found:
                            calls, spent = found[name]
                            print("    %-45s %6d calls, %9.0f a call" % (
                                name, calls, spent / max(calls, 1)), flush=True)
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
