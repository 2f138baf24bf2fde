#!/usr/bin/env python3
"""Lists the program's functions that a refresh runs, for the linker to lay out next to each
other (cmake/refresh_functions.order).

A refresh comes every ten seconds, so it always starts from cold caches and TLBs: what it costs
then follows how many pages and cache lines of code it passes through. Laid out in the order the
compiler left them, the few hundred functions it runs are spread over some ninety pages of the
program's text; side by side they take about a quarter of that.

usage: tools/order_refresh_functions.py [BUILD_FOLDER]   (default build/release; needs valgrind)

The program runs under callgrind on a battery folder whose charge changes before every refresh,
shown by the driver display (refreshes against the same number of commands that advance the
clock by too little to refresh: the difference is the refresh) and by the terminal display on a
pseudo-terminal (two real refreshes, after start-up). A function is listed when a refresh runs
it; the list names symbols as the linker sees them. Functions the list does not name keep their
place, so a list that has fallen behind the code costs speed, never correctness: run this again
when the code of the refresh has changed much (package.link_order says when too many are gone).
"""
import collections
import fcntl
import os
import pathlib
import pty
import re
import struct
import subprocess
import sys
import tempfile
import termios
import threading
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
OUTPUT = ROOT / 'cmake' / 'refresh_functions.order'
REFRESHES = 40

AC = [('type', 'Mains'), ('online', '0')]


def battery(step):
    full, percent = 50_000_000, 80 - step % 60
    return [('type', 'Battery'), ('status', 'Discharging'), ('present', '1'),
            ('technology', 'Li-ion'), ('cycle_count', '123'),
            ('voltage_min_design', '11400000'), ('voltage_now', str(11_800_000 - step % 5 * 10_000)),
            ('power_now', str(9_500_000 + step % 7 * 100_000)),
            ('energy_full_design', '57000000'), ('energy_full', str(full)),
            ('energy_now', str(full * percent // 100)), ('capacity', str(percent)),
            ('capacity_level', 'Normal'), ('model_name', '5B10W13975'), ('manufacturer', 'SMP'),
            ('serial_number', '1234')]


def write_supply(folder, name, values):
    """Writes a supply's attributes and uevent, each replaced whole, as sysfs readers expect."""
    supply = folder / name
    supply.mkdir(parents=True, exist_ok=True)
    uevent = ['POWER_SUPPLY_NAME=' + name] + ['POWER_SUPPLY_%s=%s' % (a.upper(), v) for a, v in values]
    for file, text in [(a, v + '\n') for a, v in values] + [('uevent', '\n'.join(uevent) + '\n')]:
        (supply / (file + '.new')).write_text(text)
        (supply / (file + '.new')).rename(supply / file)


def callgrind(output):
    return ['valgrind', '--tool=callgrind', '--callgrind-out-file=' + str(output)]


def driver_profile(program, env, folder, output, step_ms):
    """Each command is answered before the battery changes and the next is sent."""
    process = subprocess.Popen(callgrind(output) + [program], stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               env=dict(env, ZERARAZI_DISPLAY='driver'))

    def command(line):
        # An unknown command is answered with an error: the sign that the one before is done.
        process.stdin.write(line + b'\nunknown\n')
        process.stdin.flush()
        while b'"error"' not in process.stdout.readline():
            pass

    command(b'advance 20000')
    for step in range(1, REFRESHES + 1):
        write_supply(folder, 'BAT0', battery(step))
        command(b'advance %d' % step_ms)
    process.stdin.close()
    process.stdout.read()
    process.wait()


def terminal_profile(program, env, folder, output):
    """Two refreshes on a pseudo-terminal, counted from the end of start-up."""
    controller, terminal = pty.openpty()
    fcntl.ioctl(terminal, termios.TIOCSWINSZ, struct.pack('HHHH', 30, 120, 0, 0))
    process = subprocess.Popen(callgrind(output) + [program], stdin=terminal, stdout=terminal,
                               stderr=subprocess.DEVNULL, env=dict(env, ZERARAZI_DISPLAY='terminal'))
    os.close(terminal)
    threading.Thread(target=lambda: drain(controller), daemon=True).start()
    time.sleep(5)
    subprocess.run(['callgrind_control', '--zero', str(process.pid)], capture_output=True, check=True)
    for _ in range(2):
        write_supply(folder, 'BAT0', battery(int(time.time())))
        time.sleep(10)
    subprocess.run(['callgrind_control', '--dump', str(process.pid)], capture_output=True, check=True)
    os.write(controller, b'q')
    process.wait(timeout=30)


def drain(descriptor):
    try:
        while os.read(descriptor, 4096):
            pass
    except OSError:
        pass


def self_costs(path, program):
    """Instructions run in each of the program's own functions (not its libraries')."""
    costs = collections.Counter()
    objects, functions = {}, {}
    in_program, function, after_call = False, None, False
    for line in open(path):
        if m := re.match(r'(c?)(ob|fn)=\((\d+)\)(?: (.*))?', line):
            table = objects if m[2] == 'ob' else functions
            if m[4]:
                table[m[3]] = m[4].strip()
            if not m[1] and m[2] == 'ob':
                in_program = os.path.samefile(table[m[3]], program) if os.path.exists(table[m[3]]) else False
            elif not m[1]:
                function = table[m[3]]
        elif line.startswith('calls='):
            after_call = True
        elif line[:1].isdigit() or line[:1] in '+-*':
            if not after_call and in_program:
                costs[function] += int(line.split()[1])
            after_call = False
    return costs


def linker_names(program):
    """The demangled name callgrind gives each symbol, with the symbol's own name."""
    # Unsorted, both lists are in the symbol table's order, line for line.
    mangled = subprocess.run(['nm', '--defined-only', '--no-sort', program], capture_output=True,
                             text=True, check=True).stdout.splitlines()
    demangled = subprocess.run(['nm', '--defined-only', '--no-sort', '-C', program],
                               capture_output=True, text=True, check=True).stdout.splitlines()
    names = collections.defaultdict(list)
    for raw, readable in zip(mangled, demangled):
        kind = raw.split()[1]
        if kind in 'tTwW':
            names[readable.split(' ', 2)[2]].append(raw.split()[2])
    return names


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ROOT / 'build' / 'release').resolve()
    program = str(build / 'Zerarazi.app' / 'Contents' / 'MacOS' / 'Zerarazi')
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        folder = scratch / 'power_supply'
        write_supply(folder, 'AC', AC)
        write_supply(folder, 'BAT0', battery(0))
        env = {'HOME': str(scratch), 'PATH': os.environ['PATH'], 'LANG': 'C.UTF-8',
               'TERM': 'xterm-256color', 'ZERARAZI_BATTERY': str(folder)}
        runs = {}
        for step_ms in (10000, 1):
            runs[step_ms] = scratch / ('driver-%d.out' % step_ms)
            driver_profile(program, env, folder, runs[step_ms], step_ms)
        terminal_profile(program, env, folder, scratch / 'terminal.out')
        driver = self_costs(runs[10000], program)
        driver.subtract(self_costs(runs[1], program))
        terminal = self_costs(scratch / 'terminal.out.1', program)  # the dump after zeroing
    # The terminal's refresh first, whole: it is the one a person watches, and it passes through
    # all but the driver's own output; then what only the driver runs.
    functions = [f for f, cost in terminal.most_common() if cost > 0]
    functions += [f for f, cost in driver.most_common() if cost > 0 and f not in terminal]
    names = linker_names(program)
    listed = [symbol for function in functions for symbol in names.get(function, [])]
    OUTPUT.write_text('\n'.join(dict.fromkeys(listed)) + '\n')
    print('%s: %d symbols' % (OUTPUT.relative_to(ROOT), len(dict.fromkeys(listed))))


if __name__ == '__main__':
    main()
