#!/usr/bin/env python3
"""The status item's own popup menu, as a person meets it on a panel that only calls Activate:
item_popup_menu_check pops it up on Xvfb, this script types and clicks on it with xdotool.

    item_popup_session.py CASE CHECK_PROGRAM    (exits 77 when a tool it needs is not installed)
"""

import os
import queue
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import (Failure, check, click, end, skip_unless, start_xvfb,  # noqa: E402
                             xdotool)

SCREEN = (1024, 768)
# The test menu of item_popup_menu_check: kind, number, title, enabled, accelerator.
MENU = [
    ("item", 1, "Show_Details", True, ("d", {"Control"})),
    ("separator",),
    ("item", 2, "Unavailable", False, None),
    ("item", 3, "Settings", True, ("comma", {"Control", "Super"})),
    ("separator",),
    ("item", 4, "Quit", True, ("q", {"Control", "Shift", "Alt"})),
]


class Menu:
    """A menu as the program laid it out: the window's box and each item's."""

    def __init__(self, lines):
        self.box = tuple(map(int, lines[0].split()[1:5]))
        self.x, self.y, self.width, self.height = self.box
        self.items = [line.split(" ", 9) + [""] for line in lines[1:]]

    def centre(self, index):
        x, y, width, height = map(int, self.items[index][4:8])
        return x + width // 2, y + height // 2


class Program:
    def __init__(self, path, display):
        environment = dict(os.environ, DISPLAY=display, NO_AT_BRIDGE="1",
                           GSETTINGS_BACKEND="memory", G_DEBUG="fatal-criticals")
        self.process = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True, env=environment)
        self.lines = queue.Queue()
        threading.Thread(target=self.read, daemon=True).start()
        self.expect("ready", 10)

    def read(self):
        for line in self.process.stdout:
            self.lines.put(line.rstrip("\n"))
        self.lines.put(None)

    def send(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()

    def next_line(self, seconds, what):
        try:
            line = self.lines.get(timeout=seconds)
        except queue.Empty:
            raise Failure("timed out waiting for " + what)
        check(line is not None, "the program ended while waiting for " + what)
        return line

    def expect(self, wanted, seconds=5):
        line = self.next_line(seconds, repr(wanted))
        check(line == wanted, "expected %r, the program said %r" % (wanted, line))

    def says_only(self, lines, after):
        """Checks that the program says just `lines` within half a second."""
        said, deadline = [], time.monotonic() + 0.5
        while time.monotonic() < deadline:
            try:
                said.append(self.lines.get(timeout=max(0, deadline - time.monotonic())))
            except queue.Empty:
                break
        check(said == lines, "%s: the program said %s" % (after, said))

    def pop(self, x, y):
        self.send("pop %d %d" % (x, y))
        self.expect("popped 1")
        return self.shown_menu()

    def shown_menu(self, skip=()):
        """The menu the program says it shows, after any lines in `skip`."""
        lines = [self.next_line(5, "the menu to show")]
        while lines[0] in skip:
            lines = [self.next_line(5, "the menu to show")]
        check(lines[0].startswith("menu "), "expected the menu's place, not %r" % lines[0])
        while lines[-1] != "end":
            lines.append(self.next_line(5, "the menu's items"))
        return Menu(lines[:-1])

    def finish(self):
        self.send("quit")
        self.process.stdin.close()
        status = self.process.wait(timeout=10)
        errors = self.process.stderr.read()
        check(status == 0, "the program ended with status %d:\n%s" % (status, errors))
        check("CRITICAL" not in errors and "WARNING" not in errors,
              "GTK complained:\n" + errors)


def visible_windows():
    """The boxes of the program's visible windows, as the X server has them."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname",
                            "item_popup_menu_check"], capture_output=True, text=True).stdout
    shells = [dict(line.split("=", 1) for line in xdotool(
        "getwindowgeometry", "--shell", window).splitlines() if "=" in line)
        for window in found.split()]
    return [tuple(int(shell[key]) for key in ("X", "Y", "WIDTH", "HEIGHT")) for shell in shells]


def accelerator(name):
    """('q', {'Control', 'Shift'}) for GTK's '<Primary><Shift>q'; None for '-'."""
    if name == "-":
        return None
    modifiers = set()
    while name.startswith("<"):
        end = name.index(">")
        modifiers.add({"Primary": "Control"}.get(name[1:end], name[1:end]))
        name = name[end + 1:]
    return name, modifiers


def check_shown(menu, x=None, y=None):
    """The X server shows the menu where the program says, below and right of the click at
    (x, y) when given, its corner a pixel away."""
    boxes = visible_windows()
    check(boxes == [menu.box], "the X server shows %s, the menu is at %s" % (boxes, menu.box))
    check(x is None or abs(menu.x - (x + 1)) <= 2 and abs(menu.y - (y + 1)) <= 2,
          "the menu opened at %d,%d for a click at %s,%s" % (menu.x, menu.y, x, y))


# --- cases -------------------------------------------------------------------------------------

def case_shows_at_point(program):
    """The menu opens where the panel was clicked, with the model's items."""
    menu = program.pop(300, 200)
    check_shown(menu, 300, 200)
    shown = [(kind,) if kind == "separator" else (kind, title, sensitive == "1", accelerator(keys))
             for _, _, kind, sensitive, _, _, _, _, keys, title, *_ in menu.items]
    wanted = [entry[:1] + entry[2:] for entry in MENU]
    check(shown == wanted, "the menu shows %r, not %r" % (shown, wanted))


def case_keyboard_choice(program):
    """Arrow keys pass over separators and disabled items; Escape closes without a choice."""
    program.pop(300, 200)
    xdotool("key", "Down", "Down", "Return")
    check(program.next_line(5, "a choice") == "chosen 3", "Down Down Return chose another item")
    program.expect("hidden")
    program.pop(300, 200)
    xdotool("key", "Up", "Return")  # from nothing selected, Up wraps to the last item
    program.expect("chosen 4")
    program.expect("hidden")
    program.pop(300, 200)
    xdotool("key", "Escape")
    program.says_only(["hidden"], "Escape")


def case_mouse_choice(program):
    """A click on a disabled item or a separator chooses nothing and leaves the menu open; a
    click on an enabled item chooses it; a click outside closes the menu."""
    menu = program.pop(300, 200)
    for index in (2, 1, 4):
        click(*menu.centre(index))
        program.says_only([], "a click on %s" % (MENU[index][0:3],))
        check_shown(menu)
    # Even an activation that does not come from a click is refused for a disabled item.
    program.send("activate 2")
    program.says_only([], "activating the disabled item")
    click(*menu.centre(5))
    program.expect("chosen 4")
    program.expect("hidden")
    menu = program.pop(300, 200)
    click(menu.x + menu.width + 50, menu.y + menu.height + 50)
    program.says_only(["hidden"], "a click outside")


def case_repop_and_destroy(program):
    """A second Activate moves the open menu; destroying the object takes the menu away."""
    program.pop(300, 200)
    program.send("pop 600 400")
    program.expect("popped 1")
    menu = program.shown_menu(skip=["hidden"])  # the first may be reported hidden first
    check_shown(menu, 600, 400)
    program.send("destroy")
    program.expect("hidden")
    check(visible_windows() == [], "a window stays after the menu object went")
    menu = program.pop(100, 100)
    click(*menu.centre(0))
    program.expect("chosen 1")


def case_choice_reenters(program):
    """What the model does on a choice may destroy the menu or pop it up again."""
    program.send("then destroy")
    program.pop(300, 200)
    xdotool("key", "Down", "Return")
    program.expect("chosen 1")
    program.expect("hidden")
    program.send("then pop 500 300")
    program.pop(300, 200)
    xdotool("key", "Down", "Return")
    program.expect("chosen 1")
    program.expect("popped 1")
    menu = program.shown_menu(skip=["hidden"])
    check_shown(menu, 500, 300)
    xdotool("key", "Down", "Down", "Return")
    program.expect("chosen 3")


def hold_grab():
    """Another program's grab of the pointer and keyboard, held until standard input closes."""
    import gi

    gi.require_version("Gtk", "3.0")
    gi.require_version("Gdk", "3.0")
    from gi.repository import Gdk, GLib, Gtk

    window = Gtk.Window(type=Gtk.WindowType.POPUP)
    window.resize(10, 10)
    window.show_all()
    while Gtk.events_pending():
        Gtk.main_iteration()
    seat = Gdk.Display.get_default().get_default_seat()
    status = seat.grab(window.get_window(), Gdk.SeatCapabilities.ALL, True, None, None, None, None)
    print("grabbed" if status == Gdk.GrabStatus.SUCCESS else "not grabbed", flush=True)
    GLib.io_add_watch(GLib.IOChannel.unix_new(0), GLib.PRIORITY_DEFAULT, GLib.IO_IN | GLib.IO_HUP,
                      lambda *_: Gtk.main_quit())
    Gtk.main()


def case_grab_refused(program):
    """While another program holds the pointer, no menu shows and pop_up says so."""
    holder = subprocess.Popen([sys.executable, __file__, "--hold-grab"], stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, text=True)
    try:
        check(holder.stdout.readline().strip() == "grabbed", "the other program got no grab")
        program.send("pop 300 200")
        program.expect("popped 0")
        program.says_only([], "with the grab held elsewhere")
        check(visible_windows() == [], "a menu window shows without the grab")
    finally:
        holder.stdin.close()
        holder.wait(timeout=10)
    program.pop(300, 200)


def case_screen_edge(program):
    """From a panel at the bottom right, the menu opens up and left and stays on the screen."""
    x, y = SCREEN[0] - 3, SCREEN[1] - 3
    menu = program.pop(x, y)
    check_shown(menu)
    check(menu.x >= 0 and menu.y >= 0 and menu.x + menu.width <= SCREEN[0] and
          menu.y + menu.height <= SCREEN[1], "the menu at %s leaves the screen" % (menu.box,))
    check(menu.y + menu.height <= y + 1, "the menu covers the click: it did not open upwards")


CASES = {name[5:]: case for name, case in globals().items() if name.startswith("case_")}


def main():
    case, program_path = sys.argv[1], sys.argv[2]
    if case not in CASES:
        print("no case %r (%s)" % (case, ", ".join(CASES)))
        return 2
    gtk3 = subprocess.run([sys.executable, "-c", "import gi; gi.require_version('Gtk', '3.0')"],
                          capture_output=True)
    skip_unless(("Xvfb", "xdotool"), ["python3-gi with GTK 3"] if case == "grab_refused"
                and gtk3.returncode else [])
    server, display = start_xvfb(screen=SCREEN)
    os.environ["DISPLAY"] = display  # for xdotool
    program = None
    try:
        program = Program(program_path, display)
        CASES[case](program)
        program.finish()
    except Failure as failure:
        print("FAILED: %s" % failure)
        return 1
    finally:
        end(program and program.process)
        end(server)
    print("passed")
    return 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--hold-grab"]:
        sys.exit(hold_grab())
    sys.exit(main())
