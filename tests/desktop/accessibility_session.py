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
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import (Failure, Session, answer, check, end, last,  # noqa: E402
                             on_private_bus, run_until, settle, show_item, start_xvfb)

# Lines GLib and GTK print for a fault; the application prints nothing of the kind on its own.
FAULTS = ("-CRITICAL **", "-WARNING **", "-ERROR **")


# --- the reader: a process of its own, as each screen reader is ----------------------------------

def read_node(node):
    import pyatspi

    def queried(read):
        try:
            return read()
        except NotImplementedError:
            return None

    action = queried(node.queryAction)
    children = [node.getChildAtIndex(i) for i in range(node.childCount)]
    return {"role": node.getRoleName(), "name": node.name,
            "text": queried(lambda: node.queryText().getText(0, -1)),
            "actions": [action.getName(i) for i in range(action.nActions)] if action else [],
            "states": sorted(pyatspi.stateToString(state) for state in node.getState().getStates()),
            "children": [read_node(child) for child in children if child is not None]}


def read_windows():
    """Prints the accessible trees of the application's windows as JSON."""
    import pyatspi

    print(json.dumps([read_node(window) for application in pyatspi.Registry.getDesktop(0)
                      if application is not None and application.name == "Zerarazi"
                      for window in application if window is not None]))


def read_window(name, role):
    """The tree of the application's showing window `name`, once a fresh reader finds it."""
    def find():
        run = subprocess.run([sys.executable, os.path.abspath(__file__), "--read"],
                             capture_output=True, text=True, timeout=20)
        check(run.returncode == 0, "the reader failed: " + run.stderr[-2000:])
        return [window for window in json.loads(run.stdout) if window["name"] == name
                and window["role"] == role and "showing" in window["states"]]

    return run_until(find, 10, "a %s %r on the accessibility bus" % (role, name), 0.2)[0]


def descendants(node):
    for child in node["children"]:
        yield child
        yield from descendants(child)


def described(node):
    return "%s %r" % (node["role"], node["name"])


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
    check(len(controls) == len(model["controls"]),
          "Preferences shows %r" % [described(node) for node in controls])
    roles = {"checkbox": "check box", "text": "label", "frame": "panel", "button": "push button",
             "choice": "combo box"}
    for node, control in zip(controls, model["controls"]):
        box, text = control["kind"] == "checkbox", control["kind"] == "text"
        clicked = control["kind"] in ("checkbox", "button")
        wanted = (roles[control["kind"]], control["text"], True,
                  bool(control["state"]) if box else None, ["click"] if clicked else None,
                  control["text"] if text else None)
        shown = (node["role"], node["name"], "showing" in node["states"],
                 "checked" in node["states"] if box else None,
                 node["actions"] if clicked else None, node["text"] if text else None)
        check(shown == wanted, "%s shows %r where the model has %r" % (described(node), shown,
                                                                       wanted))


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
    item, _ = show_item(session)
    item.choose("Preferences...")
    check_preferences(read_window(preferences["title"], "frame"), preferences)
    check_preferences(read_window(preferences["title"], "frame"), preferences)  # a second reader
    for label, model, title in (("Show Battery Information...", information, information["title"]),
                                ("About", about, "About Zerarazi")):
        item.choose(label)
        check_alert(read_window(title, "dialog"), model, title)
        answer(title)
    # Preferences again, after both alerts came and went.
    check_preferences(read_window(preferences["title"], "frame"), preferences)
    settle(0.3)
    check(not faults(session), "the application printed %r" % faults(session))
    check(session.app.poll() is None, "the application ended")


def main():
    server, display = start_xvfb()
    os.environ["DISPLAY"] = display  # for xdotool and the reader
    # The application's accessibility bridge on.
    session = Session(sys.argv[1], display, {"NO_AT_BRIDGE": None, "GTK_A11Y": None})
    started = time.monotonic()
    try:
        run(session)
    except Failure as failure:
        print("FAILED: %s\napplication's standard error:\n%s" % (failure, session.errors()))
        return 1
    finally:
        session.close()
        end(server)
    print("passed in %.1f s" % (time.monotonic() - started))
    return 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--read"]:
        sys.exit(read_windows())
    reader = subprocess.run([sys.executable, "-c", "import pyatspi"], capture_output=True)
    on_private_bus(("Xvfb", "xdotool"), [name for name, there in (
        ("at-spi2-core", os.path.exists("/usr/share/dbus-1/services/org.a11y.Bus.service")),
        ("python3-pyatspi", reader.returncode == 0)) if not there])
    sys.exit(main())
