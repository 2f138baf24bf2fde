#!/usr/bin/env python3
"""The desktop display in a Wayland session, as a person meets it: sway without a GPU (the
headless backend, drawn by pixman) and waybar with its status tray alone, on a private session
bus. The test looks at the bar with grim, clicks with sway's seat cursor, chooses menu items
over D-Bus as the tray's menu would, and finds the windows in sway's tree.

    wayland_session.py BAR BUNDLE        BAR: light or dark (the bar's colour)

With ZERARAZI_SCREENS set, the bar, the two menus, the Preferences window, the About alert and
the bar after Quit are saved there as PNG pictures, with waybar's output and the application's
standard error. Checks that fail today for want of a fix
elsewhere are listed in EXPECTED_FAILURES: they are reported as expected failures, and one that
passes fails the case, so that its mark is taken away. Exits 77 (skipped) only when a tool it
needs is not installed.
"""

import ctypes
import json
import os
import pwd
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import (Failure, check, connection_of_process,  # noqa: E402
                             contrast, luminance, name_has_owner, run_until)

SKIPPED = 77
TOOLS = ("dbus-run-session", "setpriv", "sway", "swaymsg", "waybar", "grim")
HERE = os.path.dirname(os.path.abspath(__file__))
SCREEN = (1280, 720)
BAR_HEIGHT = 30
ICON_SIZE = 20  # the tray's
BARS = {"light": (0xF6, 0xF5, 0xF4), "dark": (0x2B, 0x30, 0x3B)}
# The tray's end of the bar and below it: where the tray's menu opens.
MENU_AREA = (SCREEN[0] - 520, 0, 520, 460)
# Sway refuses to start as root: as root, the compositor and the bar run as this user.
SESSION_USER = "nobody"
# WCAG 2.1's least contrast for what a control shows (1.4.11, non-text contrast).
LEAST_CONTRAST = 3.0
# The screenshots kept in ZERARAZI_SCREENS.
SCREENS = ("bar", "menu-left", "menu-right", "preferences", "about", "bar-after-quit")
ITEM_PATH = "/StatusNotifierItem"
WATCHER = "org.kde.StatusNotifierWatcher"
BUTTONS = {"left": "button1", "right": "button3"}
# GLib's own format for a critical or a warning: "(program:pid): Domain-WARNING **: text".
GLIB_COMPLAINT = re.compile(r"-(CRITICAL|WARNING) \*\*")

# (bar, check) -> why it fails today; bar None for both bars.
EXPECTED_FAILURES = {
}
# Waybar's complaints that the expected failures above account for; any other fails the case.
BAR_COMPLAINTS = {
    "bar's accelerator criticals": re.compile(r"gtk_widget_(set_accel_path|add_accelerator): "
                                              r"assertion 'GTK_IS_ACCEL_GROUP"),
    "bar's child-display warnings": re.compile(r"The child-display variable is set to"),
}


def skip_unless_tools():
    missing = [tool for tool in TOOLS if not shutil.which(tool)]
    try:
        import gi  # noqa: F401

        gi.require_version("GdkPixbuf", "2.0")
    except (ImportError, ValueError):
        missing.append("python3-gi")
    for library, package in (("libwayland-client.so.0", "libwayland-client0"),
                             ("libxkbcommon.so.0", "libxkbcommon0")):
        try:
            ctypes.CDLL(library)
        except OSError:
            missing.append(package)
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        sys.exit(SKIPPED)


try:
    import gi

    gi.require_version("GdkPixbuf", "2.0")
    from gi.repository import GdkPixbuf, Gio, GLib
except (ImportError, ValueError):  # skip_unless_tools() says so
    Gio = GLib = None


class Checks:
    """Each named check's outcome, with the expected failures kept apart."""

    def __init__(self, bar):
        self.bar = bar
        self.expected = []

    def why_expected(self, name):
        return EXPECTED_FAILURES.get((self.bar, name)) or EXPECTED_FAILURES.get((None, name))

    @staticmethod
    def note(name, detail):
        """What a check that has passed found."""
        print("ok: %s: %s" % (name, detail))

    def __call__(self, name, passed, detail):
        why = self.why_expected(name)
        if why is None:
            check(passed, "%s: %s" % (name, detail))
            print("ok: %s: %s" % (name, detail))
        elif passed:
            raise Failure("%s passed, but is marked as an expected failure (%s): %s; take the "
                          "mark away" % (name, why, detail))
        else:
            print("EXPECTED FAILURE: %s: %s (%s)" % (name, detail, why))
            self.expected.append(name)


class Calls(list):
    """Method names, with the monitor connection that gathers them."""


def watch_calls(path, sender):
    """The names of the methods that `sender` calls on objects at `path`, as they come: a
    monitor on its own connection to the bus."""
    monitor = Gio.DBusConnection.new_for_address_sync(
        os.environ["DBUS_SESSION_BUS_ADDRESS"],
        Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
        | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
    rule = "type='method_call',sender='%s',path='%s'" % (sender, path)
    monitor.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                      "org.freedesktop.DBus.Monitoring", "BecomeMonitor",
                      GLib.Variant("(asu)", ([rule], 0)), None, Gio.DBusCallFlags.NONE, 5000, None)
    calls = Calls()

    def on_message(connection, message, incoming):
        if message.get_message_type() == Gio.DBusMessageType.METHOD_CALL:
            calls.append(message.get_member())
        return None

    calls.monitor = monitor  # kept while the list is
    calls.filter = monitor.add_filter(on_message)
    return calls


# --- input devices for the seat ---------------------------------------------------------------

class WaylandMessage(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p), ("signature", ctypes.c_char_p),
                ("types", ctypes.c_void_p)]


class WaylandInterface(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p), ("version", ctypes.c_int),
                ("method_count", ctypes.c_int), ("methods", ctypes.c_void_p),
                ("event_count", ctypes.c_int), ("events", ctypes.c_void_p)]


def wayland_interface(name, version, requests):
    """A client-side protocol interface: the requests' names and signatures are all that
    libwayland-client needs to send them."""
    table = (WaylandMessage * len(requests))()
    no_types = (ctypes.c_void_p * 8)()
    for i, (request, signature) in enumerate(requests):
        table[i] = WaylandMessage(request.encode(), signature.encode(),
                                  ctypes.cast(no_types, ctypes.c_void_p))
    made = WaylandInterface(name.encode(), version, len(requests),
                            ctypes.cast(table, ctypes.c_void_p), 0, None)
    made.keep = (table, no_types)
    return made


VIRTUAL_POINTER_MANAGER = wayland_interface(
    "zwlr_virtual_pointer_manager_v1", 1, [("create_virtual_pointer", "?on"), ("destroy", "")])
VIRTUAL_POINTER = wayland_interface(
    "zwlr_virtual_pointer_v1", 1,
    [("motion", "uff"), ("motion_absolute", "uuuuu"), ("button", "uuu"), ("axis", "uuf"),
     ("frame", ""), ("axis_source", "u"), ("axis_stop", "uu"), ("axis_discrete", "uufi"),
     ("destroy", "")])
VIRTUAL_KEYBOARD_MANAGER = wayland_interface(
    "zwp_virtual_keyboard_manager_v1", 1, [("create_virtual_keyboard", "on")])
VIRTUAL_KEYBOARD = wayland_interface(
    "zwp_virtual_keyboard_v1", 1,
    [("keymap", "uhu"), ("key", "uuu"), ("modifiers", "uuuu"), ("destroy", "")])
KEYS = {"Return": 28}  # evdev codes
XKB_KEYMAP_FORMAT_TEXT_V1 = 1


class VirtualDevices:
    """A pointer and a keyboard held while the session lasts. The headless backend has no input
    devices, and a seat without a pointer or a keyboard gives its clients none: waybar would
    never hear a click. With these on the seat, sway's seat cursor commands reach the clients,
    and the keyboard types into the focused window."""

    def __init__(self, socket):
        self.wl = wl = ctypes.CDLL("libwayland-client.so.0")
        wl.wl_display_connect.restype = ctypes.c_void_p
        wl.wl_display_connect.argtypes = [ctypes.c_char_p]
        wl.wl_display_roundtrip.argtypes = wl.wl_display_disconnect.argtypes = [ctypes.c_void_p]
        wl.wl_proxy_marshal_array_flags.restype = ctypes.c_void_p
        wl.wl_proxy_marshal_array_flags.argtypes = [ctypes.c_void_p, ctypes.c_uint32,
                                                    ctypes.c_void_p, ctypes.c_uint32,
                                                    ctypes.c_uint32, ctypes.c_void_p]
        wl.wl_proxy_add_listener.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_void_p]
        self.display = wl.wl_display_connect(socket.encode())
        check(self.display, "cannot connect to the compositor at " + socket)
        self.registry = self.send(self.display, 1,
                                  WaylandInterface.in_dll(wl, "wl_registry_interface"), 1, 0)
        self.globals = {}
        on_global = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_void_p, ctypes.c_uint32,
                                     ctypes.c_char_p, ctypes.c_uint32)(
            lambda data, proxy, name, interface, version: self.globals.setdefault(interface, name))
        on_remove = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_void_p, ctypes.c_uint32)(
            lambda *_: None)
        self.listener = (ctypes.c_void_p * 2)(ctypes.cast(on_global, ctypes.c_void_p),
                                              ctypes.cast(on_remove, ctypes.c_void_p))
        self.callbacks = (on_global, on_remove)
        wl.wl_proxy_add_listener(self.registry, self.listener, None)
        wl.wl_display_roundtrip(self.display)
        seat = self.bind(WaylandInterface.in_dll(wl, "wl_seat_interface"), 1)
        self.send(self.bind(VIRTUAL_POINTER_MANAGER), 0, VIRTUAL_POINTER, 1, 0, 0)
        self.keyboard = self.send(self.bind(VIRTUAL_KEYBOARD_MANAGER), 0, VIRTUAL_KEYBOARD, 1,
                                  seat, 0)
        keymap = self.keymap()
        with os.fdopen(os.memfd_create("keymap"), "wb") as memory:
            memory.write(keymap)
            memory.flush()
            self.send(self.keyboard, 0, None, 0, XKB_KEYMAP_FORMAT_TEXT_V1, memory.fileno(),
                      len(keymap))  # the fd is duplicated as the request is queued
        wl.wl_display_roundtrip(self.display)

    def send(self, proxy, opcode, new_interface, version, *arguments):
        array = (ctypes.c_uint64 * max(1, len(arguments)))(*arguments)
        made = self.wl.wl_proxy_marshal_array_flags(
            proxy, opcode, ctypes.addressof(new_interface) if new_interface else None, version, 0,
            array)
        check(made or not new_interface, "the compositor connection failed")
        return made

    def bind(self, interface, version=1):
        """wl_registry.bind with an untyped new id: the global, the interface's name and
        version, then the new id."""
        name = self.globals.get(interface.name)
        check(name, "the compositor offers no %s" % interface.name.decode())
        name_pointer = ctypes.c_void_p.from_buffer(interface, WaylandInterface.name.offset)
        return self.send(self.registry, 0, interface, version, name, name_pointer.value, version,
                         0)

    @staticmethod
    def keymap():
        """The default keymap's text from xkbcommon, with its final NUL."""
        xkb = ctypes.CDLL("libxkbcommon.so.0")
        xkb.xkb_context_new.restype = xkb.xkb_keymap_new_from_names.restype = ctypes.c_void_p
        xkb.xkb_keymap_new_from_names.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_int]
        xkb.xkb_keymap_get_as_string.restype = ctypes.c_void_p
        xkb.xkb_keymap_get_as_string.argtypes = [ctypes.c_void_p, ctypes.c_int]
        context = xkb.xkb_context_new(0)
        keymap = context and xkb.xkb_keymap_new_from_names(context, None, 0)
        check(keymap, "xkbcommon made no keymap")
        return ctypes.string_at(xkb.xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1)) \
            + b"\0"

    def key(self, name):
        for state in (1, 0):
            self.send(self.keyboard, 1, None, 0, int(time.monotonic() * 1000) & 0xFFFFFFFF,
                      KEYS[name], state)
        self.wl.wl_display_roundtrip(self.display)

    def close(self):
        self.wl.wl_display_disconnect(self.display)


# --- the session ------------------------------------------------------------------------------

SWAY_CONFIG = """output HEADLESS-1 resolution {width}x{height} position 0 0
xwayland disable
exec waybar --config {folder}/waybar.json --style {folder}/waybar.css > {log} 2>&1
"""

WAYBAR_CSS = """* { border: none; border-radius: 0; min-height: 0; margin: 0; box-shadow: none; }
window#waybar { background-color: #%02x%02x%02x; }
#tray { background-color: transparent; }
"""


class Session:
    """sway and waybar, and the application when started, in a private folder."""

    def __init__(self, bundle, bar):
        self.bundle = bundle
        self.bar = bar
        self.colour = BARS[bar]
        self.executable = os.path.join(bundle, "Contents", "MacOS", "Zerarazi")
        self.folder = tempfile.mkdtemp(prefix="zerarazi-wayland-")
        os.chmod(self.folder, 0o755)
        self.screens = os.environ.get("ZERARAZI_SCREENS") or self.folder
        os.makedirs(self.screens, exist_ok=True)
        self.home = self.subfolder("home", 0o700)
        self.runtime = self.subfolder("runtime", 0o700)  # the clients'
        self.battery = os.path.join(self.folder, "battery.plist")
        shutil.copy(os.path.join(bundle, "Contents", "Resources", "sample-battery.plist"),
                    self.battery)
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        self.compositor = self.devices = self.app = None
        self.wayland_socket = self.bar_log = ""
        self.stderr_path = os.path.join(self.folder, "stderr")
        self.started = time.monotonic()

    def subfolder(self, name, mode, owner=None):
        path = os.path.join(self.folder, name)
        os.mkdir(path, mode)
        if owner:
            os.chown(path, owner.pw_uid, owner.pw_gid)
        return path

    def note(self, text):
        print("%5.1f s  %s" % (time.monotonic() - self.started, text), flush=True)

    # sway and waybar

    def write_desktop(self, user):
        """The folders and configurations of sway and waybar; answers sway's environment."""
        desktop = self.subfolder("desktop", 0o755, user)
        self.desktop_runtime = os.path.join(desktop, "runtime")
        home = os.path.join(desktop, "home")
        for path in (self.desktop_runtime, home):
            os.mkdir(path, 0o700)
            if user:
                os.chown(path, user.pw_uid, user.pw_gid)
        self.bar_log = os.path.join(desktop, "waybar.log")
        with open(os.path.join(self.folder, "sway.conf"), "w") as text:
            text.write(SWAY_CONFIG.format(width=SCREEN[0], height=SCREEN[1], folder=self.folder,
                                          log=self.bar_log))
        with open(os.path.join(self.folder, "waybar.json"), "w") as text:
            json.dump({"layer": "top", "position": "top", "height": BAR_HEIGHT,
                       "modules-right": ["tray"],
                       "tray": {"icon-size": ICON_SIZE, "spacing": 8}}, text)
        with open(os.path.join(self.folder, "waybar.css"), "w") as text:
            text.write(WAYBAR_CSS % self.colour)
        return {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "LANG": "C.UTF-8",
                "HOME": home, "XDG_RUNTIME_DIR": self.desktop_runtime,
                "WLR_BACKENDS": "headless", "WLR_RENDERER": "pixman",
                "WLR_LIBINPUT_NO_DEVICES": "1", "NO_AT_BRIDGE": "1", "GTK_A11Y": "none",
                "DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"]}

    def start_desktop(self):
        user = pwd.getpwnam(SESSION_USER) if os.geteuid() == 0 else None
        env = self.write_desktop(user)
        as_user = (["setpriv", "--reuid", str(user.pw_uid), "--regid", str(user.pw_gid),
                    "--clear-groups"] if user else [])
        with open(os.path.join(self.folder, "sway.log"), "w") as log:
            self.compositor = subprocess.Popen(
                as_user + ["sway", "--config", os.path.join(self.folder, "sway.conf")], env=env,
                stdin=subprocess.DEVNULL, stdout=log, stderr=log)

        def sockets():
            check(self.compositor.poll() is None, "sway ended: " + self.sway_log())
            names = os.listdir(self.desktop_runtime)
            ipc = [name for name in names if name.startswith("sway-ipc.")]
            wayland = [name for name in names
                       if name.startswith("wayland-") and not name.endswith(".lock")]
            return ipc and wayland and (ipc[0], wayland[0])

        ipc, wayland = run_until(sockets, 10, "sway's sockets")
        os.environ["SWAYSOCK"] = os.path.join(self.desktop_runtime, ipc)
        self.wayland_socket = os.path.join(self.desktop_runtime, wayland)
        os.environ["WAYLAND_DISPLAY"] = self.wayland_socket  # grim's
        os.environ["XDG_RUNTIME_DIR"] = self.runtime
        self.devices = VirtualDevices(self.wayland_socket)
        run_until(lambda: name_has_owner(self.bus, WATCHER), 10, "waybar's status tray")
        run_until(lambda: self.bar_is_drawn("bar-empty"), 10, "waybar's bar")
        self.note("sway and waybar are up")

    def sway_log(self):
        with open(os.path.join(self.folder, "sway.log"), errors="replace") as text:
            return text.read()[-2000:]

    def bar_output(self):
        if not os.path.exists(self.bar_log):
            return ""
        with open(self.bar_log, errors="replace") as text:
            return text.read()

    def bar_name(self):
        """waybar's unique name on the bus: its tray owns the watcher."""
        result = self.bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                    "org.freedesktop.DBus", "GetNameOwner",
                                    GLib.Variant("(s)", (WATCHER,)), GLib.VariantType("(s)"),
                                    Gio.DBusCallFlags.NONE, 5000, None)
        return result.unpack()[0]

    def swaymsg(self, *arguments):
        run = subprocess.run(["swaymsg"] + list(arguments), capture_output=True, text=True,
                             timeout=10)
        check(run.returncode == 0,
              "swaymsg %s: %s" % (" ".join(arguments), run.stdout + run.stderr))
        return run.stdout

    def views(self):
        """Every window in sway's tree: (con id, title, pid, floating, rect)."""
        found = []

        def walk(node, floating):
            if node.get("pid"):
                found.append((node["id"], node.get("name"), node["pid"], floating, node["rect"]))
            for child in node.get("nodes", []):
                walk(child, floating)
            for child in node.get("floating_nodes", []):
                walk(child, True)

        walk(json.loads(self.swaymsg("-t", "get_tree")), False)
        return found

    def click(self, x, y, button):
        self.swaymsg("seat", "-", "cursor", "set", str(x), str(y))
        self.swaymsg("seat", "-", "cursor", "press", button)
        self.swaymsg("seat", "-", "cursor", "release", button)

    def shot(self, name, area):
        """grim's picture of `area` (x, y, width, height) as wayland-NAME-BAR.png: in
        ZERARAZI_SCREENS for the pictures worth a look, in the private folder otherwise."""
        folder = self.screens if name in SCREENS else self.folder
        path = os.path.join(folder, "wayland-%s-%s.png" % (name, self.bar))
        subprocess.run(["grim", "-g", "%d,%d %dx%d" % area, path], check=True, timeout=10)
        return Picture(GdkPixbuf.Pixbuf.new_from_file(path))

    def bar_shot(self, name="bar"):
        return self.shot(name, (0, 0, SCREEN[0], BAR_HEIGHT))

    def bar_is_drawn(self, name):
        bar = self.bar_shot(name)
        return bar.count(lambda pixel: pixel == self.colour) > bar.width * bar.height // 2

    # the application

    def environment(self, display_kind):
        return {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.home,
                "ZERARAZI_DISPLAY": display_kind, "ZERARAZI_BATTERY": self.battery,
                "GDK_BACKEND": "wayland", "WAYLAND_DISPLAY": self.wayland_socket,
                "XDG_RUNTIME_DIR": self.runtime, "NO_AT_BRIDGE": "1", "GTK_A11Y": "none",
                "DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"],
                "LSAN_OPTIONS": "suppressions=" + os.path.join(HERE, "leaks.supp")}

    def driver(self, script):
        """The JSON lines the bundle writes with the driver display for `script`."""
        env = dict(self.environment("driver"), WAYLAND_DISPLAY="")
        run = subprocess.run([self.executable], input=script + "\n", capture_output=True,
                             text=True, env=env, timeout=20, cwd=self.folder)
        return [json.loads(line) for line in run.stdout.splitlines() if line.startswith("{")]

    def start_app(self):
        self.stderr = open(self.stderr_path, "w")
        self.app = subprocess.Popen([self.executable], env=self.environment("desktop"),
                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                    stderr=self.stderr, cwd=self.folder)

    def app_errors(self):
        if not os.path.exists(self.stderr_path):
            return ""
        with open(self.stderr_path, errors="replace") as text:
            return text.read()

    def item(self):
        """The item, on the application's own connection, once its icon is there."""
        names = []
        run_until(lambda: names.append(connection_of_process(self.bus, self.app.pid)) or names[-1],
                  10, "the application on the bus")
        item = Item(self.bus, names[-1])
        run_until(item.has_icon, 10, "the status item on the bus")
        return item

    def close(self):
        if self.app and self.app.poll() is None:
            self.app.kill()
            self.app.wait()
        if self.devices:
            self.devices.close()
        if self.compositor and self.compositor.poll() is None:
            subprocess.run(["swaymsg", "exit"], capture_output=True, timeout=10)
            try:
                self.compositor.wait(5)
            except subprocess.TimeoutExpired:
                self.compositor.kill()
                self.compositor.wait()
        if self.screens != self.folder:
            for path, name in ((self.bar_log, "waybar"), (self.stderr_path, "stderr")):
                if path and os.path.exists(path):
                    shutil.copy(path, os.path.join(self.screens,
                                                   "wayland-%s-%s.log" % (name, self.bar)))
        shutil.rmtree(self.folder, ignore_errors=True)


class Item:
    """The status item as the tray sees it on the bus: its properties and its menu."""

    def __init__(self, bus, name):
        self.bus = bus
        self.name = name

    def call(self, path, interface, method, parameters, reply):
        result = self.bus.call_sync(self.name, path, interface, method, parameters,
                                    GLib.VariantType(reply), Gio.DBusCallFlags.NONE, 5000, None)
        return result.unpack()

    def properties(self):
        return self.call(ITEM_PATH, "org.freedesktop.DBus.Properties", "GetAll",
                         GLib.Variant("(s)", ("org.kde.StatusNotifierItem",)), "(a{sv})")[0]

    def has_icon(self):
        try:
            return bool(self.properties()["IconPixmap"])
        except GLib.Error:
            return False

    def choose(self, label):
        """What the tray's menu sends when a person picks the item with that label."""
        menu_path = self.properties()["Menu"]
        layout = self.call(menu_path, "com.canonical.dbusmenu", "GetLayout",
                           GLib.Variant("(iias)", (0, -1, [])), "(u(ia{sv}av))")[1]
        ids = [child[0] for child in layout[2] if child[1].get("label") == label]
        check(ids, "no menu item %r" % label)
        self.call(menu_path, "com.canonical.dbusmenu", "Event",
                  GLib.Variant("(isvu)", (ids[0], "clicked", GLib.Variant("i", 0), 0)), "()")


# --- pictures ---------------------------------------------------------------------------------

class Picture:
    """A screenshot's pixels, read as (r, g, b)."""

    def __init__(self, pixbuf):
        self.width, self.height = pixbuf.get_width(), pixbuf.get_height()
        data, stride = pixbuf.get_pixels(), pixbuf.get_rowstride()
        self.channels = pixbuf.get_n_channels()
        self.lines = [data[y * stride:y * stride + self.width * self.channels]
                      for y in range(self.height)]

    def pixel(self, x, y):
        start = x * self.channels
        return tuple(self.lines[y][start:start + 3])

    def count(self, predicate):
        return sum(1 for y in range(self.height) for x in range(self.width)
                   if predicate(self.pixel(x, y)))

    def box(self, differs, rows=None):
        """The box (left, top, width, height) around the pixels for which differs(x, y, pixel)
        holds, looking only at `rows` when given; None when there are none."""
        marked = [(x, y) for y in (range(self.height) if rows is None else rows)
                  for x in range(self.width) if differs(x, y, self.pixel(x, y))]
        if not marked:
            return None
        left, top = min(x for x, _ in marked), min(y for _, y in marked)
        return (left, top, max(x for x, _ in marked) - left + 1,
                max(y for _, y in marked) - top + 1)

    def changes_from(self, before):
        """The box around what differs from an earlier picture of the same area."""
        rows = [y for y in range(self.height) if self.lines[y] != before.lines[y]]
        return self.box(lambda x, y, pixel: distance(pixel, before.pixel(x, y)) > 8, rows)


def distance(a, b):
    return max(abs(p - q) for p, q in zip(a, b))


def as_waybar_shows(pixmaps, colour):
    """The item's icon as waybar's tray draws it on a bar of that colour, as rows of (r, g, b):
    the largest pixmap (ARGB32, network order), scaled bilinearly to the icon size's height
    with its aspect kept, laid on the bar."""
    width, height, argb = max(pixmaps, key=lambda pixmap: pixmap[0] * pixmap[1])
    rgba = bytes(argb[i + k] for i in range(0, len(argb), 4) for k in (1, 2, 3, 0))
    picture = GdkPixbuf.Pixbuf.new_from_bytes(GLib.Bytes.new(rgba), GdkPixbuf.Colorspace.RGB,
                                              True, 8, width, height, width * 4)
    scaled = picture.scale_simple(ICON_SIZE * width // height, ICON_SIZE,
                                  GdkPixbuf.InterpType.BILINEAR)
    data, stride = scaled.get_pixels(), scaled.get_rowstride()
    rows = []
    for y in range(scaled.get_height()):
        row = []
        for x in range(scaled.get_width()):
            *rgb, alpha = data[y * stride + 4 * x:y * stride + 4 * x + 4]
            row.append(tuple(round((c * alpha + b * (255 - alpha)) / 255)
                             for c, b in zip(rgb, colour)))
        rows.append(row)
    return rows


def icon_difference(bar, box, colour, pixmaps):
    """The mean difference of a colour channel (0 to 255) between the bar and the item's icon
    as waybar would draw it, placed so that the painted boxes meet."""
    expected = as_waybar_shows(pixmaps, colour)
    marked = [(x, y) for y, row in enumerate(expected) for x, pixel in enumerate(row)
              if distance(pixel, colour) > 8]
    check(marked, "the item's icon paints nothing")
    dx = box[0] - min(x for x, _ in marked)
    dy = box[1] - min(y for _, y in marked)
    total = count = 0
    for y, row in enumerate(expected):
        for x, pixel in enumerate(row):
            if 0 <= x + dx < bar.width and 0 <= y + dy < bar.height:
                total += sum(abs(a - b) for a, b in zip(pixel, bar.pixel(x + dx, y + dy)))
                count += 3
    return total / count


def icon_box(bar, colour):
    """The box of the bar's pixels that are not the bar's colour."""
    return bar.box(lambda x, y, pixel: distance(pixel, colour) > 8)


# --- the case ---------------------------------------------------------------------------------

def find_icon(session, checks, pixmaps):
    """Waits for the tray to show the item's own pixels; answers the icon's middle on the
    screen."""
    deadline, box, difference = time.monotonic() + 10, None, None
    while time.monotonic() < deadline and not (difference is not None and difference < 4):
        bar = session.bar_shot()
        box = icon_box(bar, session.colour)
        plausible = box and 8 <= box[2] <= 8 * ICON_SIZE and 8 <= box[3] <= BAR_HEIGHT
        difference = icon_difference(bar, box, session.colour, pixmaps) if plausible else None
        time.sleep(0.1)
    check(box, "the tray shows nothing: the bar is all its own colour")
    check(difference is not None and difference < 4,
          "the bar shows %dx%d pixels at %d,%d, not the item's icon (%s)"
          % (box[2], box[3], box[0], box[1],
             "a difference of %.1f" % difference if difference is not None else "not icon-sized"))
    checks.note("tray icon", "the item's icon, %dx%d at %d,%d, a mean difference of %.1f from "
           "its pixmap" % (box[2], box[3], box[0], box[1], difference))
    left, top, width, height = box
    inks = [bar.pixel(x, y) for y in range(top, top + height) for x in range(left, left + width)]
    ink = max(inks, key=lambda pixel: abs(luminance(pixel) - luminance(session.colour)))
    ratio = contrast(ink, session.colour)
    checks("icon contrast", ratio >= LEAST_CONTRAST,
           "the icon's ink #%02x%02x%02x on the bar's #%02x%02x%02x: %.2f:1 (at least %.1f:1 "
           "wanted)" % (ink + session.colour + (ratio, LEAST_CONTRAST)))
    return left + width // 2, top + height // 2


def menu_opens(session, checks, menu_calls, x, y, side):
    """A click on the icon opens a menu under the bar, and waybar asks the item's menu about
    it; a click elsewhere closes the menu."""
    before = session.shot("before-menu", MENU_AREA)
    calls_before = len(menu_calls)
    session.click(x, y, BUTTONS[side])

    def opened():
        after = session.shot("menu-" + side, MENU_AREA)
        box = after.changes_from(before)
        return box if box and box[2] >= 120 and box[3] >= 120 else None

    box = run_until(opened, 5, "the menu to open on a %s click" % side)
    asked = run_until(lambda: menu_calls[calls_before:], 5,
                      "waybar to ask the item's menu for its items")
    checks.note("%s click" % side, "a %dx%d menu opened at %d,%d; waybar called %s" % (
        box[2], box[3], box[0] + MENU_AREA[0], box[1] + MENU_AREA[1], ", ".join(asked)))
    session.click(SCREEN[0] // 4, SCREEN[1] - 40, BUTTONS["left"])

    def closed():
        now = session.shot("after-menu", MENU_AREA)
        return not now.changes_from(before)

    run_until(closed, 5, "the menu to close on a click elsewhere")


def window_of(session, title=None, other_than=()):
    """The application's window with that title (any title when None), once sway shows it."""
    def shown():
        for view in session.views():
            if view[2] == session.app.pid and view[0] not in other_than and (
                    title is None or view[1] == title):
                return view
        return None

    return run_until(shown, 10, "a window %r of the application" % (title or ""))


def window_shot(session, name, view):
    """The window's picture once it is painted: more than one colour."""
    area = tuple(view[4][k] for k in ("x", "y", "width", "height"))

    def painted():
        picture = session.shot(name, area)
        return len({picture.pixel(x, y) for y in range(0, picture.height, 4)
                    for x in range(0, picture.width, 4)}) > 1

    run_until(painted, 5, "the window %r to be painted" % view[1])


def window_gone(session, con_id, what):
    run_until(lambda: con_id not in [view[0] for view in session.views()], 5, what)


def complaints(text):
    return [line for line in text.splitlines() if GLIB_COMPLAINT.search(line)]


def summary(lines):
    """Each distinct complaint once, with how many times it came, without its time."""
    counts = {}
    for line in lines:
        text = re.sub(r"^.*?\*\*: [0-9:.]+: ", "", line)
        counts[text] = counts.get(text, 0) + 1
    return "; ".join("%d x %s" % (n, text) for text, n in counts.items()) or "none"


def case_bar(session):
    checks = Checks(session.bar)
    reference = session.driver("dump")
    status = next(line for line in reference if line.get("event") == "status")
    preferences = next(line for line in session.driver("menu 4") if line.get("event") == "window")
    session.start_desktop()
    bar_before = len(session.bar_output())
    session.start_app()
    item = session.item()
    pixmaps = [(w, h, bytes(data)) for w, h, data in item.properties()["IconPixmap"]]
    check(status["template"] and pixmaps, "the item shows no template picture")
    x, y = find_icon(session, checks, pixmaps)
    session.note("the icon is in the tray")

    menu_calls = watch_calls(item.properties()["Menu"], session.bar_name())
    menu_opens(session, checks, menu_calls, x, y, "left")
    menu_opens(session, checks, menu_calls, x, y, "right")
    session.note("both clicks opened the menu")

    item.choose("Preferences...")
    view = window_of(session, preferences["title"])
    window_shot(session, "preferences", view)
    checks.note("Preferences window", "a toplevel %r, %dx%d" % (
        view[1], view[4]["width"], view[4]["height"]))
    session.swaymsg("[con_id=%d]" % view[0], "kill")
    window_gone(session, view[0], "the Preferences window to close")
    check(session.app.poll() is None, "closing the Preferences window ended the application")

    item.choose("About")
    alert = window_of(session)
    window_shot(session, "about", alert)
    checks("About alert", alert[3], "a floating toplevel, %dx%d" % (
        alert[4]["width"], alert[4]["height"]))
    session.devices.key("Return")
    window_gone(session, alert[0], "Return to answer the About alert")
    session.note("Preferences and About came and went")

    item.choose("Quit Zerarazi")
    try:
        status_code = session.app.wait(5)
    except subprocess.TimeoutExpired:
        raise Failure("Quit did not end the application")
    checks("Quit", status_code == 0, "the application ended with status %d" % status_code)
    run_until(lambda: not icon_box(session.bar_shot("bar-after-quit"), session.colour), 5,
              "the icon to leave the tray")
    check(name_has_owner(session.bus, WATCHER) and session.bar_is_drawn("bar-after-quit"),
          "waybar did not outlive the item")
    session.note("Quit ended the application and emptied the tray")

    mine = complaints(session.app_errors())
    checks("application's complaints", not mine, "the application wrote %d GLib criticals or "
           "warnings: %s" % (len(mine), summary(mine)))
    theirs = complaints(session.bar_output()[bar_before:])
    for name, pattern in BAR_COMPLAINTS.items():
        found = [line for line in theirs if pattern.search(line)]
        checks(name, not found, "waybar wrote %d: %s" % (len(found), summary(found)))
        theirs = [line for line in theirs if line not in found]
    checks("bar's other complaints", not theirs, "waybar wrote %d other GLib criticals or "
           "warnings: %s" % (len(theirs), summary(theirs)))
    if checks.expected:
        print("expected failures: " + ", ".join(checks.expected))


def main():
    bar, bundle = sys.argv[1], sys.argv[2]
    if bar not in BARS:
        print("no bar %r (%s)" % (bar, ", ".join(BARS)))
        return 2
    session = Session(bundle, bar)
    try:
        case_bar(session)
    except Failure as failure:
        print("FAILED: %s" % failure)
        print("application's standard error:\n" + session.app_errors())
        if session.compositor:
            print("waybar's output:\n" + session.bar_output()[-3000:])
        return 1
    finally:
        session.close()
    print("passed in %.1f s" % (time.monotonic() - session.started))
    return 0


if __name__ == "__main__":
    if not os.environ.get("ZERARAZI_PRIVATE_BUS"):
        skip_unless_tools()
        os.environ["ZERARAZI_PRIVATE_BUS"] = "1"
        os.execvp("dbus-run-session",
                  ["dbus-run-session", "--config-file", os.path.join(HERE, "wayland-bus.conf"),
                   "--", sys.executable] + sys.argv)
    sys.exit(main())
