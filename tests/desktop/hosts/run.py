#!/usr/bin/env python3
"""Runs the indicator in real desktop panels, each host on a light and a dark bar on a session
bus of its own, and writes screenshots and logs to FOLDER/HOST/THEME/ and a table to
FOLDER/results.md. With --one, one host on one theme, exiting 1 when a check fails or could not
be made and 77 when a tool is not installed (as the tests run it).

    run.py [HOST...] [--bundle PATH] [--out FOLDER]
    run.py --one HOST THEME [--bundle PATH] [--out FOLDER]
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

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

HOSTS = {"xfce": "Xfce (xfce4-panel)", "waybar": "sway + waybar", "mate": "MATE (mate-panel)",
         "lxqt": "LXQt (lxqt-panel)", "plasma": "KDE Plasma (plasmashell)",
         "gnome": "GNOME Shell 43 + AppIndicator"}
THEMES = ("light", "dark")
SECONDS = {"gnome": 180}  # how long one host on one theme may take before it counts as hung


def run_one(host_name, theme, bundle, shots):
    import common

    folder = tempfile.mkdtemp(prefix="zerarazi-%s-%s-" % (host_name, theme))
    shutil.rmtree(shots, ignore_errors=True)
    host = importlib.import_module(host_name).HOST(theme, folder)
    run = common.run_host(host, bundle, shots)
    for path in host.log_paths + [os.path.join(folder, "bus-calls.log")]:
        if os.path.exists(path):
            shutil.copy(path, shots)
    with open(os.path.join(shots, "results.json"), "w") as text:
        json.dump({check: {"passed": passed, "detail": detail}
                   for check, (passed, detail) in run.results.items()}, text, indent=1)
    with open(os.path.join(shots, "log.txt"), "w") as text:
        text.write("\n".join(run.log_lines) + "\n")
    shutil.rmtree(folder, ignore_errors=True)
    return all(passed for passed, _ in run.results.values())


def run_host(host_name, bundle, out):
    with open(os.path.join(out, host_name, "log.txt"), "w") as log:
        for theme in THEMES:
            start, seconds = time.monotonic(), SECONDS.get(host_name, 300)
            child = subprocess.Popen([sys.executable, os.path.abspath(__file__), "--one", host_name,
                                      theme, "--bundle", bundle, "--out", out], text=True,
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                     start_new_session=True)
            try:
                output, _ = child.communicate(timeout=seconds)
            except subprocess.TimeoutExpired:
                os.killpg(child.pid, 9)
                output = child.communicate()[0] + "\nkilled: still running after %d s\n" % seconds
            output = "== %s, %s bar ==\n%s(%.0f s, exit status %s)\n" % (
                host_name, theme, output, time.monotonic() - start, child.returncode)
            log.write(output)
            sys.stdout.write(output)
            results = os.path.join(out, host_name, theme, "results.json")
            if not os.path.exists(results):
                os.makedirs(os.path.dirname(results), exist_ok=True)
                with open(results, "w") as text:
                    json.dump({"panel starts": {"passed": False, "detail": "the run ended before "
                                                "any result (see log.txt)"}}, text)


def table(out):
    """Each host's checks on each bar: pass/FAIL/n/a and the figure behind it."""
    from common import CHECKS

    lines = ["# The indicator in real desktop panels", "", "Made by scripts/test-desktops on %s; "
             "screenshots: HOST/THEME/*.png beside this file." % time.strftime("%Y-%m-%d %H:%M")]
    for host, title in HOSTS.items():
        results = {}
        for theme in THEMES:
            path = os.path.join(out, host, theme, "results.json")
            if os.path.exists(path):
                with open(path) as text:
                    results[theme] = json.load(text)
        if results:
            lines += ["", "## " + title, "", "| check | %s bar |" % " bar | ".join(results),
                      "|---|" + "---|" * len(results)]
            for check in CHECKS:
                cells = [result.get(check, {"passed": None, "detail": "not reached"})
                         for result in results.values()]
                lines.append("| %s | %s |" % (check, " | ".join(
                    {True: "pass", False: "**FAIL**", None: "n/a"}[cell["passed"]] + ": " +
                    cell["detail"].replace("|", "/") for cell in cells)))
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
        tools = importlib.import_module(args.one[0]).HOST.tools
        import desktop_session

        desktop_session.on_private_bus(tools)
        return 0 if run_one(args.one[0], args.one[1], bundle,
                            os.path.join(out, args.one[0], args.one[1])) else 1
    unknown = [host for host in args.hosts if host not in HOSTS]
    if unknown:
        print("no host %s (hosts: %s)" % (", ".join(unknown), ", ".join(HOSTS)))
        return 2
    if not os.path.exists(os.path.join(bundle, "Contents", "MacOS", "Zerarazi")):
        print("no bundle at %s: build it first (cmake --build build/release --target zerarazi)"
              % bundle)
        return 2
    for host in args.hosts:
        os.makedirs(os.path.join(out, host), exist_ok=True)
        run_host(host, bundle, out)
    table(out)
    print("results: %s" % os.path.join(out, "results.md"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
