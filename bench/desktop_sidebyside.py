#!/usr/bin/python3
"""The desktop display beside cbatticon, both in Xfce's tray, over the same real seconds.

    desktop_sidebyside.py [--bundle PATH] [--window SECONDS] [--percent-every N] [--out FOLDER]
                          [--wrap COMMAND]

On a private session bus (dbus-run-session) and Xvfb, xfce4-panel runs with its systray plugin
alone, as the real-panel test runs it (tests/desktop/hosts/xfce.py): it hosts Zerarazi's
StatusNotifierItem and cbatticon's XEmbed icon. Both read one fake power_supply tree (plain
folders with attribute files and uevent; cbatticon sees it as /sys in a mount namespace of its
own, Zerarazi through ZERARAZI_BATTERY). At wall-clock seconds ending in 5 the writer rewrites the
battery: the voltage and power always change, the charge drops by 1 % every Nth write (3 by
default), so the other writes change nothing either program shows. Both programs start at :x1,
refresh every 10 s, and /proc is sampled at :x8, between two refreshes; each 10 s bucket holds
one refresh of each, which read the write made just before the bucket began.

Per refresh, for each program: CPU (user+sys ticks of /proc/PID/stat, and the scheduler's ns of
/proc/PID/task/*/schedstat), context switches (voluntary + involuntary, all threads), wake-ups
(the scheduler's run count, the third field of schedstat: how often a thread of the process was
put on a CPU, summed over threads), memory at the end (Rss, Private_Clean + Private_Dirty of
smaps_rollup) and D-Bus messages sent and received, from a dbus-monitor capture (the bus copies
the messages to the monitor: the programs do not see it). A message is received when it is
addressed to the program, or broadcast and matched by one of the program's match rules.

Beside them, when it is built, runs the floor: bench/status_item_floor.c, the least a GDBus status
item does (it reads the uevent, sends NewIcon when the charge changed and answers the panel with a
plain square). What it costs, no GLib status item can undercut on the same machine, so its column
says which goals any such item could meet there.

The default 60 s window is a smoke run; the figures worth quoting come from --window 600.
Writes FOLDER/table.md (the table), FOLDER/figures.json, FOLDER/bus.log and FOLDER/screen.png.
Exits 77 (skipped) when a tool it needs is missing.
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "desktop", "hosts"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "desktop"))
import desktop_session as ds  # noqa: E402

PERIOD = 10  # seconds between two refreshes, both programs
WRITE_AT, START_AT, SAMPLE_AT = 5, 1, 8  # wall-clock second within each period
WARM_UP = 17  # from the start to the first sample (:x8 of the next period but one)
TOOLS = ("xfce4-panel", "Xvfb", "cbatticon", "dbus-monitor", "unshare", "nsenter", "stdbuf")
FULL, DESIGN = 50_000_000, 57_000_000  # µWh
GOALS = {"cpu": 1 / 4, "memory": 1 / 3}


# --- the tree ----------------------------------------------------------------------------------

def battery_values(step, percent_every):
    percent = 80 - (step // percent_every) % 60
    return [("type", "TYPE", "Battery"), ("status", "STATUS", "Discharging"),
            ("present", "PRESENT", "1"), ("technology", "TECHNOLOGY", "Li-ion"),
            ("cycle_count", "CYCLE_COUNT", "123"),
            ("voltage_min_design", "VOLTAGE_MIN_DESIGN", "11400000"),
            ("voltage_now", "VOLTAGE_NOW", str(11_800_000 - (step % 5) * 10_000)),
            ("power_now", "POWER_NOW", str(9_500_000 + (step % 7) * 100_000)),
            ("energy_full_design", "ENERGY_FULL_DESIGN", str(DESIGN)),
            ("energy_full", "ENERGY_FULL", str(FULL)),
            ("energy_now", "ENERGY_NOW", str(FULL * percent // 100)),
            ("capacity", "CAPACITY", str(percent)), ("capacity_level", "CAPACITY_LEVEL", "Normal"),
            ("model_name", "MODEL_NAME", "5B10W13975"), ("manufacturer", "MANUFACTURER", "SMP"),
            ("serial_number", "SERIAL_NUMBER", "1234")]


MAINS_VALUES = [("type", "TYPE", "Mains"), ("online", "ONLINE", "0")]


class Tree:
    """sys/class/power_supply/{AC,BAT0} under `folder`, each file replaced whole by a rename."""

    def __init__(self, folder, percent_every):
        self.sys = os.path.join(folder, "sys")
        self.supplies = os.path.join(self.sys, "class", "power_supply")
        self.spare = os.path.join(folder, "writer-tmp")
        self.percent_every = percent_every
        os.makedirs(self.spare)
        self.writes = []  # (wall time, step, whether the charge shown changed)
        self.write("AC", MAINS_VALUES)
        self.write("BAT0", battery_values(0, percent_every))
        self.stop = threading.Event()

    def write(self, name, values):
        folder = os.path.join(self.supplies, name)
        os.makedirs(folder, exist_ok=True)
        texts = [(attribute, value + "\n") for attribute, _, value in values]
        texts.append(("uevent", "\n".join(["POWER_SUPPLY_NAME=" + name] + [
            "POWER_SUPPLY_%s=%s" % (key, value) for _, key, value in values]) + "\n"))
        for attribute, text in texts:
            spare = os.path.join(self.spare, attribute)
            with open(spare, "w") as file:
                file.write(text)
            os.rename(spare, os.path.join(folder, attribute))

    def run(self):
        step = 0
        while not self.stop.wait(until_wall(WRITE_AT) - time.time()):
            step += 1
            self.write("BAT0", battery_values(step, self.percent_every))
            self.writes.append((time.time(), step, step % self.percent_every == 0))

    def changed_before(self, moment):
        """Whether the last write before `moment` changed the charge; None before any write."""
        earlier = [changed for at, _, changed in self.writes if at < moment]
        return earlier[-1] if earlier else None


def until_wall(second):
    """The next wall-clock time, at least 0.2 s away, whose second within the period is `second`."""
    now = time.time()
    moment = now // PERIOD * PERIOD + second
    return moment + PERIOD if moment <= now + 0.2 else moment


def sleep_until(moment):
    time.sleep(max(0.0, moment - time.time()))


# --- /proc -------------------------------------------------------------------------------------

def sample(pid):
    """CPU ticks (utime + stime), and over live threads: scheduler ns, run count, context
    switches; and each thread's run count by its name."""
    with open("/proc/%d/stat" % pid) as text:
        fields = text.read().rsplit(")", 1)[1].split()
    found = {"ticks": int(fields[11]) + int(fields[12]), "ns": 0, "runs": 0, "switches": 0,
             "threads": {}}
    for task in os.listdir("/proc/%d/task" % pid):
        base = "/proc/%d/task/%s/" % (pid, task)
        try:
            with open(base + "schedstat") as text:
                ns, _, runs = (int(field) for field in text.read().split())
            with open(base + "comm") as text:
                name = text.read().strip()
            with open(base + "status") as text:
                switches = sum(int(line.split()[1]) for line in text
                               if line.startswith(("voluntary_ctxt", "nonvoluntary_ctxt")))
        except (FileNotFoundError, ProcessLookupError):
            continue
        found["ns"] += ns
        found["runs"] += runs
        found["switches"] += switches
        found["threads"][name] = found["threads"].get(name, 0) + runs
    return found


def memory(pid):
    """kB of smaps_rollup: Rss, Pss, and Private (clean + dirty)."""
    values = {}
    with open("/proc/%d/smaps_rollup" % pid) as text:
        for line in text:
            key, _, rest = line.partition(":")
            if rest.strip().endswith("kB"):
                values[key] = int(rest.split()[0])
    return {"rss_kb": values["Rss"], "pss_kb": values["Pss"],
            "private_kb": values["Private_Clean"] + values["Private_Dirty"]}


# --- the bus -----------------------------------------------------------------------------------

HEADER = re.compile(r"^(signal|method call|method return|error) (.*)$")
FIELD = re.compile(r"(\w+)=([^ ;]+)")


def bus_messages(path):
    """The messages of a dbus-monitor capture: dicts of the header's fields, the kind and the
    first string argument (arg0)."""
    messages = []
    with open(path, errors="replace") as text:
        for line in text:
            header = HEADER.match(line)
            if header:
                fields = dict(FIELD.findall(header.group(2)))
                fields["kind"] = header.group(1)
                fields["time"] = float(fields.get("time", 0))
                messages.append(fields)
            elif messages and "arg0" not in messages[-1] and line.startswith("   string "):
                messages[-1]["arg0"] = line.strip()[len('string "'):-1]
    return messages


def parse_rule(rule):
    return dict(re.findall(r"(\w+)='([^']*)'", rule))


def matches(rule, message, owners):
    """Whether a broadcast signal meets a match rule (the keys the capture can tell)."""
    keys = {"type": "signal" if message["kind"] == "signal" else None,
            "sender": message.get("sender"), "interface": message.get("interface"),
            "member": message.get("member"), "path": message.get("path"),
            "arg0": message.get("arg0")}
    for key, wanted in rule.items():
        if key == "sender":
            if owners.get(wanted, wanted) != keys["sender"]:
                return False
        elif key == "path_namespace":
            path = keys["path"] or ""
            if not (path == wanted or path.startswith(wanted.rstrip("/") + "/")):
                return False
        elif key in keys:
            if keys[key] != wanted:
                return False
        elif key != "eavesdrop":
            return False  # argN, arg0namespace...: the capture does not keep them
    return True


def match_rules(bus):
    """Each connection's match rules, parsed (the bus's statistics interface)."""
    reply = ds.call(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                    "org.freedesktop.DBus.Debug.Stats", "GetAllMatchRules", None, "(a{sas})")[0]
    return {name: [parse_rule(rule) for rule in rules] for name, rules in reply.items()}


def owners_of(bus, rules):
    """The owner of each well-known name a rule names as sender."""
    owners = {}
    for name in {rule["sender"] for found in rules.values() for rule in found if "sender" in rule}:
        if name.startswith(":") or name == "org.freedesktop.DBus":
            continue
        try:
            owners[name] = ds.ask_bus(bus, "GetNameOwner", ds.GLib.Variant("(s)", (name,)),
                                      "(s)")[0]
        except ds.GLib.Error:
            pass
    return owners


def traffic(messages, unique, rules, owners):
    """The program's messages: (time, 'sent'/'received', message) each."""
    found = []
    for message in messages:
        if message.get("sender") == unique:
            found.append((message["time"], "sent", message))
        elif message.get("destination") == unique:
            found.append((message["time"], "received", message))
        elif message["kind"] == "signal" and message.get("destination") in (None, "(null"):
            if any(matches(rule, message, owners) for rule in rules):
                found.append((message["time"], "received", message))
    return found


# --- the programs ------------------------------------------------------------------------------

class Program:
    def __init__(self, name, process):
        self.name, self.process, self.pid = name, process, process.pid
        self.unique = None
        self.samples = []  # (wall time, sample) at each bucket's edge
        self.memory = None

    def alive(self):
        return self.process.poll() is None


def start_namespace(tree):
    """A process whose mount namespace shows the tree as /sys, for cbatticon, which reads
    /sys/class/power_supply and nothing else."""
    holder = subprocess.Popen(["unshare", "-m", "sh", "-c", "mount --make-rprivate / && mount "
                               "--bind '%s' /sys && exec sleep 1000000" % tree.sys])
    ds.run_until(lambda: os.path.exists("/proc/%d/root/sys/class/power_supply/BAT0" % holder.pid)
                 and tree.sys in open("/proc/%d/mountinfo" % holder.pid).read(), 10,
                 "the mount namespace")
    return holder


def start_programs(host, tree, holder, bundle, folder, wrap, floor):
    env = host.environment()
    zerarazi_home = os.path.join(folder, "zerarazi-home")
    os.makedirs(zerarazi_home)
    zerarazi = subprocess.Popen(
        wrap + [os.path.join(bundle, "Contents", "MacOS", "Zerarazi")],
        env=dict(env, HOME=zerarazi_home, XDG_CONFIG_HOME=os.path.join(zerarazi_home, ".config"),
                 ZERARAZI_DISPLAY="desktop", ZERARAZI_BATTERY=tree.supplies, GTK_A11Y="none"),
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
        stderr=open(os.path.join(folder, "zerarazi.stderr"), "w"))
    cbatticon = subprocess.Popen(
        ["nsenter", "-t", str(holder.pid), "-m", "cbatticon", "-u", str(PERIOD), "-n"], env=env,
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
        stderr=open(os.path.join(folder, "cbatticon.stderr"), "w"))
    programs = [Program("Zerarazi", zerarazi), Program("cbatticon", cbatticon)]
    if floor:
        programs.append(Program("floor", subprocess.Popen(
            [floor, os.path.join(tree.supplies, "BAT0", "uevent")], env=env,
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(folder, "floor.stderr"), "w"))))
    return programs


# --- the figures -------------------------------------------------------------------------------

def bucket_figures(program, tree, bus_traffic):
    """One entry per 10 s bucket: what changed before it, and the differences in it."""
    buckets = []
    for (start, first), (end, last) in zip(program.samples, program.samples[1:]):
        sent = [m for at, way, m in bus_traffic if way == "sent" and start <= at < end]
        received = [m for at, way, m in bus_traffic if way == "received" and start <= at < end]
        buckets.append({
            "start": start, "changed": tree.changed_before(start),
            "ticks": last["ticks"] - first["ticks"], "ns": last["ns"] - first["ns"],
            "runs": last["runs"] - first["runs"], "switches": last["switches"] - first["switches"],
            "sent": len(sent), "received": len(received),
            "signals": [m.get("member") for m in sent if m["kind"] == "signal"],
            "threads": {name: runs - first["threads"].get(name, 0)
                        for name, runs in last["threads"].items()}})
    return buckets


def per_refresh(buckets):
    if not buckets:
        return None
    count = len(buckets)
    signals = {}
    for bucket in buckets:
        for member in bucket["signals"]:
            signals[member] = signals.get(member, 0) + 1
    threads = {}
    for bucket in buckets:
        for name, runs in bucket["threads"].items():
            threads[name] = threads.get(name, 0) + runs
    return {"refreshes": count,
            "cpu_ms_ticks": sum(b["ticks"] for b in buckets) * 10.0 / count,
            "cpu_ms": sum(b["ns"] for b in buckets) / 1e6 / count,
            "switches": sum(b["switches"] for b in buckets) / count,
            "wakeups": sum(b["runs"] for b in buckets) / count,
            "sent": sum(b["sent"] for b in buckets) / count,
            "received": sum(b["received"] for b in buckets) / count,
            "most_sent": max(b["sent"] for b in buckets),
            "signals": {m: n / count for m, n in sorted(signals.items())},
            "thread_wakeups": {n: r / count for n, r in sorted(threads.items()) if r}}


def figures_of(program, tree, bus_traffic):
    buckets = bucket_figures(program, tree, bus_traffic)
    return {"unique_name": program.unique, "alive": program.alive(), "memory": program.memory,
            "all": per_refresh(buckets),
            "changed": per_refresh([b for b in buckets if b["changed"]]),
            "unchanged": per_refresh([b for b in buckets if b["changed"] is False]),
            "buckets": buckets}


def ratio(ours, theirs):
    return "%.3f" % (ours / theirs) if theirs else "n/a"


def table(results, window, percent_every):
    ours, theirs, floor = results["Zerarazi"], results["cbatticon"], results.get("floor")
    rows = [("CPU per refresh, ms (user+sys ticks, /proc/PID/stat)", "all", "cpu_ms_ticks", "%.2f"),
            ("CPU per refresh, ms (scheduler, schedstat)", "all", "cpu_ms", "%.3f"),
            ("  in refreshes whose title changed", "changed", "cpu_ms", "%.3f"),
            ("  in refreshes where nothing shown changed", "unchanged", "cpu_ms", "%.3f"),
            ("context switches per refresh (vol.+invol., all threads)", "all", "switches", "%.2f"),
            ("wake-ups per refresh (schedstat run count, all threads)", "all", "wakeups", "%.2f"),
            ("  in refreshes whose title changed", "changed", "wakeups", "%.2f"),
            ("  in refreshes where nothing shown changed", "unchanged", "wakeups", "%.2f"),
            ("D-Bus messages sent per refresh", "all", "sent", "%.2f"),
            ("D-Bus messages received per refresh", "all", "received", "%.2f"),
            ("  sent, refreshes whose title changed", "changed", "sent", "%.2f"),
            ("  received, refreshes whose title changed", "changed", "received", "%.2f"),
            ("  sent, refreshes where nothing shown changed", "unchanged", "sent", "%.2f"),
            ("  received, refreshes where nothing shown changed", "unchanged", "received", "%.2f"),
            ("  most sent in one refresh where nothing shown changed", "unchanged", "most_sent",
             "%d")]
    head = "| per refresh | Zerarazi | cbatticon | Zerarazi / cbatticon |"
    if floor:
        head += " floor | floor / cbatticon |"
    lines = ["# Desktop display beside cbatticon, in xfce4-panel's tray", "",
             "%s; window %d s (%d refreshes each: %s with the title changed, %s with nothing "
             "shown changed); the charge drops 1 %% every %d writes of the tree." % (
                 time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()), window,
                 ours["all"]["refreshes"], ours["changed"] and ours["changed"]["refreshes"],
                 ours["unchanged"] and ours["unchanged"]["refreshes"], percent_every), "",
             head, "|---" * head.count(" | ") + "|---|"]
    for label, part, key, form in rows:
        cells = [(figures[part] or {}).get(key) for figures in (ours, theirs, floor or ours)]
        lines.append(row(label, cells, form, floor is not None))
    for label, key in (("resident memory (Rss), MB", "rss_kb"), ("private memory "
                       "(Private_Clean+Private_Dirty), MB", "private_kb"),
                       ("proportional memory (Pss), MB", "pss_kb")):
        cells = [figures["memory"][key] / 1024 for figures in (ours, theirs, floor or ours)]
        lines.append(row(label, cells, "%.1f", floor is not None))
    lines += ["", "Signals Zerarazi sent per refresh: title changed %s; nothing shown changed %s." %
              ((ours["changed"] or {}).get("signals"), (ours["unchanged"] or {}).get("signals")),
              "Wake-ups per refresh by thread: Zerarazi %s; cbatticon %s." % (
                  ours["all"]["thread_wakeups"], theirs["all"]["thread_wakeups"]),
              "Bus names: Zerarazi %s, cbatticon %s; both alive at the end: %s." % (
                  ours["unique_name"], theirs["unique_name"], ours["alive"] and theirs["alive"]),
              "", "Goals for Zerarazi: " + goals(ours, theirs)]
    if floor:
        lines += ["", "The floor (bench/status_item_floor.c: a GDBus status item that reads the "
                  "uevent, sends NewIcon when the charge changed and answers with a plain "
                  "square) against the same goals: " + goals(floor, theirs)]
    return "\n".join(lines) + "\n"


def row(label, cells, form, with_floor):
    """A table row: Zerarazi, cbatticon, their ratio, and the floor with its ratio."""
    shown = [form % cell if cell is not None else "-" for cell in cells]
    line = "| %s | %s | %s | %s |" % (label, shown[0], shown[1], ratio(cells[0], cells[1]) if
                                      None not in cells[:2] else "n/a")
    if with_floor:
        line += " %s | %s |" % (shown[2], ratio(cells[2], cells[1]) if None not in cells[1:]
                                else "n/a")
    return line


def goals(ours, theirs):
    return ("CPU at most 1/4 of cbatticon's: %s; memory (Rss) at most 1/3: %s; private memory at "
            "most 1/3: %s; one wake-up per refresh: %s; no D-Bus message in a refresh where "
            "nothing shown changed: %s." % (
                met(ours["all"]["cpu_ms"] <= GOALS["cpu"] * theirs["all"]["cpu_ms"]),
                met(ours["memory"]["rss_kb"] <= GOALS["memory"] * theirs["memory"]["rss_kb"]),
                met(ours["memory"]["private_kb"] <= GOALS["memory"] *
                    theirs["memory"]["private_kb"]),
                met(ours["all"]["wakeups"] <= 1.0),
                met(ours["unchanged"] is not None and ours["unchanged"]["most_sent"] == 0 and
                    ours["unchanged"]["received"] == 0)))


def met(condition):
    return "met" if condition else "NOT met"


# --- the run -----------------------------------------------------------------------------------

def run(args, folder):
    import xfce

    tree = Tree(folder, args.percent_every)
    holder = start_namespace(tree)
    host = xfce.XfceHost("light", folder)
    monitor = programs = None
    writer = threading.Thread(target=tree.run, daemon=True)
    try:
        host.start_screen()
        host.start_panel()
        bus_log = os.path.join(folder, "bus.log")
        monitor = subprocess.Popen(["stdbuf", "-oL", "dbus-monitor", "--session"],
                                   stdout=open(bus_log, "w"), stderr=subprocess.DEVNULL)
        writer.start()
        sleep_until(until_wall(START_AT))
        started = time.time()
        floor = args.floor if os.path.exists(args.floor) else None
        programs = start_programs(host, tree, holder, args.bundle, folder, args.wrap.split(),
                                  floor)
        ds.run_until(lambda: all(p.alive() for p in programs) and all(
            ds.connection_of_process(host.bus, p.pid) for p in programs if p.name != "cbatticon"),
            30,
            "the programs on the bus")
        moment = started + WARM_UP
        while moment <= started + WARM_UP + args.window + 0.5:
            sleep_until(moment)
            for program in programs:
                if not program.alive():
                    raise ds.Failure("%s ended early" % program.name)
                program.samples.append((time.time(), sample(program.pid)))
                program.unique = program.unique or ds.connection_of_process(host.bus, program.pid)
            moment += PERIOD
        for program in programs:
            program.memory = memory(program.pid)
        ds.screenshot(os.path.join(folder, "screen.png"))  # both icons in the bar, once measured
        rules = match_rules(host.bus)
        owners = owners_of(host.bus, rules)
        time.sleep(1)  # the monitor's last lines
        messages = bus_messages(bus_log)
        results = {}
        for program in programs:
            mine = traffic(messages, program.unique, rules.get(program.unique, []), owners) \
                if program.unique else []
            results[program.name] = figures_of(program, tree, mine)
        return results
    finally:
        tree.stop.set()
        for program in programs or []:
            ds.end(program.process)
        ds.end(monitor)
        ds.end(host.panel)
        host.stop_screen()
        ds.end(holder)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--bundle", default="build/release/Zerarazi.app")
    parser.add_argument("--window", type=int, default=60,
                        help="seconds measured, a multiple of 10 (default 60, a smoke run)")
    parser.add_argument("--percent-every", type=int, default=3,
                        help="the charge drops by 1%% every N writes (default 3)")
    parser.add_argument("--out", default="build/desktop-sidebyside")
    parser.add_argument("--floor", default="build/release/bench/status_item_floor",
                        help="the least GLib status item (bench/status_item_floor.c), run beside "
                        "the two when it is built")
    parser.add_argument("--wrap", default="", help="a command Zerarazi is run under, for a "
                        "profile (e.g. \"valgrind --tool=callgrind\"); its figures are then the "
                        "wrapper's")
    args = parser.parse_args()
    args.bundle, args.out = os.path.abspath(args.bundle), os.path.abspath(args.out)
    args.floor = os.path.abspath(args.floor)
    if not os.path.exists(os.path.join(args.bundle, "Contents", "MacOS", "Zerarazi")):
        print("no bundle at %s (cmake --build build/release --target zerarazi)" % args.bundle)
        return 2
    ds.on_private_bus(TOOLS)
    folder = tempfile.mkdtemp(prefix="zerarazi-sidebyside-")
    os.chmod(folder, 0o755)
    os.makedirs(args.out, exist_ok=True)
    try:
        results = run(args, folder)
    finally:
        for name in ("bus.log", "zerarazi.stderr", "cbatticon.stderr", "floor.stderr",
                     "screen.png"):
            if os.path.exists(os.path.join(folder, name)):
                shutil.copy(os.path.join(folder, name), args.out)
        shutil.rmtree(folder, ignore_errors=True)
    text = table(results, args.window, args.percent_every)
    with open(os.path.join(args.out, "figures.json"), "w") as out:
        json.dump(results, out, indent=1)
    with open(os.path.join(args.out, "table.md"), "w") as out:
        out.write(text)
    sys.stdout.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
