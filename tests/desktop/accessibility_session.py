#!/usr/bin/env python3
"""The desktop display's windows as a screen reader meets them.

On a private session bus, a virtual X server and the accessibility bus that the session bus
starts, the built bundle runs with ZERARAZI_DISPLAY=desktop and its accessibility bridge on.
Preferences, the information alert and the About box are opened through the status menu, and a
fresh reader process walks each window's accessible tree over that bus (names, roles, states,
texts, actions) as a screen reader does. Every control must be there with its name and role, the
About box must have a title, and the application must print no critical or warning meanwhile.
What each window should hold is taken from the same bundle run with the driver display.

    accessibility_session.py BUNDLE

Exits 77 (skipped) only when a tool it needs is not installed.
"""

import json
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop_session  # noqa: E402
from desktop_session import (Failure, Session, Watcher, check, last, menu_id,  # noqa: E402
                             no_visible_window, registered_item, run_until, settle,
                             start_xvfb, visible_window)

SKIPPED = 77
ACCESSIBILITY_SERVICE = "/usr/share/dbus-1/services/org.a11y.Bus.service"
# Lines GLib and GTK print for a fault; the application prints nothing of the kind on its own.
FAULTS = ("-CRITICAL **", "-WARNING **", "-ERROR **")


def skip_unless_tools():
    missing = [tool for tool in desktop_session.TOOLS if not shutil.which(tool)]
    if not os.path.exists(ACCESSIBILITY_SERVICE):
        missing.append("at-spi2-core")
    reader = subprocess.run([sys.executable, "-c", "import pyatspi"], capture_output=True)
    if reader.returncode != 0:
        missing.append("python3-pyatspi")
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        sys.exit(SKIPPED)


# --- the reader: a process of its own, as each screen reader is ----------------------------------

def read_node(node):
    import pyatspi

    text = None
    try:
        text = node.queryText().getText(0, -1)
    except NotImplementedError:
        pass
    actions = []
    try:
        action = node.queryAction()
        actions = [action.getName(i) for i in range(action.nActions)]
    except NotImplementedError:
        pass
    children = [node.getChildAtIndex(i) for i in range(node.childCount)]
    return {"role": node.getRoleName(), "name": node.name, "text": text, "actions": actions,
            "states": sorted(pyatspi.stateToString(state) for state in node.getState().getStates()),
            "children": [read_node(child) for child in children if child is not None]}


def read_windows():
    """Prints the accessible trees of the application's windows as JSON."""
    import pyatspi

    windows = []
    for application in pyatspi.Registry.getDesktop(0):
        if application is not None and application.name == "Zerarazi":
            windows += [read_node(window) for window in application if window is not None]
    print(json.dumps(windows))


def windows_read():
    run = subprocess.run([sys.executable, os.path.abspath(__file__), "--read"],
                         capture_output=True, text=True, timeout=20)
    check(run.returncode == 0, "the reader failed: " + run.stderr[-2000:])
    return json.loads(run.stdout)


def read_window(name, role):
    """The tree of the application's showing window `name`, once the reader finds it."""
    found = []

    def find():
        found[:] = [window for window in windows_read() if window["name"] == name
                    and window["role"] == role and "showing" in window["states"]]
        return found

    run_until(find, 10, "a %s %r on the accessibility bus" % (role, name))
    return found[0]


def descendants(node):
    for child in node["children"]:
        yield child
        yield from descendants(child)


def described(node):
    return "%s %r" % (node["role"], node["name"])


# --- the application ------------------------------------------------------------------------------

class AccessibleSession(Session):
    """The session with the application's accessibility bridge on."""

    def environment(self, display_kind):
        env = super().environment(display_kind)
        for switch in ("NO_AT_BRIDGE", "GTK_A11Y"):
            env.pop(switch, None)
        return env


def without_blank_lines(text):
    """The alert's text as a dialog should show it: without the blank lines around it; the first
    line keeps its indent."""
    blank = " \t\r\n"
    first = len(text) - len(text.lstrip(blank))
    start = max(text.rfind("\n", 0, first), text.rfind("\r", 0, first)) + 1
    return text[start:].rstrip(blank)


def check_preferences(window, model):
    """The window's content, a panel, holds the model's controls in the model's order, each with
    its name, role, state and action."""
    check(len(window["children"]) == 1, "Preferences holds %d children" % len(window["children"]))
    controls = window["children"][0]["children"]
    shown = [described(node) for node in controls]
    check(len(controls) == len(model["controls"]), "Preferences shows %r" % shown)
    roles = {"checkbox": "check box", "text": "label", "frame": "panel"}
    for node, control in zip(controls, model["controls"]):
        check(node["role"] == roles[control["kind"]] and node["name"] == control["text"],
              "%s where the model has the %s %r" % (described(node), control["kind"],
                                                    control["text"]))
        check("showing" in node["states"], "%s is not showing" % described(node))
        if control["kind"] == "checkbox":
            check(("checked" in node["states"]) == bool(control["state"]),
                  "%s is %schecked" % (described(node), "" if control["state"] else "not "))
            check(node["actions"] == ["click"], "%s has actions %r" % (described(node),
                                                                       node["actions"]))
        if control["kind"] == "text":
            check(node["text"] == control["text"], "%s reads %r" % (described(node), node["text"]))


def check_alert(window, model, title):
    """The dialog's title, its texts without blank lines around them, its icon and its buttons in
    the model's order, the first the default."""
    check(window["name"] == title, "the alert is named %r, not %r" % (window["name"], title))
    nodes = list(descendants(window))
    labels = [node for node in nodes if node["role"] == "label"]
    texts = [text for text in (model["title"], without_blank_lines(model["text"])) if text]
    check([(node["name"], node["text"]) for node in labels] == [(text, text) for text in texts],
          "the alert's labels read %r, not %r" % ([node["text"] for node in labels], texts))
    check(any(node["role"] == "icon" for node in nodes), "the alert has no icon")
    buttons = [node for node in nodes if node["role"] == "push button"]
    check([node["name"] for node in buttons] == model["buttons"],
          "the alert's buttons are %r" % [described(node) for node in buttons])
    for node in buttons:
        check(node["actions"] == ["click"] and "showing" in node["states"],
              "%s: %r %r" % (described(node), node["actions"], node["states"]))
    check("is default" in buttons[0]["states"], "%r is not the default" % buttons[0]["name"])


def answer_alert(title):
    window = visible_window(title)
    subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", "Return"], check=True)
    run_until(lambda: no_visible_window(title), 5, "Return to answer %r" % title)


def faults(session):
    return [line for line in session.errors().splitlines()
            if any(fault in line for fault in FAULTS)]


def run(session):
    preferences = last(session.driver("menu 4"), "window")
    information = last(session.driver("menu 3"), "alert")
    about = last(session.driver("menu 5"), "alert")
    # The model's About box has no title and its text begins with a line break; the driver shows
    # them as they are, and only this display gives the box a title and drops the blank line.
    check(about["title"] == "" and about["text"].startswith("\n"),
          "the model's About box is %r" % about)
    watcher = Watcher(session.bus)
    watcher.start()
    session.start()
    item = registered_item(session, watcher)
    menu_path = item.properties()["Menu"]

    item.choose(menu_path, menu_id(item, menu_path, "Preferences..."))
    check_preferences(read_window(preferences["title"], "frame"), preferences)
    check_preferences(read_window(preferences["title"], "frame"), preferences)  # a second reader

    item.choose(menu_path, menu_id(item, menu_path, "Show Battery Information..."))
    check_alert(read_window(information["title"], "dialog"), information, information["title"])
    answer_alert(information["title"])

    item.choose(menu_path, menu_id(item, menu_path, "About"))
    about_title = "About Zerarazi"
    check_alert(read_window(about_title, "dialog"), about, about_title)
    answer_alert(about_title)
    # Preferences again, after both alerts came and went.
    check_preferences(read_window(preferences["title"], "frame"), preferences)
    settle(0.3)
    check(not faults(session), "the application printed %r" % faults(session))
    check(session.app.poll() is None, "the application ended")


def main():
    bundle = sys.argv[1]
    server, display = start_xvfb(reset=False)
    os.environ["DISPLAY"] = display  # for xdotool and the reader
    session = AccessibleSession(bundle, display)
    started = time.monotonic()
    try:
        run(session)
    except Failure as failure:
        print("FAILED: %s" % failure)
        print("application's standard error:\n" + session.errors()
              if os.path.exists(session.stderr_path) else "")
        return 1
    finally:
        session.close()
        server.terminate()
        server.wait()
    print("passed in %.1f s" % (time.monotonic() - started))
    return 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--read"]:
        read_windows()
        sys.exit(0)
    if not os.environ.get("ZERARAZI_PRIVATE_BUS"):
        skip_unless_tools()
        os.environ["ZERARAZI_PRIVATE_BUS"] = "1"
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable] + sys.argv)
    sys.exit(main())
