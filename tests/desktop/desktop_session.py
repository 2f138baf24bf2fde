#!/usr/bin/env python3
"""The desktop display as a panel and a person meet it: on a private session bus and Xvfb this
script is the status notifier watcher, reads the bundle's item and menu over D-Bus and drives its
windows with xdotool; what they should show comes from the bundle's driver display.

    desktop_session.py CASE BUNDLE    (exits 77 only when a tool it needs is not installed)
"""

import ctypes
import json
import os
import plistlib
import shutil
import signal
import subprocess
import sys
import tempfile
import time

try:
    import gi

    gi.require_version("GdkPixbuf", "2.0")
    gi.require_version("Gdk", "3.0")
    from gi.repository import GdkPixbuf, Gio, GLib
except (ImportError, ValueError):  # skip_unless() says so
    GdkPixbuf = Gio = GLib = None

SCREEN = (1440, 900)  # the driver's default screen, so that windows open in the same place
ITEM_PATH = "/StatusNotifierItem"
ITEM_INTERFACE = "org.kde.StatusNotifierItem"
MENU_INTERFACE = "com.canonical.dbusmenu"
WATCHER = "org.kde.StatusNotifierWatcher"
# The command key is Control on this desktop, and the model's Control is Super.
SHORTCUT_MODIFIERS = {"cmd": "Control", "shift": "Shift", "alt": "Alt", "ctrl": "Super"}
HERE = os.path.dirname(os.path.abspath(__file__))
DISPLAY_CLOSED = "zerarazi: the display closed (X server or Wayland compositor gone)"

WATCHER_XML = """<node><interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
</interface></node>"""
PORTAL_XML = """<node><interface name="org.freedesktop.portal.Settings">
  <method name="ReadOne"><arg type="s" direction="in"/><arg type="s" direction="in"/>
    <arg type="v" direction="out"/></method>
  <signal name="SettingChanged"><arg type="s"/><arg type="s"/><arg type="v"/></signal>
</interface></node>"""
NOTIFICATIONS_XML = """<node><interface name="org.freedesktop.Notifications">
  <method name="Notify"><arg type="s" direction="in"/><arg type="u" direction="in"/>
    <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="s" direction="in"/>
    <arg type="as" direction="in"/><arg type="a{sv}" direction="in"/><arg type="i" direction="in"/>
    <arg type="u" direction="out"/></method>
</interface></node>"""


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def skip_unless(tools, missing=()):
    missing = [tool for tool in tools if not shutil.which(tool)] + list(missing)
    missing += ["python3-gi"] if Gio is None else []
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        sys.exit(77)


def on_private_bus(tools, missing=()):
    """Runs this script again on a private session bus, unless it runs on one already."""
    if not os.environ.get("ZERARAZI_PRIVATE_BUS"):
        skip_unless(("dbus-run-session",) + tuple(tools), missing)
        os.environ["ZERARAZI_PRIVATE_BUS"] = "1"
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable] + sys.argv)


def start_xvfb(reset=False, screen=SCREEN):
    """Xvfb on a free display; one that resets refuses clients while it does."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % screen,
         "-nolisten", "tcp"] + ([] if reset else ["-noreset"]),
        pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as numbers:
        number = numbers.readline().strip()
    check(number, "Xvfb did not start")
    return server, ":" + number


def start_sway(config, env, folder, backend="headless"):
    """sway drawn by pixman, as nobody when root runs this (sway refuses root), its runtime
    folder in `folder`; answers it, that folder and its Wayland socket; sets SWAYSOCK."""
    runtime = os.path.join(folder, "sway")
    os.mkdir(runtime, 0o700)
    with open(os.path.join(runtime, "config"), "w") as text:
        text.write(config)
    command = ["sway", "-c", os.path.join(runtime, "config")]
    if os.geteuid() == 0:
        os.chown(runtime, 65534, 65534)
        command = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] + command
    env = dict(env, XDG_RUNTIME_DIR=runtime, HOME=runtime, WLR_BACKENDS=backend,
               WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1", WLR_X11_OUTPUTS="1")
    compositor = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def sockets():
        check(compositor.poll() is None, "sway ended")
        names = os.listdir(runtime)
        ipc = [name for name in names if name.startswith("sway-ipc.")]
        wayland = [name for name in names if name.startswith("wayland-") and "." not in name]
        return ipc and wayland and (ipc[0], wayland[0])

    ipc, wayland = run_until(sockets, 10, "sway's sockets")
    os.environ["SWAYSOCK"] = os.path.join(runtime, ipc)
    return compositor, runtime, wayland


def end(process, seconds=5):
    if process is None or process.poll() is not None:
        return
    leader = os.getpgid(process.pid) == process.pid
    for number in (15, 9):
        try:
            os.killpg(process.pid, number) if leader else process.send_signal(number)
            return process.wait(seconds)
        except ProcessLookupError:
            return
        except subprocess.TimeoutExpired:
            pass


def run_until(predicate, seconds, what, interval=0.01):
    context, deadline = GLib.MainContext.default(), time.monotonic() + seconds
    while True:
        while context.pending():
            context.iteration(False)
        found = predicate()
        if found:
            return found
        check(time.monotonic() < deadline, "timed out waiting for " + what)
        time.sleep(interval)


def settle(seconds):
    deadline = time.monotonic() + seconds
    run_until(lambda: time.monotonic() >= deadline, seconds + 1, "time to pass")


def call(bus, name, path, interface, method, arguments=None, reply=None, timeout=5000):
    return bus.call_sync(name, path, interface, method, arguments,
                         GLib.VariantType(reply) if reply else None, Gio.DBusCallFlags.NONE,
                         timeout, None).unpack()


def ask_bus(bus, method, arguments=None, reply=None):
    return call(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                method, arguments, reply)


def name_has_owner(bus, name):
    return ask_bus(bus, "NameHasOwner", GLib.Variant("(s)", (name,)), "(b)")[0]


def connection_of_process(bus, pid):
    for name in ask_bus(bus, "ListNames", None, "(as)")[0]:
        try:
            if name.startswith(":") and ask_bus(bus, "GetConnectionUnixProcessID", GLib.Variant(
                    "(s)", (name,)), "(u)")[0] == pid:
                return name
        except GLib.Error:
            pass
    return None


def serve(bus, name, xml, path, on_call, on_property=None):
    info = Gio.DBusNodeInfo.new_for_xml(xml).interfaces[0]
    registration = bus.register_object(path, info, on_call, on_property, None)
    owned = []
    owner = Gio.bus_own_name_on_connection(bus, name, Gio.BusNameOwnerFlags.NONE,
                                           lambda *_: owned.append(True), None)
    run_until(lambda: owned, 5, "the name " + name)
    return owner, registration


class Watcher:
    def __init__(self, bus):
        self.bus, self.items = bus, []

    def start(self):
        self.owner, self.object = serve(self.bus, WATCHER, WATCHER_XML, "/StatusNotifierWatcher",
                                        self.on_call)

    def stop(self):
        Gio.bus_unown_name(self.owner)
        self.bus.unregister_object(self.object)
        settle(0.1)

    def on_call(self, bus, sender, path, interface, method, parameters, invocation):
        if method == "RegisterStatusNotifierItem":
            self.items.append(parameters.unpack()[0])
        invocation.return_value(None)


class Portal:
    def __init__(self, bus, scheme):
        self.bus, self.scheme = bus, GLib.Variant("u", scheme)
        serve(bus, "org.freedesktop.portal.Desktop", PORTAL_XML, "/org/freedesktop/portal/desktop",
              lambda *arguments: arguments[-1].return_value(GLib.Variant("(v)", (self.scheme,))))

    def change(self, scheme):
        self.scheme = GLib.Variant("u", scheme)
        self.bus.emit_signal(None, "/org/freedesktop/portal/desktop",
                             "org.freedesktop.portal.Settings", "SettingChanged", GLib.Variant(
                                 "(ssv)", ("org.freedesktop.appearance", "color-scheme",
                                           self.scheme)))


class Notifications:
    """Keeps (application name, id replaced, icon, summary, body, urgency) of each notification."""

    def __init__(self, bus):
        self.shown = []
        serve(bus, "org.freedesktop.Notifications", NOTIFICATIONS_XML,
              "/org/freedesktop/Notifications", self.on_call)

    def on_call(self, bus, sender, path, interface, method, parameters, invocation):
        name, replaces, icon, summary, body, _, hints = parameters.unpack()[:7]
        self.shown.append((name, replaces, icon, summary, body, hints.get("urgency")))
        invocation.return_value(GLib.Variant("(u)", (len(self.shown),)))

    def summaries(self):
        return [shown[3] for shown in self.shown]


class Item:
    def __init__(self, bus, name):
        self.bus, self.name, self.signals = bus, name, []
        bus.signal_subscribe(None, ITEM_INTERFACE, None, ITEM_PATH, None, Gio.DBusSignalFlags.NONE,
                             lambda *signal: self.signals.append(signal[4]))

    def call(self, path, interface, method, parameters, reply):
        return call(self.bus, self.name, path, interface, method, parameters, reply)

    def properties(self):
        return self.call(ITEM_PATH, "org.freedesktop.DBus.Properties", "GetAll",
                         GLib.Variant("(s)", (ITEM_INTERFACE,)), "(a{sv})")[0]

    def has_icon(self):
        try:
            return bool(self.properties()["IconPixmap"])
        except GLib.Error:  # not on the bus yet
            return False

    def menu_layout(self, names=()):
        return self.call(self.properties()["Menu"], MENU_INTERFACE, "GetLayout",
                         GLib.Variant("(iias)", (0, -1, list(names))), "(u(ia{sv}av))")[1]

    def menu_items(self):
        return [(child[0], child[1]) for child in self.menu_layout()[2]]

    def menu_id(self, label):
        found = [item_id for item_id, properties in self.menu_items()
                 if properties.get("label") == label]
        check(found, "no menu item %r" % label)
        return found[0]

    def choose(self, label):
        self.call(self.properties()["Menu"], MENU_INTERFACE, "Event", GLib.Variant(
            "(isvu)", (self.menu_id(label), "clicked", GLib.Variant("i", 0), 0)), "()")

    def changes(self):
        return [signal for signal in self.signals
                if signal in ("NewIcon", "NewTitle", "NewToolTip", "XAyatanaNewLabel")]


def refusal(item, path, interface, method, parameters):
    try:
        item.call(path, interface, method, parameters, "r")
    except GLib.Error as error:
        return error
    raise Failure("%s was answered" % method)


class Session:
    """The bundle with a private home and a copy of the sample battery."""

    def __init__(self, bundle, display=None, env=None):
        self.bundle = os.path.abspath(bundle)
        self.executable = os.path.join(self.bundle, "Contents", "MacOS", "Zerarazi")
        self.folder = tempfile.mkdtemp(prefix="zerarazi-desktop-")
        os.chmod(self.folder, 0o755)
        self.home = os.path.join(self.folder, "home")
        os.mkdir(self.home)
        self.battery = shutil.copy(self.resource("sample-battery.plist"), self.folder)
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        self.bus_address = os.environ["DBUS_SESSION_BUS_ADDRESS"]
        self.env = dict(env or {}, **({"DISPLAY": display} if display else {}))
        self.theme = {}  # GTK_THEME for a dark run
        self.xvfb = self.app = None
        self.connections = {}  # process id: its connection to the session bus
        self.stderr_path = os.path.join(self.folder, "stderr")

    def resource(self, name):
        return os.path.join(self.bundle, "Contents", "Resources", name)

    def environment(self, display_kind):
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.home,
               "ZERARAZI_DISPLAY": display_kind, "ZERARAZI_BATTERY": self.battery,
               "NO_AT_BRIDGE": "1", "GTK_A11Y": "none",
               "DBUS_SESSION_BUS_ADDRESS": self.bus_address,
               # Fontconfig keeps its caches for the life of the process; anything else that
               # is left at exit in a sanitizer build fails the case.
               "LSAN_OPTIONS": "suppressions=" + os.path.join(HERE, "leaks.supp")}
        env.update(self.env, **self.theme)
        return {name: value for name, value in env.items() if value is not None}

    def driver(self, script):
        run = subprocess.run([self.executable], input=script + "\n", capture_output=True,
                             text=True, env=self.environment("driver"), timeout=20,
                             cwd=self.folder)
        return [json.loads(line) for line in run.stdout.splitlines() if line.startswith("{")]

    def reference(self, script, event):
        return last(self.driver(script), event)

    def rename(self, name, identifier):
        """Runs a copy of the bundle with another name and identifier in its Info.plist."""
        self.bundle = shutil.copytree(self.bundle, os.path.join(self.folder, name + ".app"))
        self.executable = os.path.join(self.bundle, "Contents", "MacOS", "Zerarazi")
        path = os.path.join(self.bundle, "Contents", "Info.plist")
        with open(path, "rb") as plist:
            info = dict(plistlib.load(plist), CFBundleName=name, CFBundleIdentifier=identifier)
        with open(path, "wb") as plist:
            plistlib.dump(info, plist)

    def start(self):
        with open(self.stderr_path, "a") as stderr:
            self.app = subprocess.Popen([self.executable], env=self.environment("desktop"),
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=stderr, cwd=self.folder)

    def item_name(self):
        """The application's connection, remembered to be named once the application has gone."""
        if self.app.pid not in self.connections:
            found = connection_of_process(self.bus, self.app.pid)
            if not found:
                return ":no-connection-of-%d" % self.app.pid
            self.connections[self.app.pid] = found
        return self.connections[self.app.pid]

    def item(self, seconds=10):
        run_until(lambda: name_has_owner(self.bus, self.item_name()), seconds, "the item")
        item = Item(self.bus, self.item_name())
        run_until(item.has_icon, seconds, "the item's icon")
        return item

    def errors(self):
        if not os.path.exists(self.stderr_path):
            return ""
        with open(self.stderr_path, errors="replace") as text:
            return text.read()

    def wait_for_exit(self, seconds=5):
        try:
            return self.app.wait(seconds)
        except subprocess.TimeoutExpired:
            raise Failure("the application did not end")

    def exited_with(self, status, what):
        code = self.wait_for_exit()
        check(code == status, "%s: the application ended with status %r, not %d" % (what, code,
                                                                                     status))

    def terminated(self):
        self.app.terminate()
        self.exited_with(0, "SIGTERM")

    def close(self):
        if self.app and self.app.poll() is None:
            self.app.kill()
            self.app.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


def last(lines, event):
    found = [line for line in lines if line.get("event") == event]
    check(found, "the driver wrote no %s line" % event)
    return found[-1]


def registered_item(session, watcher, count=1):
    run_until(lambda: len(watcher.items) >= count, 20, "the item to register")
    check(watcher.items[-1] == ITEM_PATH, "registered %r, not the item's path" % watcher.items[-1])
    return Item(session.bus, session.item_name())


def show_item(session):
    watcher = Watcher(session.bus)
    watcher.start()
    session.start()
    return registered_item(session, watcher), watcher


def windows_named(name):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % name],
                          capture_output=True, text=True).stdout.split()


def visible_window(name, seconds=15):
    return run_until(lambda: windows_named(name), seconds, "a visible window %r" % name)[0]


def xdotool(*words):
    return subprocess.run(["xdotool"] + [str(word) for word in words], check=True,
                          capture_output=True, text=True).stdout


def click(x, y, button=1):
    xdotool("mousemove", "--sync", x, y, "click", button)


def gone(title, how):
    run_until(lambda: not windows_named(title), 5, "%s to close %r" % (how, title))


def answer(title):
    xdotool("windowfocus", "--sync", visible_window(title), "key", "Return")
    gone(title, "Return")


def press_close_button(window_id):
    """WM_DELETE_WINDOW as a window manager (there is none) sends it for the close button: an
    XClientMessageEvent laid out as the longs of a 64-bit XEvent."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype, x11.XInternAtom.restype = ctypes.c_void_p, ctypes.c_ulong
    display = ctypes.c_void_p(x11.XOpenDisplay(None))
    check(display.value, "cannot open the X display")
    atoms = [x11.XInternAtom(display, name, 0) for name in (b"WM_PROTOCOLS", b"WM_DELETE_WINDOW")]
    event = (ctypes.c_long * 24)(33, 0, 1, 0, int(window_id), atoms[0], 32, atoms[1])
    x11.XSendEvent(display, ctypes.c_ulong(int(window_id)), 0, 0, event)
    x11.XCloseDisplay(display)  # which sends it


def offers_close(window_id):
    """Whether a window manager would draw a close button (with MWM_FUNC_ALL, the functions
    listed in _MOTIF_WM_HINTS are the ones left out)."""
    text = subprocess.run(["xprop", "-id", str(window_id), "_MOTIF_WM_HINTS"],
                          capture_output=True, text=True).stdout
    hints = [int(word, 0) for word in text.partition("=")[2].replace(",", " ").split()]
    return len(hints) < 2 or not hints[0] & 1 or bool(hints[1] & 0x20) != bool(hints[1] & 1)


def screenshot(path, displays={}):
    from gi.repository import Gdk

    name = os.environ["DISPLAY"]
    root = displays.setdefault(name, Gdk.Display.open(name)).get_default_screen().get_root_window()
    Gdk.pixbuf_get_from_window(root, 0, 0, root.get_width(), root.get_height()).savev(
        path, "png", ["compression"], ["1"])


def pixel_rows(picture):
    data, stride, channels = picture.get_pixels(), picture.get_rowstride(), picture.get_n_channels()
    return [[tuple(data[y * stride + x * channels:y * stride + (x + 1) * channels])
             for x in range(picture.get_width())] for y in range(picture.get_height())]


def painted_part(width, height, argb):
    rgba = bytes(argb[i + k] for i in range(0, len(argb), 4) for k in (1, 2, 3, 0))
    painted = [(i // 4 % width, i // 4 // width) for i in range(3, len(rgba), 4) if rgba[i]]
    xs, ys = [x for x, _ in painted], [y for _, y in painted]
    picture = GdkPixbuf.Pixbuf.new_from_bytes(GLib.Bytes.new(rgba), GdkPixbuf.Colorspace.RGB,
                                              True, 8, width, height, width * 4)
    return picture.new_subpixbuf(min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)


def shown_pixmaps(properties):
    return [(width, height, bytes(data)) for width, height, data in properties["IconPixmap"]]


def expected_pixmaps(png_path, tint):
    """A template picture as the item shows it in the panel's tint (ARGB32, network order): 1x is
    the mean alpha of each 2 x 2 block, 2x the picture's own."""
    rows = pixel_rows(GdkPixbuf.Pixbuf.new_from_file(png_path))
    alpha = [[pixel[3] if len(pixel) == 4 else 255 for pixel in row] for row in rows]
    one = [(sum(alpha[2 * y + dy][2 * x + dx] for dx in (0, 1) for dy in (0, 1)) + 2) // 4
           for y in range(len(rows) // 2) for x in range(len(rows[0]) // 2)]
    two = [value for row in alpha for value in row]
    return [(len(rows[0]) // scale, len(rows) // scale,
             b"".join(bytes((a, tint, tint, tint)) for a in values))
            for scale, values in ((2, one), (1, two))]


def check_icon(properties, png, tint):
    shown, expected = shown_pixmaps(properties), expected_pixmaps(png, tint)
    sizes = [pixmap[:2] for pixmap in shown]
    check(sizes == [pixmap[:2] for pixmap in expected], "icon sizes %r" % sizes)
    for (width, height, pixels), (_, _, wanted) in zip(shown, expected):
        wrong = [i for i in range(0, len(wanted), 4) if pixels[i:i + 4] != wanted[i:i + 4]]
        check(not wrong, "%dx%d icon: %d pixels differ from %s painted %d, the first at %d" % (
            width, height, len(wrong), os.path.basename(png), tint, wrong[0] // 4 if wrong else 0))


def contrast(one, other):
    def luminance(colour):
        linear = [c / 255 / 12.92 if c <= 10 else ((c / 255 + 0.055) / 1.055) ** 2.4
                  for c in colour[:3]]
        return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]

    lighter, darker = sorted((luminance(one), luminance(other)), reverse=True)
    return (lighter + 0.05) / (darker + 0.05)


def window_picture(window_id):
    geometry = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell",
                                                        window_id).split())
    path = tempfile.mktemp(suffix=".png")
    screenshot(path)
    whole = GdkPixbuf.Pixbuf.new_from_file(path)
    os.unlink(path)
    return whole.new_subpixbuf(*(int(geometry[key]) for key in ("X", "Y", "WIDTH", "HEIGHT")))


def pixels_near(picture, colour, tolerance):
    data, channels = picture.get_pixels(), picture.get_n_channels()
    stride, width = picture.get_rowstride(), picture.get_width()
    return sum(all(abs(data[row + x * channels + k] - colour[k]) <= tolerance for k in range(3))
               for row in range(0, stride * picture.get_height(), stride) for x in range(width))


def power_supply(session, percent, status="Discharging", mains=False, microvolts=None, limit=None):
    """A power_supply tree in place of the recorded battery, read anew by each refresh."""
    folder = os.path.join(session.folder, "power_supply")
    battery = ("POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=%s\nPOWER_SUPPLY_CAPACITY=%d\n"
               "POWER_SUPPLY_CHARGE_NOW=%d\nPOWER_SUPPLY_CHARGE_FULL=4000000\n"
               "POWER_SUPPLY_CHARGE_FULL_DESIGN=4000000\n" % (status, percent, percent * 40000))
    battery += "POWER_SUPPLY_VOLTAGE_NOW=%d\n" % microvolts if microvolts else ""
    battery += "POWER_SUPPLY_CHARGE_CONTROL_END_THRESHOLD=%d\n" % limit if limit else ""
    for name, text in (("AC", "POWER_SUPPLY_TYPE=Mains\nPOWER_SUPPLY_ONLINE=%d\n" % mains),
                       ("BAT0", battery)):
        os.makedirs(os.path.join(folder, name), exist_ok=True)
        path = os.path.join(folder, name, "uevent")
        with open(path + ".new", "w") as uevent:
            uevent.write(text)
        os.replace(path + ".new", path)
    session.battery = folder


HISTORY_SCHEMA = "".join("""
CREATE TABLE %s(time INTEGER PRIMARY KEY, percent INTEGER NOT NULL, left_mah INTEGER,
    current_ma INTEGER, state INTEGER NOT NULL, on_mains INTEGER NOT NULL);""" % table
                         for table in ("readings", "hourly")) + """
CREATE TABLE health(battery TEXT NOT NULL, day INTEGER NOT NULL, full_mah INTEGER NOT NULL,
    design_mah INTEGER NOT NULL, cycles INTEGER, PRIMARY KEY(battery, day));
PRAGMA user_version = 1;"""


def write_history(home, now):
    """Two days of readings a minute (off from 01:00 to 07:00 UTC, charging from 18:00 to 20:00)
    and sixty days of health, as the store writes them."""
    import sqlite3

    folder = os.path.join(home, ".local", "share", "zerarazi")
    os.makedirs(folder)
    db = sqlite3.connect(os.path.join(folder, "history.sqlite3"))
    db.executescript(HISTORY_SCHEMA)
    readings, charge = [], 60.0
    for t in range(now - 2 * 86400, now - 1200, 60):
        hour = t % 86400 // 3600
        if 1 <= hour < 7:
            continue
        charging = 18 <= hour < 20
        charge = min(100.0, charge + 0.5) if charging else max(5.0, charge - 0.08)
        readings.append((t, round(charge), None, None, int(charging), int(charging)))
    db.executemany("INSERT INTO readings VALUES(?, ?, ?, ?, ?, ?)", readings)
    today = now // 86400
    db.executemany("INSERT INTO health VALUES(?, ?, ?, ?, ?)",
                   [("ZR0000SAMPLE", day, 5400 - 3 * (day - today + 60), 5500, None)
                    for day in range(today - 60, today)])
    db.commit()
    db.close()


def case_status_item(session):
    """The item's properties, icon, label and menu; alerts are modal and their loop sends the panel
    nothing; Quit waits for the About box, then takes the item off the bus."""
    status, menu = session.reference("dump", "status"), session.reference("dump", "menu")
    alert, about = session.reference("menu 3", "alert")["title"], "About Zerarazi"
    item, _ = show_item(session)
    properties = item.properties()
    fixed = {"Id": "org.zerarazi.Zerarazi", "Category": "Hardware", "Status": "Active",
             "Title": "Zerarazi", "ItemIsMenu": True, "XAyatanaLabel": status["title"]}
    shown = {key: properties.get(key) for key in fixed}
    check(shown == fixed, "the item's properties are %r" % shown)
    check(status["template"], "the status picture is a template")
    # No portal and no GNOME: the panel is drawn with the GTK theme, Adwaita here, which is light,
    # so the template is painted black.
    check_icon(properties, session.resource(status["image"]), 0)
    tool_tip = properties["ToolTip"]
    check(tool_tip[2:4] == (status["title"], status["tooltip"] or ""),
          "the tooltip is %r" % (tool_tip,))
    # A click the panel sends as Activate is refused as a method the item lacks, so that the
    # panel opens the menu instead.
    error = refusal(item, ITEM_PATH, ITEM_INTERFACE, "Activate", GLib.Variant("(ii)", (0, 0)))
    check("UnknownMethod" in error.message, "Activate failed with %s" % error.message)

    root = item.menu_layout()[1]
    check(root.get("children-display") == "submenu", "the menu's root says %r" % root)
    shown = item.menu_items()
    check(len(shown) == len(menu["items"]), "the menu has %d items" % len(shown))
    for (item_id, props), model in zip(shown, menu["items"]):
        if model.get("separator"):
            check(props.get("type") == "separator", "item %d is not a separator" % item_id)
            continue
        keys = [key for name, key in SHORTCUT_MODIFIERS.items() if name in model["modifiers"]]
        check((props.get("label"), props.get("enabled", True), props.get("shortcut")) ==
              (model["title"], model["enabled"], [keys + [model["key"]]] if model["key"] else None),
              "item %d is %r for %r" % (item_id, props, model))

    signals_before = len(item.changes())
    item.choose("Show Battery Information...")
    window = visible_window(alert)
    # An alert is answered by its buttons only: no close button, and a close request is refused.
    check(not offers_close(window), "the alert offers a close button")
    press_close_button(window)
    item.choose("Preferences...")
    answer(alert)
    settle(0.3)
    check(not windows_named("Preferences"), "a menu choice went past the modal alert")
    check(len(item.changes()) == signals_before,
          "refreshes that changed nothing sent %r" % item.changes()[signals_before:])
    item.choose("About")
    visible_window(about)
    item.choose("Quit Zerarazi")
    settle(0.5)
    check(session.app.poll() is None, "Quit went past the About box")
    answer(about)
    session.exited_with(0, "Quit after the About box")
    check(not name_has_owner(session.bus, session.item_name()), "the item's name outlived it")


def case_title_in_icon(session):
    """The charge drawn into a square icon (this panel is not known to show wide ones), no label."""
    preferences = os.path.join(session.home, "Library", "Preferences")
    os.makedirs(preferences)
    with open(os.path.join(preferences, "org.zerarazi.Zerarazi.plist"), "wb") as plist:
        plistlib.dump({"ShowPercentage": 1, "IconShowsTitle": "always"}, plist)
    title = session.reference("dump", "status")["title"]
    check(title.endswith("%"), "the title is %r" % title)
    show_item(session)
    properties = session.item().properties()
    check("XAyatanaLabel" not in properties, "the label is %r" % properties.get("XAyatanaLabel"))
    sizes = [pixmap[:2] for pixmap in shown_pixmaps(properties)]
    check(sizes == [(16, 16), (32, 32)], "icon sizes %r" % sizes)
    check(properties["IconName"] == "" and properties["IconThemePath"] == "",
          "a panel not known to repaint icons was given one by name")
    session.terminated()


def case_watcher_restart(session):
    """A panel's restart is not worth a word, its absence is said once; the item comes back."""
    item, watcher = show_item(session)
    label = item.properties()["XAyatanaLabel"]
    watcher.stop()
    watcher.start()
    item = registered_item(session, watcher, count=2)
    check(item.properties()["XAyatanaLabel"] == label, "the label changed across the restart")
    settle(1.5)
    check("no panel" not in session.errors(), "a panel's restart was reported as missing")
    watcher.stop()
    run_until(lambda: "no panel" in session.errors(), 5, "the line about the missing panel")
    watcher.start()
    registered_item(session, watcher, count=3)
    check(session.errors().count("no panel") == 1, "the missing panel was reported twice")
    session.terminated()


def case_panel_tint(session):
    """The portal's dark scheme beats the light theme (a white icon); light repaints it black."""
    png = session.resource(session.reference("dump", "status")["image"])
    portal = Portal(session.bus, 1)
    item, _ = show_item(session)
    check_icon(item.properties(), png, 255)
    portal.change(2)
    run_until(lambda: "NewIcon" in item.signals, 5, "NewIcon after the colour scheme changed")
    check_icon(item.properties(), png, 0)


def case_preferences(session):
    """A box of Preferences changes the label, the window disabling its menu item; settings that
    cannot be stored are told once, under the renamed bundle's name and icon."""
    session.rename("Volta", "org.example.Volta")
    with open(os.path.join(session.home, "Library"), "w") as text:
        text.write("not a folder")
    reference = session.driver("menu 4\nclick 3")
    window = last(reference, "window")
    box = next(control for control in window["controls"] if control["number"] == 3)
    notifications = Notifications(session.bus)
    item, _ = show_item(session)
    properties = item.properties()
    check((properties["Title"], properties["Id"]) == ("Volta", "org.example.Volta"),
          "the item is %r, %r" % (properties["Title"], properties["Id"]))
    menu_signals = []
    session.bus.signal_subscribe(None, MENU_INTERFACE, None, properties["Menu"], None,
                                 Gio.DBusSignalFlags.NONE,
                                 lambda *arguments: menu_signals.append(arguments[4]))
    item.choose("Preferences...")
    visible_window(window["title"])
    # The open window disables its menu item: the panel hears of that item, not of a new menu.
    run_until(lambda: "ItemsPropertiesUpdated" in menu_signals, 5, "the menu item to change")
    check("LayoutUpdated" not in menu_signals, "the menu was laid out anew: %r" % menu_signals)
    check(dict(item.menu_items())[item.menu_id("Preferences...")].get("enabled") is False,
          "Preferences... is still enabled while its window is open")
    item.signals.clear()
    # Without a window manager the window sits exactly where the model put it.
    click(box["x"] + 8, box["y"] + box["height"] // 2)
    run_until(lambda: "XAyatanaNewLabel" in item.signals, 5, "the label to change")
    label = item.properties()["XAyatanaLabel"]
    check(label == last(reference, "status")["title"], "the label is %r after the click" % label)
    press_close_button(visible_window(window["title"]))
    gone(window["title"], "the close button")
    run_until(lambda: notifications.shown, 5, "a notification")
    settle(0.3)
    check([shown[:4] for shown in notifications.shown] == [
        ("Volta", 0, "org.example.Volta", "Volta")], "notifications: %r" % notifications.shown)
    body = notifications.shown[0][4]
    check("cannot store settings" in body, "the notification says %r" % body)
    check(body in session.errors(), "standard error lacks the notification")


def case_condition_warning(session):
    """A poor battery's alert comes before the item, its sound silent without complaint."""
    with open(session.battery) as text:
        recording = text.read()
    with open(session.battery, "w") as text:
        text.write(recording.replace("<key>Registry</key>\n\t<dict>",
                                     "<key>Registry</key>\n\t<dict>\n\t\t<key>BatteryHealth</key>"
                                     "<string>Poor</string>", 1))
    alert = session.reference("", "alert")
    check(alert["icon"] == "caution", "the warning's icon is %r" % alert["icon"])
    watcher = Watcher(session.bus)
    watcher.start()
    session.start()
    visible_window(alert["title"])
    check(not watcher.items, "the status item came before the warning was answered")
    answer(alert["title"])
    registered_item(session, watcher)
    complaints = [line for line in session.errors().splitlines()
                  if any(word in line.lower() for word in ("alsa", "canberra", "sound"))]
    check(not complaints, "the sound complained: %r" % complaints)


def case_charge_warnings(session):
    """Low, then critical in its place and urgent; beside a power manager only full shows."""
    notifications = Notifications(session.bus)
    power_supply(session, 19)
    session.start()
    run_until(lambda: notifications.shown, 5, "the low warning")
    power_supply(session, 4)
    run_until(lambda: len(notifications.shown) == 2, 15, "the critical warning")
    shown = [(replaces, summary, urgency) for _, replaces, _, summary, _, urgency
             in notifications.shown]
    check(shown == [(0, "Battery Low", None), (1, "Battery Critically Low", 2)],
          "notifications: %r" % shown)
    session.app.kill()
    session.app.wait()

    notifications.shown.clear()
    serve(session.bus, "org.gnome.SettingsDaemon.Power", NOTIFICATIONS_XML, "/quiet",
          lambda *arguments: None)
    power_supply(session, 20)  # the low threshold itself
    session.start()
    settle(1)
    power_supply(session, 100, "Full", mains=True)
    run_until(lambda: notifications.shown, 15, "the full warning")
    settle(0.3)
    check(notifications.summaries() == ["Battery Fully Charged"],
          "notifications beside a power manager: %r" % notifications.shown)


def case_charge_limit(session):
    """Held at its 80 % limit: the notice; Charge to 100% Once without the service is refused."""
    power_supply(session, 80, "Not charging", mains=True, limit=80)
    session.env["DBUS_SYSTEM_BUS_ADDRESS"] = "unix:path=" + os.path.join(session.folder, "none")
    window = last(session.driver("menu 4"), "window")
    controls = {control["number"]: control for control in window["controls"]}
    limit, choice = controls[12], controls[13]
    check((limit["text"], limit["state"], choice["items"][choice["state"]]) == (
        "Limit Charge to 80%", 1, "80%"), "the driver's controls: %r" % controls)
    notifications = Notifications(session.bus)
    item, _ = show_item(session)
    run_until(lambda: notifications.shown, 15, "the limit's notice")
    check(notifications.summaries() == ["Charge Limit Reached"],
          "notices: %r" % notifications.shown)
    item.choose("Preferences...")
    visible_window(window["title"])
    settle(0.5)
    once = controls[14]
    click(once["x"] + 20, once["y"] + once["height"] // 2)
    run_until(lambda: len(notifications.shown) == 2, 10, "the refusal's notice")
    check(notifications.shown[-1][3] == "Charge Limit Not Changed" and
          "not installed" in notifications.shown[-1][4], "notices: %r" % notifications.shown)
    check("Charge limit not changed: the charge limit's service is not installed" in
          session.errors(), "standard error: %r" % session.errors())


def oversized_requests(menu_path, ids):
    """(path, interface, method, parameters, what the refusal names), each over its bound."""
    many = [ids[i % len(ids)] for i in range(1025)]
    hovered = (ids[0], "hovered", GLib.Variant("i", 0), 0)
    menu = (menu_path, MENU_INTERFACE)
    return [
        menu + ("GetLayout", GLib.Variant("(iias)", (0, -1, ["label"] * 10_000)),
                "10000 property names"),
        menu + ("GetLayout", GLib.Variant("(iias)", (0, -1, ["label"] * 65)), "65 property names"),
        menu + ("GetGroupProperties", GLib.Variant("(aias)", (many, [])), "1025 ids"),
        menu + ("GetGroupProperties", GLib.Variant("(aias)", (ids, ["label"] * 65)),
                "65 property names"),
        menu + ("AboutToShowGroup", GLib.Variant("(ai)", (many,)), "1025 ids"),
        menu + ("EventGroup", GLib.Variant("(a(isvu))", ([hovered] * 1025,)), "1025 events"),
        menu + ("Event", GLib.Variant("(isvu)", (ids[0], "hovered",
                                                 GLib.Variant("ay", bytes(65536)), 0)), "bytes"),
        (ITEM_PATH, ITEM_INTERFACE, "ContextMenu", GLib.Variant("(ay)", (bytes(65),)),
         "65 elements"),
    ]


def case_bus_limits(session):
    """Calls over their bounds are refused and reach nothing; the item goes on answering."""
    item, _ = show_item(session)
    menu_path, shown = item.properties()["Menu"], item.menu_items()
    ids = [item_id for item_id, _ in shown]
    for path, interface, method, parameters, named in oversized_requests(menu_path, ids):
        error = refusal(item, path, interface, method, parameters)
        remote = Gio.DBusError.get_remote_error(error)
        check(remote == "org.freedesktop.DBus.Error.LimitsExceeded" and method in error.message
              and named in error.message, "%s failed with %s: %s" % (method, remote, error.message))
    # At its bound a request is answered in full.
    layout = item.menu_layout(names=["label"] * 64)
    check(len(layout[2]) == len(shown), "the layout at the bound has %d items" % len(layout[2]))
    groups = item.call(menu_path, MENU_INTERFACE, "GetGroupProperties",
                       GLib.Variant("(aias)", (ids * (1024 // len(ids)), [])), "(a(ia{sv}))")[0]
    check({group[0] for group in groups} == set(ids), "properties of ids %r" % groups)
    check(item.menu_items() == shown, "the menu changed")
    # GLib before 2.76 keeps the blocks the bus's worker parsed a large message into, unless
    # GSlice is plain malloc: the application started itself again with it so.
    if GLib.check_version(2, 76, 0) is not None:
        with open("/proc/%d/environ" % session.app.pid, "rb") as environment:
            check(b"G_SLICE=always-malloc" in environment.read().split(b"\0"),
                  "the application runs with GLib's own block allocator")
    item.choose("Quit Zerarazi")
    session.exited_with(0, "Quit")


def lose_bus(session):
    daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                              stdout=subprocess.PIPE, text=True)
    session.bus_address = daemon.stdout.readline().strip()
    check(session.bus_address, "the second bus did not start")
    session.bus = Gio.DBusConnection.new_for_address_sync(
        session.bus_address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
        | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
    session.bus.set_exit_on_close(False)
    return daemon


def lose_compositor(session):
    skip_unless(("sway", "setpriv"))
    compositor, runtime, socket = start_sway("", {"PATH": os.environ["PATH"]}, session.folder)
    # GDK finds the socket in the runtime folder only.
    session.env = {"XDG_RUNTIME_DIR": runtime, "WAYLAND_DISPLAY": socket, "GDK_BACKEND": "wayland"}
    return compositor


# What takes the application's surroundings away (SIGKILL as a crash, releasing no name first;
# SIGTERM as a session's end), the status it ends with and the one line it says.
LOSSES = {"bus_closed": (lose_bus, signal.SIGKILL, 3, "zerarazi: the session bus closed"),
          "bus_ended": (lose_bus, signal.SIGTERM, 3, "zerarazi: the session bus closed"),
          "display_closed": (lambda session: session.xvfb, signal.SIGKILL, 4, DISPLAY_CLOSED),
          "compositor_closed": (lose_compositor, signal.SIGKILL, 4, DISPLAY_CLOSED)}


def case_lost(session, loss):
    lose, how, status, line = LOSSES[loss]
    taken = lose(session)
    try:
        show_item(session)
        settle(0.3)
        before = len(session.errors())
    finally:
        taken.send_signal(how)
        taken.wait()
    session.exited_with(status, loss)
    lines = session.errors()[before:].splitlines()
    check(lines == [line], "standard error ends with %r, not the one line %r" % (lines, line))


# The charge's line as the charts draw it on a light and on a dark background.
LIGHT_LINE, DARK_LINE = (28, 112, 217), (120, 173, 237)


def case_history_charts(session):
    """Battery Information's charts of the history, in the palette of the dialog's theme."""
    write_history(session.home, int(time.time()))
    alert = session.reference("menu 3", "alert")["title"]
    watcher = Watcher(session.bus)
    watcher.start()
    runs = (("light", {}, LIGHT_LINE, DARK_LINE),
            ("dark", {"GTK_THEME": "Adwaita:dark"}, DARK_LINE, LIGHT_LINE))
    for count, (name, theme, line, other) in enumerate(runs, 1):
        session.theme = theme
        session.start()
        item = registered_item(session, watcher, count)
        item.choose("Show Battery Information...")
        window = visible_window(alert)
        # Close to the line's own colour: either line's smoothed edges come near the other's.
        picture = run_until(lambda: (lambda shown: pixels_near(shown, line, 8) > 200 and shown)(
            window_picture(window)), 5, "the %s charts to be drawn" % name)
        check(picture.get_height() > 400, "the %s alert is %d high" % (name, picture.get_height()))
        check(pixels_near(picture, other, 8) < 50, "the %s alert has the other palette's line"
              % name)
        answer(alert)
        item.choose("Quit Zerarazi")
        session.exited_with(0, "Quit")


def case_quiet_refresh(session):
    """A refresh that shows nothing new sends nothing; a new title sends label and tooltip only."""
    power_supply(session, 57, microvolts=11800000)
    item, watcher = show_item(session)
    sent = []
    session.bus.signal_subscribe(session.item_name(), None, None, None, None,
                                 Gio.DBusSignalFlags.NONE, lambda *signal: sent.append(signal[4]))
    settle(0.5)
    sent.clear()
    power_supply(session, 57, microvolts=11700000)
    settle(10.5)  # a refresh reads the new voltage
    check(sent == [], "a refresh that changed nothing shown sent %r" % sent)
    power_supply(session, 56, microvolts=11600000)
    run_until(lambda: "NewToolTip" in sent, 12, "the new title")
    settle(0.5)
    check(sorted(sent) == ["NewToolTip", "XAyatanaNewLabel"], "a new title sent %r" % sent)
    label = item.properties()["XAyatanaLabel"]
    check(label == "56%", "the label is %r" % label)
    check(len(watcher.items) == 1, "the item registered %d times" % len(watcher.items))
    session.terminated()


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
    import pyatspi

    print(json.dumps([read_node(window) for application in pyatspi.Registry.getDesktop(0)
                      if application is not None and application.name == "Zerarazi"
                      for window in application if window is not None]))


def read_window(name, role):
    """The tree of the application's showing window, once a fresh reader finds it."""
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


def check_preferences(window, model):
    """The window's one panel holds the model's controls in order, each with its name, role,
    state and action."""
    controls = window["children"][0]["children"] if len(window["children"]) == 1 else []
    shown = [(node["role"], node["name"]) for node in controls]
    check(len(shown) == len(model["controls"]), "Preferences shows %r" % shown)
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
        check(shown == wanted, "%r where the model has %r" % (shown, wanted))


def check_alert(window, model, title):
    """The title, the texts without the blank lines around them (the first line keeps its
    indent), an icon and the model's buttons in order, the first the default."""
    check(window["name"] == title, "the alert is named %r, not %r" % (window["name"], title))
    nodes = list(descendants(window))
    body = model["text"].rstrip(" \t\r\n")
    first = len(body) - len(body.lstrip(" \t\r\n"))
    body = body[max(body.rfind("\n", 0, first), body.rfind("\r", 0, first)) + 1:]
    texts = [(text, text) for text in (model["title"], body) if text]
    labels = [(node["name"], node["text"]) for node in nodes if node["role"] == "label"]
    check(labels == texts, "the alert's labels read %r, not %r" % (labels, texts))
    check(any(node["role"] == "icon" for node in nodes), "the alert has no icon")
    buttons = [node for node in nodes if node["role"] == "push button"]
    check([node["name"] for node in buttons] == model["buttons"], "the alert's buttons are %r"
          % [(node["role"], node["name"]) for node in buttons])
    for node in buttons:
        check(node["actions"] == ["click"] and "showing" in node["states"],
              "%r: %r %r" % (node["name"], node["actions"], node["states"]))
    check("is default" in buttons[0]["states"], "%r is not the default" % buttons[0]["name"])


def case_accessibility(session):
    """Preferences, the information alert and the About box read by screen readers: every
    control there with its name and role, the About box titled, and no GTK fault meanwhile."""
    services = "/usr/share/dbus-1/services/org.a11y.Bus.service"
    reader = subprocess.run([sys.executable, "-c", "import pyatspi"], capture_output=True)
    skip_unless((), [name for name, there in (("at-spi2-core", os.path.exists(services)), (
        "python3-pyatspi", reader.returncode == 0)) if not there])
    session.env.update(NO_AT_BRIDGE=None, GTK_A11Y=None)  # the application's bridge on
    preferences = last(session.driver("menu 4"), "window")
    information = last(session.driver("menu 3"), "alert")
    about = last(session.driver("menu 5"), "alert")
    # The model's About box has no title and its text begins with a line break; only this
    # display gives the box a title and drops the blank line.
    check(about["title"] == "" and about["text"].startswith("\n"), "the About box: %r" % about)
    item, _ = show_item(session)
    item.choose("Preferences...")
    for _ in range(2):  # a second reader finds the same
        check_preferences(read_window(preferences["title"], "frame"), preferences)
    for label, model, title in (("Show Battery Information...", information, information["title"]),
                                ("About", about, "About Zerarazi")):
        item.choose(label)
        check_alert(read_window(title, "dialog"), model, title)
        answer(title)
    check_preferences(read_window(preferences["title"], "frame"), preferences)  # after both
    settle(0.3)
    faults = [line for line in session.errors().splitlines()
              if any(fault in line for fault in ("-CRITICAL **", "-WARNING **", "-ERROR **"))]
    check(not faults, "the application printed %r" % faults)
    check(session.app.poll() is None, "the application ended")


CASES = dict({name[5:]: case for name, case in globals().items() if name.startswith("case_")},
             **{loss: lambda session, loss=loss: case_lost(session, loss) for loss in LOSSES})
del CASES["lost"]


def main():
    case, bundle = sys.argv[1], sys.argv[2]
    if case not in CASES:
        print("no case %r (%s)" % (case, ", ".join(CASES)))
        return 2
    server, display = start_xvfb()
    os.environ["DISPLAY"] = display  # for xdotool
    session = Session(bundle, display)
    session.xvfb = server
    try:
        CASES[case](session)
    except Failure as failure:
        print("FAILED: %s\napplication's standard error:\n%s" % (failure, session.errors()))
        return 1
    finally:
        session.close()
        end(server)
    print("passed")
    return 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--read"]:
        sys.exit(read_windows())
    on_private_bus(("Xvfb", "xdotool", "xprop"))
    sys.exit(main())
