#!/usr/bin/env python3
"""The desktop display as a panel and a person meet it.

On a private session bus and a virtual X server, this script is the panel: it owns
org.kde.StatusNotifierWatcher, starts the built bundle with ZERARAZI_DISPLAY=desktop, reads the
status item and its menu over D-Bus and drives the windows with xdotool. What the item should
show is taken from the same bundle run with the driver display on the same battery. The other
desktop scripts and the real panels' harness (hosts/) share its helpers.

    desktop_session.py CASE BUNDLE

Exits 77 (skipped) only when a tool it needs is not installed.
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

SKIPPED = 77
HERE = os.path.dirname(os.path.abspath(__file__))
SCREEN = (1440, 900)  # the driver's default screen, so that windows open in the same place
ITEM_PATH = "/StatusNotifierItem"
ITEM_INTERFACE = "org.kde.StatusNotifierItem"
MENU_INTERFACE = "com.canonical.dbusmenu"
WATCHER = "org.kde.StatusNotifierWatcher"
CHANGE_SIGNALS = ("NewIcon", "NewTitle", "NewToolTip", "XAyatanaNewLabel")
# The command key is Control on this desktop, and the model's Control is Super.
SHORTCUT_MODIFIERS = {"cmd": "Control", "shift": "Shift", "alt": "Alt", "ctrl": "Super"}
DISPLAY_CLOSED = "zerarazi: the display closed (X server or Wayland compositor gone)"

WATCHER_XML = """<node><interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
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
    """Exits 77 naming what is not installed: any of `tools`, python3-gi, and `missing`."""
    missing = [tool for tool in tools if not shutil.which(tool)] + list(missing)
    if Gio is None:
        missing.append("python3-gi")
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        sys.exit(SKIPPED)


def on_private_bus(tools, missing=(), config=None):
    """Runs this script again on a private session bus, unless it runs on one already."""
    if os.environ.get("ZERARAZI_PRIVATE_BUS"):
        return
    skip_unless(("dbus-run-session",) + tuple(tools), missing)
    os.environ["ZERARAZI_PRIVATE_BUS"] = "1"
    os.execvp("dbus-run-session", ["dbus-run-session"] + (["--config-file", config] if config
                                                          else []) + ["--", sys.executable] + sys.argv)


def start_xvfb(reset=False, screen=SCREEN):
    """Xvfb on a free display. The server resets when its last client leaves, and refuses a
    client that connects meanwhile (the application starting while an xdotool poll disconnects),
    so only a caller whose own client stays connected lets it reset."""
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
    """sway with the configuration text `config` on its headless back end or in a window of the
    X server of DISPLAY, drawn by pixman, as the user nobody when this runs as root (sway refuses
    root). Its runtime folder, also its HOME and where "{folder}" in `config` points, is made in
    `folder`, which the user must be able to pass. Answers the process, the runtime folder and
    the Wayland socket's name; SWAYSOCK is set to its socket for swaymsg."""
    runtime = os.path.join(folder, "sway")
    os.mkdir(runtime, 0o700)
    with open(os.path.join(runtime, "config"), "w") as text:
        text.write(config.replace("{folder}", runtime))
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
    """Ends a process, with its group when it leads one."""
    if process is None or process.poll() is not None:
        return
    leader = os.getpgid(process.pid) == process.pid
    for number in (15, 9):
        try:
            os.killpg(process.pid, number) if leader else process.send_signal(number)
            process.wait(seconds)
            return
        except ProcessLookupError:
            return
        except subprocess.TimeoutExpired:
            pass


# --- the bus -----------------------------------------------------------------------------------

def run_until(predicate, seconds, what, interval=0.01):
    """Runs the main context until `predicate` answers something true, and answers that; asks
    every `interval` seconds."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
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
    """A method of the bus itself."""
    return call(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                method, arguments, reply)


def name_has_owner(bus, name):
    return ask_bus(bus, "NameHasOwner", GLib.Variant("(s)", (name,)), "(b)")[0]


def connection_of_process(bus, pid):
    """The unique name of the connection that process `pid` holds; None when it holds none."""
    for name in ask_bus(bus, "ListNames", None, "(as)")[0]:
        try:
            if name.startswith(":") and ask_bus(bus, "GetConnectionUnixProcessID", GLib.Variant(
                    "(s)", (name,)), "(u)")[0] == pid:
                return name
        except GLib.Error:
            pass
    return None


def serve(bus, name, xml, path, on_call, on_property=None):
    """An object at `path` under the well-known `name`, as a desktop's service offers it;
    answers the ids of the name and of the object."""
    info = Gio.DBusNodeInfo.new_for_xml(xml).interfaces[0]
    registration = bus.register_object(path, info, on_call, on_property, None)
    owned = []
    owner = Gio.bus_own_name_on_connection(bus, name, Gio.BusNameOwnerFlags.NONE,
                                           lambda *_: owned.append(True), None)
    run_until(lambda: owned, 5, "the name " + name)
    return owner, registration


class Watcher:
    """A status notifier watcher that records the items that register."""

    def __init__(self, bus):
        self.bus = bus
        self.items = []

    def start(self):
        self.owner, self.object = serve(self.bus, WATCHER, WATCHER_XML, "/StatusNotifierWatcher",
                                        self.on_call, self.on_property)

    def stop(self):
        Gio.bus_unown_name(self.owner)
        self.bus.unregister_object(self.object)
        settle(0.1)

    def on_call(self, bus, sender, path, interface, method, parameters, invocation):
        if method == "RegisterStatusNotifierItem":
            self.items.append(parameters.unpack()[0])
        invocation.return_value(None)

    def on_property(self, bus, sender, path, interface, name):
        return {"RegisteredStatusNotifierItems": GLib.Variant("as", self.items),
                "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
                "ProtocolVersion": GLib.Variant("i", 0)}.get(name)


class Portal:
    """The XDG desktop portal's colour scheme, as a session would offer it."""

    def __init__(self, bus, color_scheme):
        self.bus, self.color_scheme = bus, color_scheme
        serve(bus, "org.freedesktop.portal.Desktop", PORTAL_XML, "/org/freedesktop/portal/desktop",
              lambda *arguments: arguments[-1].return_value(GLib.Variant("(v)", (self.scheme(),))))

    def scheme(self):
        return GLib.Variant("u", self.color_scheme)

    def change(self, color_scheme):
        self.color_scheme = color_scheme
        self.bus.emit_signal(None, "/org/freedesktop/portal/desktop",
                             "org.freedesktop.portal.Settings", "SettingChanged",
                             GLib.Variant("(ssv)", ("org.freedesktop.appearance", "color-scheme",
                                                    self.scheme())))


class Notifications:
    """A notification service that keeps the texts it is asked to show."""

    def __init__(self, bus):
        self.bodies = []
        self.senders = []  # (application name, icon, summary) of each
        self.shown = []  # (the id it replaces, summary, urgency) of each
        serve(bus, "org.freedesktop.Notifications", NOTIFICATIONS_XML,
              "/org/freedesktop/Notifications", self.on_call)

    def on_call(self, bus, sender, path, interface, method, parameters, invocation):
        name, replaces, icon, summary, body, _, hints = parameters.unpack()[:7]
        self.bodies.append(body)
        self.senders.append((name, icon, summary))
        self.shown.append((replaces, summary, hints.get("urgency")))
        invocation.return_value(GLib.Variant("(u)", (len(self.bodies),)))


class Item:
    """The status item as the panel sees it: its properties, its signals, its menu."""

    def __init__(self, bus, name):
        self.bus, self.name, self.signals = bus, name, []
        bus.signal_subscribe(None, ITEM_INTERFACE, None, ITEM_PATH, None,
                             Gio.DBusSignalFlags.NONE, lambda *signal: self.signals.append(
                                 signal[4]))

    def call(self, path, interface, method, parameters, reply):
        return call(self.bus, self.name, path, interface, method, parameters, reply)

    def properties(self):
        return self.call(ITEM_PATH, "org.freedesktop.DBus.Properties", "GetAll",
                         GLib.Variant("(s)", (ITEM_INTERFACE,)), "(a{sv})")[0]

    def has_icon(self):
        """Whether the item is on the bus with a picture (the panel may ask before either)."""
        try:
            return bool(self.properties()["IconPixmap"])
        except GLib.Error:
            return False

    def menu_layout(self, menu_path=None, names=()):
        return self.call(menu_path or self.properties()["Menu"], MENU_INTERFACE, "GetLayout",
                         GLib.Variant("(iias)", (0, -1, list(names))), "(u(ia{sv}av))")[1]

    def menu_items(self, menu_path=None):
        """The top level of the menu: (id, properties) of each item, in order."""
        return [(child[0], child[1]) for child in self.menu_layout(menu_path)[2]]

    def menu_id(self, label):
        found = [item_id for item_id, properties in self.menu_items()
                 if properties.get("label") == label]
        check(found, "no menu item %r" % label)
        return found[0]

    def choose(self, label):
        """What the panel's menu sends when a person picks the item with that label."""
        self.call(self.properties()["Menu"], MENU_INTERFACE, "Event", GLib.Variant(
            "(isvu)", (self.menu_id(label), "clicked", GLib.Variant("i", 0), 0)), "()")

    def changes(self):
        return [signal for signal in self.signals if signal in CHANGE_SIGNALS]


# --- the application ---------------------------------------------------------------------------

class Session:
    """The bundle with a private home and a copy of the sample battery, shown on `display` (an X
    display, or the variables of another in `env`)."""

    def __init__(self, bundle, display=None, env=None):
        self.bundle = os.path.abspath(bundle)
        self.executable = os.path.join(self.bundle, "Contents", "MacOS", "Zerarazi")
        self.folder = tempfile.mkdtemp(prefix="zerarazi-desktop-")
        os.chmod(self.folder, 0o755)
        self.home = os.path.join(self.folder, "home")
        os.mkdir(self.home)
        self.battery = os.path.join(self.folder, "battery.plist")
        shutil.copy(os.path.join(self.bundle, "Contents", "Resources", "sample-battery.plist"),
                    self.battery)
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        self.bus_address = os.environ["DBUS_SESSION_BUS_ADDRESS"]
        self.env = dict(env or {}, **({"DISPLAY": display} if display else {}))
        self.theme = {}  # GTK_THEME for a dark run
        self.xvfb = self.app = None
        self.connections = {}  # process id: its connection to the session bus
        self.stderr_path = os.path.join(self.folder, "stderr")

    def environment(self, display_kind):
        """A variable given as None is left out."""
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.home,
               "ZERARAZI_DISPLAY": display_kind, "ZERARAZI_BATTERY": self.battery,
               "NO_AT_BRIDGE": "1", "GTK_A11Y": "none", "DBUS_SESSION_BUS_ADDRESS": self.bus_address,
               # Fontconfig keeps its caches for the life of the process; anything else that
               # is left at exit in a sanitizer build fails the case.
               "LSAN_OPTIONS": "suppressions=" + os.path.join(HERE, "leaks.supp")}
        env.update(self.env)
        env.update(self.theme)
        return {name: value for name, value in env.items() if value is not None}

    def driver(self, script):
        """The JSON lines the bundle writes with the driver display for `script`."""
        run = subprocess.run([self.executable], input=script + "\n", capture_output=True,
                             text=True, env=self.environment("driver"), timeout=20,
                             cwd=self.folder)
        return [json.loads(line) for line in run.stdout.splitlines() if line.startswith("{")]

    def reference(self, script, event):
        """The last line of that event that the driver display writes for `script`."""
        return last(self.driver(script), event)

    def rename(self, name, identifier):
        """Runs a copy of the bundle whose Info.plist says another name and identifier. The
        executable is copied (the bundle is found from the running file), the rest linked."""
        contents = os.path.join(self.folder, name + ".app", "Contents")
        os.makedirs(os.path.join(contents, "MacOS"))
        original = os.path.join(self.bundle, "Contents")
        for part in ("Resources", "PlugIns", "Helpers"):
            os.symlink(os.path.join(original, part), os.path.join(contents, part))
        with open(os.path.join(original, "Info.plist"), "rb") as plist:
            info = plistlib.load(plist)
        info.update(CFBundleName=name, CFBundleIdentifier=identifier)
        with open(os.path.join(contents, "Info.plist"), "wb") as plist:
            plistlib.dump(info, plist)
        self.executable = shutil.copy(self.executable, os.path.join(contents, "MacOS"))

    def start(self):
        with open(self.stderr_path, "a") as stderr:
            self.app = subprocess.Popen([self.executable], env=self.environment("desktop"),
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=stderr, cwd=self.folder)

    def item_name(self):
        """The application's own connection, which the item registers under by its path; it is
        remembered, so that it can still be named once the application has gone."""
        if self.app.pid not in self.connections:
            found = connection_of_process(self.bus, self.app.pid)
            if not found:
                return ":no-connection-of-%d" % self.app.pid
            self.connections[self.app.pid] = found
        return self.connections[self.app.pid]

    def item(self, seconds=10):
        """The item on the application's connection, once it has its picture."""
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
    """Starts the application beside a watcher; answers its item once registered, and the
    watcher."""
    watcher = Watcher(session.bus)
    watcher.start()
    session.start()
    return registered_item(session, watcher), watcher


def exited_with(session, status, what):
    code = session.wait_for_exit()
    check(code == status, "%s: the application ended with status %r, not %d" % (what, code, status))


# --- windows, on the X server --------------------------------------------------------------------

def windows_named(name):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % name],
                          capture_output=True, text=True).stdout.split()


def visible_window(name, seconds=15):
    """The X window id of the visible window with that exact title."""
    return run_until(lambda: windows_named(name), seconds, "a visible window %r" % name)[0]


def no_visible_window(name):
    return not windows_named(name)


def xdotool(*words):
    return subprocess.run(["xdotool"] + [str(word) for word in words], check=True,
                          capture_output=True, text=True).stdout


def click(x, y, button=1):
    xdotool("mousemove", "--sync", x, y, "click", button)


def answer(title):
    """Return in the alert with that title, which must then go."""
    xdotool("windowfocus", "--sync", visible_window(title), "key", "Return")
    run_until(lambda: no_visible_window(title), 5, "Return to answer %r" % title)


def press_close_button(window_id):
    """What a window manager sends when a person presses a window's close button:
    WM_PROTOCOLS / WM_DELETE_WINDOW (there is no window manager here to do it)."""
    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                    ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                    ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]

    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XFlush.argtypes = x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    check(display, "cannot open the X display")
    event = ClientMessage(type=33, send_event=1, window=int(window_id), format=32,
                          message_type=x11.XInternAtom(display, b"WM_PROTOCOLS", 0))
    event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, int(window_id), 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def offers_close(window_id):
    """Whether a window manager would draw the window a close button (_MOTIF_WM_HINTS: with
    MWM_FUNC_ALL the functions listed are the ones left out)."""
    hints = window_property(window_id, "_MOTIF_WM_HINTS")
    if len(hints) < 2 or not hints[0] & 1:
        return True
    return bool(hints[1] & 0x20) != bool(hints[1] & 1)


def window_property(window_id, name):
    text = subprocess.run(["xprop", "-id", str(window_id), name], capture_output=True,
                          text=True).stdout
    return [int(word, 0) for word in text.partition("=")[2].replace(",", " ").split()]


def close_window(title):
    press_close_button(visible_window(title))
    run_until(lambda: no_visible_window(title), 5, "the window %r to close" % title)


# --- pictures ------------------------------------------------------------------------------------

def screenshot(path, displays={}):
    """The screen of the X server of DISPLAY, saved as a PNG picture at `path`."""
    from gi.repository import Gdk

    name = os.environ["DISPLAY"]
    displays.setdefault(name, Gdk.Display.open(name))
    root = displays[name].get_default_screen().get_root_window()
    Gdk.pixbuf_get_from_window(root, 0, 0, root.get_width(), root.get_height()).savev(
        path, "png", ["compression"], ["1"])


def pixel_rows(picture):
    """The picture's pixels as rows of tuples of its channels."""
    data, stride, channels = picture.get_pixels(), picture.get_rowstride(), picture.get_n_channels()
    return [[tuple(data[y * stride + x * channels:y * stride + (x + 1) * channels])
             for x in range(picture.get_width())] for y in range(picture.get_height())]


def painted_part(width, height, argb):
    """A pixmap as the item exports it (ARGB32, network order) as a picture, cropped to the
    pixels it paints."""
    rgba = bytes(argb[i + k] for i in range(0, len(argb), 4) for k in (1, 2, 3, 0))
    painted = [(i // 4 % width, i // 4 // width) for i in range(3, len(rgba), 4) if rgba[i]]
    xs, ys = [x for x, _ in painted], [y for _, y in painted]
    picture = GdkPixbuf.Pixbuf.new_from_bytes(GLib.Bytes.new(rgba), GdkPixbuf.Colorspace.RGB,
                                              True, 8, width, height, width * 4)
    return picture.new_subpixbuf(min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)


def shown_pixmaps(properties):
    return [(width, height, bytes(data)) for width, height, data in properties["IconPixmap"]]


def expected_pixmaps(png_path, tint):
    """A template status picture as the item should show it, ARGB32 in network order: the
    pictures hold two pixels a point, so 1x is the mean alpha of each 2 x 2 block and 2x is the
    picture's own pixels; the colour is the panel's tint."""
    rows = pixel_rows(GdkPixbuf.Pixbuf.new_from_file(png_path))
    alpha = [[pixel[3] if len(pixel) == 4 else 255 for pixel in row] for row in rows]
    one = [(sum(alpha[2 * y + dy][2 * x + dx] for dx in (0, 1) for dy in (0, 1)) + 2) // 4
           for y in range(len(rows) // 2) for x in range(len(rows[0]) // 2)]
    two = [value for row in alpha for value in row]
    return [(len(rows[0]) // 2, len(rows) // 2, b"".join(bytes((a, tint, tint, tint)) for a in one)),
            (len(rows[0]), len(rows), b"".join(bytes((a, tint, tint, tint)) for a in two))]


def check_icon(properties, png, tint):
    shown, expected = shown_pixmaps(properties), expected_pixmaps(png, tint)
    check([pixmap[:2] for pixmap in shown] == [pixmap[:2] for pixmap in expected],
          "icon sizes %r" % [pixmap[:2] for pixmap in shown])
    for (width, height, pixels), (_, _, wanted) in zip(shown, expected):
        wrong = [i for i in range(0, len(wanted), 4) if pixels[i:i + 4] != wanted[i:i + 4]]
        check(not wrong, "%dx%d icon: %d pixels differ from %s painted %d, the first at %d" % (
            width, height, len(wrong), os.path.basename(png), tint, wrong[0] // 4 if wrong else 0))


def luminance(colour):
    """The relative luminance of an sRGB colour, as contrast ratios count it."""
    linear = [(c / 255) / 12.92 if c <= 10 else ((c / 255 + 0.055) / 1.055) ** 2.4
              for c in colour[:3]]
    return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]


def contrast(one, other):
    """The contrast ratio of two sRGB colours, 1 to 21."""
    lighter, darker = sorted((luminance(one), luminance(other)), reverse=True)
    return (lighter + 0.05) / (darker + 0.05)


# --- the cases -----------------------------------------------------------------------------------

def case_status_item(session):
    """The item's properties, its icon pixels and label, its menu. Alerts are modal: Preferences
    chosen meanwhile is refused, Quit waits for the answer, and the model showing itself at every
    pass of the alert's loop is no change for the panel. Quit takes the item off the bus."""
    status, menu = session.reference("dump", "status"), session.reference("dump", "menu")
    alert = session.reference("menu 3", "alert")["title"]
    about = "About Zerarazi"
    item, _ = show_item(session)
    properties = item.properties()
    fixed = {"Id": "org.zerarazi.Zerarazi", "Category": "Hardware", "Status": "Active",
             "Title": "Zerarazi", "ItemIsMenu": True, "XAyatanaLabel": status["title"]}
    for key, value in fixed.items():
        check(properties.get(key) == value, "%s is %r, not %r" % (key, properties.get(key), value))
    check(status["template"], "the status picture is a template")
    # No portal and no GNOME: the panel is drawn with the GTK theme, Adwaita here, which is light,
    # so the template is painted black.
    check_icon(properties, os.path.join(session.bundle, "Contents", "Resources", status["image"]), 0)
    tool_tip = properties["ToolTip"]
    check(tool_tip[2] == status["title"] and tool_tip[3] == (status["tooltip"] or ""),
          "the tooltip is %r" % (tool_tip,))
    # A click the panel sends as Activate is refused as a method the item lacks, so that the
    # panel opens the menu instead.
    try:
        item.call(ITEM_PATH, ITEM_INTERFACE, "Activate", GLib.Variant("(ii)", (0, 0)), "()")
        raise Failure("Activate was answered as if it did something")
    except GLib.Error as error:
        check("UnknownMethod" in error.message, "Activate failed with %s" % error.message)

    root = item.menu_layout()[1]
    check(root.get("children-display") == "submenu", "the menu's root says %r" % root)
    shown = item.menu_items()
    check(len(shown) == len(menu["items"]), "the menu has %d items" % len(shown))
    for (item_id, props), model in zip(shown, menu["items"]):
        if model.get("separator"):
            check(props.get("type") == "separator", "item %d is not a separator" % item_id)
            continue
        keys = [SHORTCUT_MODIFIERS[name] for name in SHORTCUT_MODIFIERS if name in model["modifiers"]]
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
    check(no_visible_window("Preferences"), "a menu choice went past the modal alert")
    check(len(item.changes()) == signals_before,
          "refreshes that changed nothing sent %r" % item.changes()[signals_before:])
    item.choose("About")
    visible_window(about)
    item.choose("Quit Zerarazi")
    settle(0.5)
    check(session.app.poll() is None, "Quit went past the About box")
    answer(about)
    exited_with(session, 0, "Quit after the About box")
    check(not name_has_owner(session.bus, session.item_name()), "the item's name outlived it")


def case_title_in_icon(session):
    """IconShowsTitle "always" draws the charge into the icon, and leaves the label out: never
    both. A panel not known to show wide pictures gets a square one, the battery across it."""
    preferences = os.path.join(session.home, "Library", "Preferences")
    os.makedirs(preferences)
    with open(os.path.join(preferences, "org.zerarazi.Zerarazi.plist"), "w") as plist:
        plist.write('<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict>'
                    '<key>ShowPercentage</key><integer>1</integer>'
                    '<key>IconShowsTitle</key><string>always</string></dict></plist>\n')
    title = session.reference("dump", "status")["title"]
    check(title.endswith("%"), "the title is %r" % title)
    show_item(session)
    properties = session.item().properties()
    check("XAyatanaLabel" not in properties, "the label is %r" % properties.get("XAyatanaLabel"))
    sizes = [pixmap[:2] for pixmap in shown_pixmaps(properties)]
    check(sizes == [(16, 16), (32, 32)], "icon sizes %r" % sizes)
    check(properties["IconName"] == "" and properties["IconThemePath"] == "",
          "a panel not known to repaint icons was given one by name")
    session.app.terminate()
    exited_with(session, 0, "SIGTERM")


def case_watcher_restart(session):
    """The panel restarts, which is not worth a word, then goes and stays away, which is said
    once, then comes back: the item comes back each time."""
    watcher = Watcher(session.bus)
    watcher.start()
    session.start()
    label = registered_item(session, watcher).properties()["XAyatanaLabel"]
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
    session.app.terminate()
    exited_with(session, 0, "SIGTERM")


def case_panel_tint(session):
    """The portal's colour scheme wins over the light theme: dark gets a white icon, and a
    switch to light repaints it black."""
    png = os.path.join(session.bundle, "Contents", "Resources",
                       session.reference("dump", "status")["image"])
    portal = Portal(session.bus, 1)
    item, _ = show_item(session)
    check_icon(item.properties(), png, 255)
    portal.change(2)
    run_until(lambda: "NewIcon" in item.signals, 5, "NewIcon after the colour scheme changed")
    check_icon(item.properties(), png, 0)


def case_preferences(session):
    """A click on a box of the Preferences window changes the label beside the icon, while its
    menu item is disabled; its close button closes it. The settings cannot be stored (the home's
    Library is a file): that is shown once as a notification, besides standard error, under the
    name and icon the bundle gives: the item and the notification follow a renamed bundle."""
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
    session.bus.signal_subscribe(None, MENU_INTERFACE, None, item.properties()["Menu"], None,
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
    close_window(window["title"])
    run_until(lambda: notifications.bodies, 5, "a notification")
    settle(0.3)
    check(len(notifications.bodies) == 1, "notifications: %r" % notifications.bodies)
    check(notifications.senders == [("Volta", "org.example.Volta", "Volta")],
          "the notification comes from %r" % notifications.senders)
    check("cannot store settings" in notifications.bodies[0],
          "the notification says %r" % notifications.bodies[0])
    check(notifications.bodies[0] in session.errors(), "standard error lacks the notification")


def case_condition_warning(session):
    """A poor battery: the warning sounds (silence without a sound server, and no error) and
    its alert comes before the status item; Return answers it and the item appears."""
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


def power_supply(session, percent, status="Discharging", mains=False, microvolts=None, limit=None):
    """A power_supply tree in place of the recorded battery, read anew by each refresh; `limit`
    is the battery's charge limit, where it has one."""
    folder = os.path.join(session.folder, "power_supply")
    for name, text in (("AC", "POWER_SUPPLY_TYPE=Mains\nPOWER_SUPPLY_ONLINE=%d\n" % mains),
                       ("BAT0", "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=%s\n"
                                "POWER_SUPPLY_CAPACITY=%d\nPOWER_SUPPLY_CHARGE_NOW=%d\n"
                                "POWER_SUPPLY_CHARGE_FULL=4000000\n"
                                "POWER_SUPPLY_CHARGE_FULL_DESIGN=4000000\n%s"
                                "%s"
                                % (status, percent, percent * 40000, "POWER_SUPPLY_VOLTAGE_NOW=%d\n"
                                   % microvolts if microvolts else "",
                                   "POWER_SUPPLY_CHARGE_CONTROL_END_THRESHOLD=%d\n" % limit
                                   if limit else ""))):
        os.makedirs(os.path.join(folder, name), exist_ok=True)
        path = os.path.join(folder, name, "uevent")
        with open(path + ".new", "w") as uevent:
            uevent.write(text)
        os.replace(path + ".new", path)
    session.battery = folder


def case_charge_warnings(session):
    """Low, then critical in its place and urgent, on a desktop without a power manager; beside
    one (GNOME's settings daemon owns its name) nothing at 20 %, but full on mains still shows."""
    notifications = Notifications(session.bus)
    power_supply(session, 19)
    session.start()
    run_until(lambda: notifications.shown, 5, "the low warning")
    power_supply(session, 4)
    run_until(lambda: len(notifications.shown) == 2, 15, "the critical warning")
    check(notifications.shown == [(0, "Battery Low", None), (1, "Battery Critically Low", 2)],
          "notifications: %r" % notifications.shown)
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
    check([summary for _, summary, _ in notifications.shown] == ["Battery Fully Charged"],
          "notifications beside a power manager: %r" % notifications.shown)


def case_charge_limit(session):
    """Held at its limit, the battery's box is ticked in Preferences beside the chosen 80 %, as
    the driver shows it; a press on Charge to 100% Once where no charge limit service answers
    is told in one line and one notification, and the box stays as it was."""
    power_supply(session, 80, "Not charging", mains=True, limit=80)
    session.env["DBUS_SYSTEM_BUS_ADDRESS"] = "unix:path=" + os.path.join(session.folder, "none")
    window = last(session.driver("menu 4"), "window")
    controls = {control["number"]: control for control in window["controls"]}
    check((controls[12]["text"], controls[12]["state"], controls[13]["items"][controls[13]["state"]])
          == ("Limit Charge to 80%", 1, "80%"), "the driver's controls: %r" % controls)
    notifications = Notifications(session.bus)
    item, _ = show_item(session)
    run_until(lambda: notifications.shown, 15, "the limit's notice")
    check(notifications.shown[-1][1] == "Charge Limit Reached", "notices: %r" % notifications.shown)
    item.choose("Preferences...")
    visible_window(window["title"])
    settle(0.5)
    once = controls[14]
    click(once["x"] + 20, once["y"] + once["height"] // 2)
    run_until(lambda: len(notifications.shown) == 2, 10, "the refusal's notice")
    check(notifications.shown[-1][1] == "Charge Limit Not Changed" and
          "not installed" in notifications.bodies[-1], "notices: %r" % notifications.bodies)
    check("Charge limit not changed: the charge limit's service is not installed" in
          session.errors(), "standard error: %r" % session.errors())


LIMITS_EXCEEDED = "org.freedesktop.DBus.Error.LimitsExceeded"


def oversized_requests(menu_path, ids):
    """(object path, interface, method, parameters, what the refusal names): each one over its
    bound (bus_request_limits.h), the first one far over it."""
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
    """Calls over their bounds are answered LimitsExceeded and never reach the menu; the item
    and its menu go on answering, and Quit still ends the application cleanly."""
    item, _ = show_item(session)
    menu_path = item.properties()["Menu"]
    shown = item.menu_items()
    ids = [item_id for item_id, _ in shown]
    for path, interface, method, parameters, named in oversized_requests(menu_path, ids):
        try:
            item.call(path, interface, method, parameters, "r")
            raise Failure("%s over its bounds was answered" % method)
        except GLib.Error as error:
            remote = Gio.DBusError.get_remote_error(error)
            check(remote == LIMITS_EXCEEDED and method in error.message and named in error.message,
                  "%s failed with %s: %s" % (method, remote, error.message))
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
    exited_with(session, 0, "Quit")


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


# What takes the application's surroundings away, the status it ends with and the one line it
# says; nothing else, not even that a panel is missing. GDK alone would end with 1 and a message
# of its own for the display.
# Taken at once (SIGKILL), as a crash would: no name is released before the connections go; or
# ended (SIGTERM), as a session's end ends its bus.
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
    exited_with(session, status, loss)
    lines = session.errors()[before:].splitlines()
    check(lines == [line], "standard error ends with %r, not the one line %r" % (lines, line))


HISTORY_SCHEMA = """
CREATE TABLE readings(time INTEGER PRIMARY KEY, percent INTEGER NOT NULL, left_mah INTEGER,
    current_ma INTEGER, state INTEGER NOT NULL, on_mains INTEGER NOT NULL);
CREATE TABLE hourly(time INTEGER PRIMARY KEY, percent INTEGER NOT NULL, left_mah INTEGER,
    current_ma INTEGER, state INTEGER NOT NULL, on_mains INTEGER NOT NULL);
CREATE TABLE health(battery TEXT NOT NULL, day INTEGER NOT NULL, full_mah INTEGER NOT NULL,
    design_mah INTEGER NOT NULL, cycles INTEGER, PRIMARY KEY(battery, day));
PRAGMA user_version = 1;
"""


def write_history(home, now):
    """A history file laid out as the store writes it: a reading a minute over the last two days
    (off from 01:00 to 07:00 UTC, charging from 18:00 to 20:00), and sixty days of health."""
    import sqlite3

    folder = os.path.join(home, ".local", "share", "zerarazi")
    os.makedirs(folder)
    db = sqlite3.connect(os.path.join(folder, "history.sqlite3"))
    db.executescript(HISTORY_SCHEMA)
    readings, charge = [], 60.0
    for t in range(now - 2 * 86400, now - 1200, 60):
        hour = t % 86400 // 3600
        if hour < 7 and hour >= 1:
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


def window_picture(window_id):
    """The part of the screen that the window covers."""
    geometry = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell",
                                                        window_id).split())
    path = tempfile.mktemp(suffix=".png")
    screenshot(path)
    whole = GdkPixbuf.Pixbuf.new_from_file(path)
    os.unlink(path)
    return whole.new_subpixbuf(*(int(geometry[key]) for key in ("X", "Y", "WIDTH", "HEIGHT")))


def pixels_near(picture, colour, tolerance=24):
    """How many pixels of the picture are within `tolerance` of the RGB colour in each channel."""
    data, channels = picture.get_pixels(), picture.get_n_channels()
    stride, width = picture.get_rowstride(), picture.get_width()
    return sum(all(abs(data[row + x * channels + k] - colour[k]) <= tolerance for k in range(3))
               for row in range(0, stride * picture.get_height(), stride) for x in range(width))


# The charge's line as the charts draw it on a light and on a dark background.
LIGHT_LINE, DARK_LINE = (28, 112, 217), (120, 173, 237)


def case_history_charts(session):
    """With a history, Battery Information shows its charts under the report, in the palette
    of the theme the dialog is drawn in: the light one in Adwaita, the dark one in Adwaita:dark."""
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
        # Close to the line's own colour: the edges of either line, smoothed into the background,
        # come near the other's.
        picture = run_until(lambda: (lambda shown: pixels_near(shown, line, 8) > 200 and shown)(
            window_picture(window)), 5, "the %s charts to be drawn" % name)
        check(picture.get_height() > 400, "the %s alert is %d high" % (name, picture.get_height()))
        check(pixels_near(picture, other, 8) < 50, "the %s alert has the other palette's line"
              % name)
        answer(alert)
        item.choose("Quit Zerarazi")
        exited_with(session, 0, "Quit")


def case_quiet_refresh(session):
    """A refresh that reads new figures but shows nothing new sends nothing on the bus, neither
    the item's signals nor its menu's; one whose title changed sends the label and the tooltip
    once each, and nothing of the menu, which did not change."""
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
    check(item.properties()["XAyatanaLabel"] == "56%", "the label is %r" %
          item.properties()["XAyatanaLabel"])
    check(len(watcher.items) == 1, "the item registered %d times" % len(watcher.items))
    session.app.terminate()
    exited_with(session, 0, "SIGTERM")


CASES = dict({"status_item": case_status_item, "quiet_refresh": case_quiet_refresh, "title_in_icon": case_title_in_icon,
              "watcher_restart": case_watcher_restart, "panel_tint": case_panel_tint,
              "preferences": case_preferences, "condition_warning": case_condition_warning,
              "bus_limits": case_bus_limits, "history_charts": case_history_charts,
              "charge_warnings": case_charge_warnings, "charge_limit": case_charge_limit},
             **{loss: lambda session, loss=loss: case_lost(session, loss) for loss in LOSSES})


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
    on_private_bus(("Xvfb", "xdotool", "xprop"))
    sys.exit(main())
