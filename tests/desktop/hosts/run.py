#!/usr/bin/env python3
"""Runs the indicator in real desktop panels and writes what a person would see.

    run.py [HOST...] [--bundle PATH] [--out FOLDER]

Each host runs on a light and a dark bar, each time on its own session bus (dbus-run-session)
with a private home. Screenshots and logs go to FOLDER/HOST/THEME/, each host's short log to
FOLDER/HOST/log.txt, and the table of every host run so far to FOLDER/results.md.
"""

import argparse
import importlib
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

HOSTS = ("xfce", "waybar", "mate", "lxqt", "plasma", "gnome")
THEMES = ("light", "dark")
# How long one host on one theme may take before it counts as hung.
SECONDS = {"gnome": 180}
NAMES = {"xfce": "Xfce (xfce4-panel)", "waybar": "sway + waybar", "mate": "MATE (mate-panel)",
         "lxqt": "LXQt (lxqt-panel)", "plasma": "KDE Plasma (plasmashell)",
         "gnome": "GNOME Shell 43 + AppIndicator"}


def run_one(host_name, theme, bundle, out):
    """In a private session bus already: one host on one theme."""
    import common

    module = importlib.import_module(host_name)
    folder = tempfile.mkdtemp(prefix="zerarazi-%s-%s-" % (host_name, theme))
    shots = os.path.join(out, host_name, theme)
    shutil.rmtree(shots, ignore_errors=True)
    host = module.HOST(theme, folder)
    run = common.run_host(host, bundle, shots)
    for path in host.log_paths + [os.path.join(folder, "bus-calls.log")] + \
            [os.path.join(folder, "indicator-%d.stderr" % n)
             for n in range(1, (run.indicator.runs if run.indicator else 0) + 1)]:
        if os.path.exists(path):
            shutil.copy(path, shots)
    with open(os.path.join(shots, "results.json"), "w") as text:
        json.dump({check: result.to_json() for check, result in run.results.items()}, text,
                  indent=1)
    with open(os.path.join(shots, "log.txt"), "w") as text:
        text.write("\n".join(run.log_lines) + "\n")
    shutil.rmtree(folder, ignore_errors=True)


def run_host(host_name, bundle, out):
    log_path = os.path.join(out, host_name, "log.txt")
    os.makedirs(os.path.dirname(log_path), exist_ok=True)
    with open(log_path, "w") as log:
        for theme in THEMES:
            log.write("== %s, %s bar ==\n" % (host_name, theme))
            log.flush()
            command = ["dbus-run-session", "--", sys.executable, os.path.abspath(__file__),
                       "--one", host_name, theme, "--bundle", bundle, "--out", out]
            start = time.monotonic()
            child = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                     text=True, start_new_session=True)
            try:
                output, _ = child.communicate(timeout=SECONDS.get(host_name, 300))
            except subprocess.TimeoutExpired:
                os.killpg(child.pid, 9)
                output, _ = child.communicate()
                output += "\nkilled: still running after %d s\n" % SECONDS.get(host_name, 300)
            log.write(output)
            log.write("(%s %s: %.0f s, exit status %s)\n" % (host_name, theme,
                                                            time.monotonic() - start,
                                                            child.returncode))
            log.flush()
            sys.stdout.write(output)
            results = os.path.join(out, host_name, theme, "results.json")
            if not os.path.exists(results):
                os.makedirs(os.path.dirname(results), exist_ok=True)
                with open(results, "w") as text:
                    json.dump({"panel starts": {"passed": False, "detail":
                                                "the run ended before any result (see log.txt)"}},
                              text)


def table(out):
    from common import CHECKS

    columns = [(host, theme) for host in HOSTS for theme in THEMES
               if os.path.exists(os.path.join(out, host, theme, "results.json"))]
    results, extra = {}, []
    for host, theme in columns:
        with open(os.path.join(out, host, theme, "results.json")) as text:
            results[host, theme] = json.load(text)
        extra += [check for check in results[host, theme] if check not in CHECKS + tuple(extra)]
    lines = ["# The indicator in real desktop panels", "",
             "Made by scripts/test-desktops on %s. Each cell: pass/FAIL/n/a and the figure behind "
             "it. Screenshots: HOST/THEME/*.png beside this file." % time.strftime("%Y-%m-%d %H:%M"),
             ""]
    for host in HOSTS:
        themes = [theme for h, theme in columns if h == host]
        if not themes:
            continue
        lines += ["## %s" % NAMES[host], "", "| check | " + " | ".join(
            "%s bar" % theme for theme in themes) + " |",
            "|---|" + "---|" * len(themes)]
        for check in CHECKS + tuple(extra):
            cells = []
            for theme in themes:
                cell = results[host, theme].get(check)
                if cell is None:
                    cells.append("" if check in extra else "n/a: not reached")
                    continue
                mark = {True: "pass", False: "**FAIL**", None: "n/a"}[cell["passed"]]
                cells.append(mark + (": " + cell["detail"].replace("|", "/")
                                     if cell["detail"] else ""))
            if any(cells):
                lines.append("| %s | %s |" % (check, " | ".join(cells)))
        lines.append("")
    lines += ["## Summary", "", "| host | " + " | ".join(CHECKS) + " |",
              "|---|" + "---|" * len(CHECKS)]
    for host, theme in columns:
        marks = [{True: "ok", False: "FAIL", None: "-"}[
            results[host, theme].get(check, {"passed": None})["passed"]] for check in CHECKS]
        lines.append("| %s, %s | %s |" % (host, theme, " | ".join(marks)))
    with open(os.path.join(out, "results.md"), "w") as text:
        text.write("\n".join(lines) + "\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("hosts", nargs="*", default=list(HOSTS))
    parser.add_argument("--bundle", default="build/release/Zerarazi.app")
    parser.add_argument("--out", default="build/desktops")
    parser.add_argument("--one", nargs=2, metavar=("HOST", "THEME"))
    args = parser.parse_args()
    bundle, out = os.path.abspath(args.bundle), os.path.abspath(args.out)
    if args.one:
        run_one(args.one[0], args.one[1], bundle, out)
        return 0
    unknown = [host for host in args.hosts if host not in HOSTS]
    if unknown:
        print("no host %s (hosts: %s)" % (", ".join(unknown), ", ".join(HOSTS)))
        return 2
    if not os.path.exists(os.path.join(bundle, "Contents", "MacOS", "Zerarazi")):
        print("no bundle at %s: build it first (cmake --build build/release --target zerarazi)"
              % bundle)
        return 2
    for host in args.hosts:
        run_host(host, bundle, out)
    table(out)
    print("results: %s" % os.path.join(out, "results.md"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
