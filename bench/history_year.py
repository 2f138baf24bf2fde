#!/usr/bin/env python3
"""A year and more of battery history, lived by the real indicator in the driver's virtual time:
how large the history file grows and how often it is written.

    history_year.py [BUILD_DIR] [--days N] [--asleep-from DAY] [--keep FOLDER]

BUILD_DIR defaults to build/release. The bundle's executable runs with ZERARAZI_DISPLAY=driver,
ZERARAZI_BATTERY set to a copy of the recorded sample battery and XDG_DATA_HOME set to a fresh
folder, under strace (only its fcntl, pwrite64 and fdatasync calls are stopped for, through
seccomp). Its refresh timer fires every ten seconds of virtual time throughout: nothing is skipped.

Each simulated day, counted from the program's start:
  00:00-08:00  discharging from 100 % to 20 % (-1500 mA), on battery
  08:00-09:30  charging from 20 % to 100 % (+3000 mA), on mains
  09:30-24:00  full, on mains (FullyCharged, 0 mA)
The full capacity (AppleRawMaxCapacity) falls by 1 mAh a day from 5000 against a design of 5500
and the cycle count rises by one a day; the charge left (AppleRawCurrentCapacity) follows the
charge. A value is changed with `battery set` only when it differs from the last one sent, half a
refresh before the refresh that reads it. From day --asleep-from (default 200) at 04:05:02 the
machine sleeps for seven days (`sleep`, seven days of `advance`, `wake`); the cycle goes on from
where the clock then is.

Writes: a write transaction takes SQLite's WAL write lock, one F_WRLCK fcntl on byte 120 of the
-shm file, and commits with one fdatasync of the -wal file; both are counted from strace's log.
At the end of each ten minutes of the clock the script sends `history` and waits for its
answer, so every call made in those ten minutes is in the log when they are counted; from an hour
before the sleep to ten minutes after it, and from ten minutes before the wake to an hour after
it, it does so at every refresh. The writes are then summed by clock hour, and the most in any
sixty minutes is found with each write timed by the end of its span. The writes while the file
is opened (its schema) are counted apart. Answering `history` works the charts out each time, and
that is most of the script's run time (about four seconds a simulated day on two shared cores).

Size: history.sqlite3 and history.sqlite3-wal (the -shm index is listed apart) after day 10,
every 50 days, and at the end while the program still runs; then once more after it has quit.
SQLite does not shrink the -wal file after a checkpoint; it is reused from its start, so once it
has reached the automatic checkpoint's 1000 pages it stays about 4 MB for as long as the program
runs.

Prints a report; --keep FOLDER leaves the history file, strace's log and the driver's output
there.
"""

import argparse
import os
import queue
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

HOUR = 3600
DAY = 86400
REFRESH = 10
WEEK_ASLEEP = 7 * DAY
SPAN = 600

# Values of the sample battery this cycle starts from.
FULL_MAH = 5000
DESIGN_MAH = 5500
CYCLES = 214


def battery_at(seconds):
    """The recorded battery's values at `seconds` of virtual time: a dictionary of key -> text."""
    day, into = divmod(seconds, DAY)
    full = FULL_MAH - day
    if into < 8 * HOUR:  # discharging 100 -> 20 over eight hours
        percent = 100 - (80 * into) // (8 * HOUR)
        state = {"IsCharging": "false", "ExternalConnected": "false", "FullyCharged": "false",
                 "Amperage": "-1500"}
    elif into < 9 * HOUR + 30 * 60:  # charging 20 -> 100 over ninety minutes
        percent = 20 + (80 * (into - 8 * HOUR)) // (90 * 60)
        state = {"IsCharging": "true", "ExternalConnected": "true", "FullyCharged": "false",
                 "Amperage": "3000"}
    else:
        percent = 100
        state = {"IsCharging": "false", "ExternalConnected": "true", "FullyCharged": "true",
                 "Amperage": "0"}
    values = dict(state)
    values["CurrentCapacity"] = str(percent)
    values["AppleRawCurrentCapacity"] = str(full * percent // 100)
    values["AppleRawMaxCapacity"] = str(full)
    values["CycleCount"] = str(CYCLES + day)
    return values


class Indicator:
    """The bundle under strace, fed lines on standard input; its output is read by a thread."""

    def __init__(self, exe, work):
        self.work = work
        self.data = os.path.join(work, "data")
        self.home = os.path.join(work, "home")
        os.makedirs(self.data)
        os.makedirs(self.home)
        sample = os.path.join(os.path.dirname(os.path.dirname(exe)), "Resources",
                              "sample-battery.plist")
        self.battery = os.path.join(work, "battery.plist")
        shutil.copyfile(sample, self.battery)
        self.trace = os.path.join(work, "strace.log")
        self.output = open(os.path.join(work, "driver-output.jsonl"), "w")
        env = {"HOME": self.home, "XDG_DATA_HOME": self.data, "XDG_CONFIG_HOME": self.home,
               "PATH": os.environ.get("PATH", "/usr/bin:/bin"), "LANG": "C.UTF-8", "TZ": "UTC",
               "ZERARAZI_DISPLAY": "driver", "ZERARAZI_BATTERY": self.battery}
        self.process = subprocess.Popen(
            ["strace", "-f", "--seccomp-bpf", "-e", "trace=openat,fcntl,pwrite64,fdatasync,fsync",
             "-o", self.trace, exe],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env,
            text=True, bufsize=1)
        self.answers = queue.Queue()
        self.errors = []
        self.lines = 0
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        self.stderr = []
        self.stderr_reader = threading.Thread(target=self._read_stderr, daemon=True)
        self.stderr_reader.start()
        self.sent = 0
        self.now_ms = 0

    def _read(self):
        for line in self.process.stdout:
            self.output.write(line)
            self.lines += 1
            if line.startswith('{"event":"history"'):
                self.answers.put(line)
            elif line.startswith('{"event":"error"'):
                self.errors.append(line.strip())
        self.answers.put(None)

    def _read_stderr(self):
        for line in self.process.stderr:
            self.stderr.append(line.rstrip("\n"))

    def send(self, lines):
        if lines:
            self.process.stdin.write("".join(line + "\n" for line in lines))
            self.sent += len(lines)

    def history(self, timeout=600):
        """Sends `history` and returns its answer, once everything sent before it was done."""
        self.send(["history"])
        self.process.stdin.flush()
        answer = self.answers.get(timeout=timeout)
        if answer is None:
            raise RuntimeError("the indicator ended early:\n" + "\n".join(self.stderr[-20:]))
        return answer

    def quit(self):
        self.process.stdin.close()
        status = self.process.wait(timeout=600)
        self.reader.join()
        self.stderr_reader.join()
        self.output.close()
        return status

    def path(self, part=""):
        return os.path.join(self.data, "zerarazi", "history.sqlite3" + part)


class TraceCounter:
    """Reads strace's log as it grows: write transactions, syncs and bytes written per file."""

    OPEN = re.compile(r'openat\(AT_FDCWD, "([^"]*)".*\) = (\d+)$')
    WRITE_LOCK = re.compile(r"fcntl\((\d+), F_SETLK, \{l_type=F_WRLCK, l_whence=SEEK_SET, "
                            r"l_start=120, l_len=1\}\)")
    SYNC = re.compile(r"f(?:data)?sync\((\d+)\)")
    PWRITE = re.compile(r"pwrite64\((\d+), .*\) = (\d+)$")

    def __init__(self, path):
        self.file = None
        self.path = path
        self.fds = {}
        self.partial = ""
        self.transactions = 0
        self.wal_syncs = 0
        self.syncs = 0
        self.bytes = {}

    def _name(self, fd):
        return os.path.basename(self.fds.get(fd, "?"))

    def take(self):
        """Counts the calls logged since the last call; returns (transactions, wal syncs)."""
        if self.file is None:
            self.file = open(self.path)
        before = (self.transactions, self.wal_syncs)
        text = self.partial + self.file.read()
        lines = text.split("\n")
        self.partial = lines.pop()
        for line in lines:
            self._count(line)
        return self.transactions - before[0], self.wal_syncs - before[1]

    def _count(self, line):
        found = self.OPEN.search(line)
        if found:
            self.fds[found.group(2)] = found.group(1)
            return
        found = self.WRITE_LOCK.search(line)
        if found and self._name(found.group(1)).endswith("-shm"):
            self.transactions += 1
            return
        found = self.SYNC.search(line)
        if found:
            self.syncs += 1
            if self._name(found.group(1)).endswith("-wal"):
                self.wal_syncs += 1
            return
        found = self.PWRITE.search(line)
        if found:
            name = self._name(found.group(1))
            self.bytes[name] = self.bytes.get(name, 0) + int(found.group(2))


def size(path):
    try:
        return os.path.getsize(path)
    except FileNotFoundError:
        return 0


def sizes(indicator):
    db, wal, shm = (size(indicator.path(part)) for part in ("", "-wal", "-shm"))
    return db, wal, shm


def mib(n):
    return "%.2f MiB (%.2f MB)" % (n / 1048576, n / 1e6)


def table_counts(path):
    try:
        import sqlite3
    except ImportError:
        return "(no sqlite3 module)"
    connection = sqlite3.connect("file:%s?mode=ro" % path, uri=True)
    try:
        counts = []
        for (name,) in connection.execute(
                "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"):
            (n,) = connection.execute('SELECT count(*) FROM "%s"' % name).fetchone()
            counts.append("%s %d" % (name, n))
        return ", ".join(counts)
    finally:
        connection.close()


def lines_until(indicator, last, end, sleep_from, sleep_to):
    """The lines from the indicator's virtual time to `end` (both whole refreshes): each change
    half a refresh before the refresh that reads it, `sleep` and `wake` at their times, then time
    to `end`. Updates `last`, the values sent so far."""
    start = indicator.now_ms // 1000
    events = []  # (ms, lines)
    for slot in range(start, end, REFRESH):
        if sleep_from <= slot + REFRESH < sleep_to:
            continue
        values = battery_at(slot + REFRESH)
        changed = [(k, v) for k, v in values.items() if last.get(k) != v]
        if changed:
            events.append(((slot + REFRESH // 2) * 1000,
                           ["battery set %s %s" % change for change in changed]))
            last.update(changed)
    for at, line in ((sleep_from, "sleep"), (sleep_to, "wake")):
        if start <= at < end:
            events.append((at * 1000, [line]))
    events.sort(key=lambda event: event[0])
    lines = []
    now_ms = indicator.now_ms
    for at_ms, event_lines in events:
        if at_ms > now_ms:
            lines.append("advance %d" % (at_ms - now_ms))
            now_ms = at_ms
        lines += event_lines
    end_ms = end * 1000
    lines.append("advance %d" % (end_ms - now_ms))
    indicator.now_ms = end_ms
    return lines


def line_start(line):
    """The UTC second virtual time 0 was, from a `history` answer: its last_day chart ends at
    the answer's time."""
    history = line["history"]
    if history is None:
        return 0
    return history["last_day"]["to"] - line["t"] // 1000


def summarize_history(answer):
    import json
    line = json.loads(answer)
    history = line["history"]
    started_at = line_start(line)

    def clock_of(utc):
        return clock(utc - started_at)

    if history is None:
        return "null (no history source in this build)"
    parts = []
    for name in ("last_day", "last_ten_days", "health"):
        chart = history[name]
        points = sum(len(run) for run in chart["runs"])
        gaps = ["%s to %s" % (clock_of(run[-1][0]), clock_of(after[0][0]))
                for run, after in zip(chart["runs"], chart["runs"][1:])
                if after[0][0] - run[-1][0] > HOUR]
        parts.append("%s: %d runs, %d points, %d marked, trend %s, caption %r%s" % (
            name, len(chart["runs"]), points, len(chart["marked"]), chart["trend"],
            chart["caption"], "; gaps over an hour: " + ", ".join(gaps) if gaps else ""))
    return "\n    ".join(parts)


def write_hours(bins, sleep_from, sleep_to):
    """Writes in each clock hour of virtual time, and whether it was wholly asleep."""
    hours = {}
    for end, n in bins:
        hour = (end - 1) // HOUR
        hours[hour] = hours.get(hour, 0) + n
    return [(h, hours[h], sleep_from <= h * HOUR and (h + 1) * HOUR <= sleep_to)
            for h in sorted(hours)]


def most_in_window(bins):
    """The most writes within any 60 minutes, each write at the end of its span; and where."""
    times = [end for end, n in bins for _ in range(n)]
    most, at, first = 0, 0, 0
    for last, time_of_last in enumerate(times):
        while time_of_last - times[first] >= HOUR:
            first += 1
        if last - first + 1 > most:
            most, at = last - first + 1, time_of_last
    return most, at


def clock(seconds):
    day, rest = divmod(seconds, DAY)
    return "day %d %02d:%02d:%02d" % (day, rest // HOUR, rest % HOUR // 60, rest % 60)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("build", nargs="?", default="build/release")
    parser.add_argument("--days", type=int, default=400)
    parser.add_argument("--asleep-from", type=int, default=200)
    parser.add_argument("--keep", help="a folder to leave the files in")
    args = parser.parse_args()
    exe = os.path.abspath(os.path.join(args.build, "Zerarazi.app", "Contents", "MacOS",
                                       "Zerarazi"))
    if not os.access(exe, os.X_OK):
        sys.exit("no executable at " + exe)
    if not shutil.which("strace"):
        sys.exit("strace is needed (apt-get install strace)")

    work = args.keep or tempfile.mkdtemp(prefix="zerarazi-history-year-")
    if args.keep:
        os.makedirs(work, exist_ok=False)
    # Between two refreshes and off the ten-minute writes, as a person closing the lid would.
    sleep_from = args.asleep_from * DAY + 4 * HOUR + 5 * 60 + 2
    sleep_to = sleep_from + WEEK_ASLEEP

    started = time.monotonic()
    indicator = Indicator(exe, work)
    trace = TraceCounter(indicator.trace)
    try:
        indicator.history()
        opening, _ = trace.take()
        bins = []  # (virtual second the bin ends at, transactions in it), in order
        after_wake = None  # the time and the answer to `history` an hour after the wake
        size_rows = []
        last = {}
        end_of_run = args.days * DAY
        fine = [(sleep_from - HOUR, sleep_from + 10 * 60), (sleep_to - 10 * 60, sleep_to + HOUR)]
        at = 0
        while at < end_of_run:
            # Spans end on the ten minutes of the clock, so that none straddles an hour.
            step = REFRESH if any(a <= at < b for a, b in fine) else SPAN - at % SPAN
            at = min(at + step, end_of_run)
            indicator.send(lines_until(indicator, last, at, sleep_from, sleep_to))
            answer = indicator.history()
            if after_wake is None and at >= sleep_to + HOUR:
                after_wake = (at, answer)
            writes, _ = trace.take()
            bins.append((at, writes))
            if at % DAY == 0 and (at // DAY == 10 or at // DAY % 50 == 0 or at == end_of_run):
                db, wal, shm = sizes(indicator)
                size_rows.append((at // DAY, db, wal, shm, table_counts(indicator.path())))
                print("day %d: %d + wal %d = %s; %.0f s so far" % (
                    at // DAY, db, wal, mib(db + wal), time.monotonic() - started), flush=True)
        final_answer = indicator.history()
    finally:
        status = indicator.quit()
    trace.take()
    after_quit = sizes(indicator)
    elapsed = time.monotonic() - started

    hours = write_hours(bins, sleep_from, sleep_to)
    awake = [n for _, n, asleep in hours if not asleep]
    most_hours = [h for h, n, asleep in hours if not asleep and n > 6]
    asleep_writes = sum(n for _, n, asleep in hours if asleep)
    asleep_hours = len(hours) - len(awake)
    by_count = {}
    for n in awake:
        by_count[n] = by_count.get(n, 0) + 1
    window_most, window_at = most_in_window(bins)
    asleep_seconds = max(0, min(sleep_to, end_of_run) - sleep_from)
    print()
    print("Simulated %d days (%d refresh periods of 10 s awake, %d whole hours asleep from day "
          "%d) in %.0f s of real time; %d lines sent, %d lines answered; exit status %d" % (
              args.days, (end_of_run - asleep_seconds) // REFRESH, asleep_hours,
              args.asleep_from, elapsed, indicator.sent, indicator.lines, status))
    if indicator.errors:
        print("driver errors (%d), the first: %s" % (len(indicator.errors), indicator.errors[0]))
    if indicator.stderr:
        print("standard error:\n  " + "\n  ".join(indicator.stderr[:10]))
    print()
    print("Store size (history.sqlite3 + -wal, while running):")
    for day, db, wal, shm, counts in size_rows:
        print("  day %4d: %10d + %8d = %s   (-shm %d; rows: %s)" % (
            day, db, wal, mib(db + wal), shm, counts))
    print("  after quit: %d + %d = %s (-shm %d)" % (
        after_quit[0], after_quit[1], mib(after_quit[0] + after_quit[1]), after_quit[2]))
    print()
    print("Write transactions (WAL write lock taken):")
    print("  opening the file: %d" % opening)
    print("  clock hours with the machine awake at some time: %d, writes in them %d, %.3f an "
          "hour, most in one %d" % (len(awake), sum(awake), sum(awake) / max(len(awake), 1),
                                    max(awake)))
    print("  those hours by writes: " + ", ".join(
        "%d writes: %d h" % (n, by_count[n]) for n in sorted(by_count)))
    if most_hours:
        print("  hours with more than 6: " + ", ".join(
            "from %s" % clock(h * HOUR) for h in most_hours[:10]))
    print("  hours wholly asleep: %d, writes in them %d" % (asleep_hours, asleep_writes))
    print("  most in any 60 minutes: %d, in the hour up to %s (each write timed by the end of "
          "the span it was counted in: 10 s from an hour before the sleep to ten minutes after "
          "it and from ten minutes before the wake to an hour after, 10 min elsewhere)" % (
              window_most, clock(window_at)))
    print("  whole run, quit included: %d transactions; %d syncs of the -wal, %d syncs in all" % (
        trace.transactions, trace.wal_syncs, trace.syncs))
    print("  bytes written: " + ", ".join(
        "%s %s" % (name, mib(n)) for name, n in sorted(trace.bytes.items())))
    print()
    if after_wake:
        print("history at %s, an hour after the wake:\n    %s" % (
            clock(after_wake[0]), summarize_history(after_wake[1])))
    print("history at the end:\n    " + summarize_history(final_answer))
    print("files in " + work if args.keep else "")
    if not args.keep:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
