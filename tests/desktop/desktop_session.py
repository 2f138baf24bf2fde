#!/usr/bin/env python3
"""The desktop display as a panel and a person meet it.

On a private session bus and a virtual X server, this script is the panel: it owns
org.kde.StatusNotifierWatcher, starts the built bundle with ZERARAZI_DISPLAY=desktop, reads the
status item and its menu over D-Bus and drives the windows with xdotool. What the item should
show is taken from the same bundle run with the driver display on the same battery.

    desktop_session.py CASE BUNDLE

Exits 77 (skipped) only when a tool it needs is not installed.
"""

import json
import os
import plistlib
import shutil
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
TOOLS = ("dbus-run-session", "Xvfb", "xdotool")
SCREEN = (1440, 900)  # the driver's default screen, so that windows open in the same place
ITEM_PATH = "/StatusNotifierItem"
ITEM_INTERFACE = "org.kde.StatusNotifierItem"
WATCHER = "org.kde.StatusNotifierWatcher"
CHANGE_SIGNALS = ("NewIcon", "NewTitle", "NewToolTip", "XAyatanaNewLabel")
# The command key is Control on this desktop, and the model's Control is Super.
SHORTCUT_MODIFIERS = {"cmd": "Control", "ctrl": "Super", "alt": "Alt", "shift": "Shift"}

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


def skip_unless_tools():
    missing = [tool for tool in TOOLS if not shutil.which(tool)]
    try:
        import gi  # noqa: F401

        gi.require_version("GdkPixbuf", "2.0")
    except (ImportError, ValueError):
        missing.append("python3-gi")
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        sys.exit(SKIPPED)


def start_xvfb(reset):
    """Xvfb on a free display. The server resets when its last client leaves, and refuses a
    client that connects meanwhile (the application starting while an xdotool poll disconnects),
    so only a case whose panel stays connected while the application starts lets it reset: the
    second panel of real_panel takes 15 s to show the item on a server that kept the first's
    state."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % SCREEN,
         "-nolisten", "tcp"] + ([] if reset else ["-noreset"]),
        pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as numbers:
        number = numbers.readline().strip()
    check(number, "Xvfb did not start")
    return server, ":" + number


# --- the panel's side of the bus -------------------------------------------------------------

try:
    import gi

    gi.require_version("GdkPixbuf", "2.0")
    from gi.repository import GdkPixbuf, Gio, GLib
except (ImportError, ValueError):  # skip_unless_tools() says so
    Gio = GLib = None


def run_until(predicate, seconds, what):
    """Runs the main context until `predicate` answers something true, and answers that."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while True:
        while context.pending():
            context.iteration(False)
        found = predicate()
        if found:
            return found
        check(time.monotonic() < deadline, "timed out waiting for " + what)
        time.sleep(0.01)


def settle(seconds):
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        while context.pending():
            context.iteration(False)
        time.sleep(0.01)


class Watcher:
    """A status notifier watcher that records the items that register."""

    def __init__(self, bus):
        self.bus = bus
        self.items = []
        self.owner = 0
        self.object = 0
        self.info = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML).interfaces[0]

    def start(self):
        self.object = self.bus.register_object(
            "/StatusNotifierWatcher", self.info, self.on_call, self.on_property, None)
        owned = []
        self.owner = Gio.bus_own_name_on_connection(
            self.bus, WATCHER, Gio.BusNameOwnerFlags.NONE,
            lambda *_: owned.append(True), None)
        run_until(lambda: owned, 5, "the watcher's name")

    def stop(self):
        Gio.bus_unown_name(self.owner)
        self.bus.unregister_object(self.object)
        settle(0.1)

    def on_call(self, bus, sender, path, interface, method, parameters, invocation):
        if method == "RegisterStatusNotifierItem":
            self.items.append(parameters.unpack()[0])
        invocation.return_value(None)

    def on_property(self, bus, sender, path, interface, name):
        values = {"RegisteredStatusNotifierItems": GLib.Variant("as", self.items),
                  "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
                  "ProtocolVersion": GLib.Variant("i", 0)}
        return values.get(name)


class Portal:
    """The XDG desktop portal's appearance setting, as a session would offer it."""

    def __init__(self, bus, color_scheme):
        self.bus = bus
        self.color_scheme = color_scheme
        info = Gio.DBusNodeInfo.new_for_xml(PORTAL_XML).interfaces[0]
        bus.register_object("/org/freedesktop/portal/desktop", info, self.on_call, None, None)
        owned = []
        Gio.bus_own_name_on_connection(bus, "org.freedesktop.portal.Desktop",
                                       Gio.BusNameOwnerFlags.NONE,
                                       lambda *_: owned.append(True), None)
        run_until(lambda: owned, 5, "the portal's name")

    def on_call(self, bus, sender, path, interface, method, parameters, invocation):
        invocation.return_value(
            GLib.Variant("(v)", (GLib.Variant("u", self.color_scheme),)))

    def change(self, color_scheme):
        self.color_scheme = color_scheme
        self.bus.emit_signal(None, "/org/freedesktop/portal/desktop",
                             "org.freedesktop.portal.Settings", "SettingChanged",
                             GLib.Variant("(ssv)", ("org.freedesktop.appearance", "color-scheme",
                                                    GLib.Variant("u", color_scheme))))


class Item:
    """The status item as the panel sees it: its properties, its signals, its menu."""

    def __init__(self, bus, name):
        self.bus = bus
        self.name = name
        self.signals = []
        bus.signal_subscribe(None, ITEM_INTERFACE, None, ITEM_PATH, None,
                             Gio.DBusSignalFlags.NONE, self.on_signal)

    def on_signal(self, bus, sender, path, interface, member, parameters):
        self.signals.append(member)

    def call(self, path, interface, method, parameters, reply):
        result = self.bus.call_sync(self.name, path, interface, method, parameters,
                                    GLib.VariantType(reply), Gio.DBusCallFlags.NONE, 5000, None)
        return result.unpack()

    def properties(self):
        return self.call(ITEM_PATH, "org.freedesktop.DBus.Properties", "GetAll",
                         GLib.Variant("(s)", (ITEM_INTERFACE,)), "(a{sv})")[0]

    def has_icon(self):
        """Whether the item is on the bus with a picture (the panel may ask before either)."""
        try:
            return bool(self.properties()["IconPixmap"])
        except GLib.Error:
            return False

    def menu_layout(self, menu_path):
        return self.call(menu_path, "com.canonical.dbusmenu", "GetLayout",
                         GLib.Variant("(iias)", (0, -1, [])), "(u(ia{sv}av))")[1]

    def menu_items(self, menu_path):
        """The top level of the menu: (id, properties) of each item, in order."""
        return [(child[0], child[1]) for child in self.menu_layout(menu_path)[2]]

    def choose(self, menu_path, item_id):
        self.call(menu_path, "com.canonical.dbusmenu", "Event",
                  GLib.Variant("(isvu)", (item_id, "clicked", GLib.Variant("i", 0), 0)), "()")

    def changes(self):
        return [signal for signal in self.signals if signal in CHANGE_SIGNALS]


class Notifications:
    """A notification service that keeps the texts it is asked to show."""

    def __init__(self, bus):
        self.bodies = []
        self.senders = []  # (application name, icon, summary) of each
        info = Gio.DBusNodeInfo.new_for_xml(NOTIFICATIONS_XML).interfaces[0]
        bus.register_object("/org/freedesktop/Notifications", info, self.on_call, None, None)
        owned = []
        Gio.bus_own_name_on_connection(bus, "org.freedesktop.Notifications",
                                       Gio.BusNameOwnerFlags.NONE, lambda *_: owned.append(True),
                                       None)
        run_until(lambda: owned, 5, "the notification service's name")

    def on_call(self, bus, sender, path, interface, method, parameters, invocation):
        name, _, icon, summary, body = parameters.unpack()[:5]
        self.bodies.append(body)
        self.senders.append((name, icon, summary))
        invocation.return_value(GLib.Variant("(u)", (len(self.bodies),)))


def name_has_owner(bus, name):
    result = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", GLib.Variant("(s)", (name,)), GLib.VariantType("(b)"),
                           Gio.DBusCallFlags.NONE, 5000, None)
    return result.unpack()[0]


def connection_of_process(bus, pid):
    """The unique name of the connection that process `pid` holds; None when it holds none."""
    names = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "ListNames", None, GLib.VariantType("(as)"), Gio.DBusCallFlags.NONE,
                          5000, None).unpack()[0]
    for name in names:
        if not name.startswith(":"):
            continue
        try:
            owner = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                  "org.freedesktop.DBus", "GetConnectionUnixProcessID",
                                  GLib.Variant("(s)", (name,)), GLib.VariantType("(u)"),
                                  Gio.DBusCallFlags.NONE, 5000, None).unpack()[0]
        except GLib.Error:
            continue
        if owner == pid:
            return name
    return None


# --- the application ---------------------------------------------------------------------------

class Session:
    def __init__(self, bundle, display):
        self.bundle = bundle
        self.executable = os.path.join(bundle, "Contents", "MacOS", "Zerarazi")
        self.folder = tempfile.mkdtemp(prefix="zerarazi-desktop-")
        self.home = os.path.join(self.folder, "home")
        os.mkdir(self.home)
        self.battery = os.path.join(self.folder, "battery.plist")
        shutil.copy(os.path.join(bundle, "Contents", "Resources", "sample-battery.plist"),
                    self.battery)
        self.display = display
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        self.bus_address = os.environ["DBUS_SESSION_BUS_ADDRESS"]
        self.xvfb = None  # the X server the application shows on
        self.wayland = {}  # a Wayland compositor to show on instead
        self.app = None
        self.connections = {}  # process id: its connection to the session bus
        self.theme = {}  # GTK_THEME for a dark run
        self.stderr_path = os.path.join(self.folder, "stderr")

    def environment(self, display_kind):
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.home,
               "ZERARAZI_DISPLAY": display_kind, "ZERARAZI_BATTERY": self.battery,
               "DISPLAY": self.display, "NO_AT_BRIDGE": "1", "GTK_A11Y": "none",
               "DBUS_SESSION_BUS_ADDRESS": self.bus_address,
               # Fontconfig keeps its caches for the life of the process; anything else that
               # is left at exit in a sanitizer build fails the case.
               "LSAN_OPTIONS": "suppressions=" + os.path.join(os.path.dirname(
                   os.path.abspath(__file__)), "leaks.supp")}
        env.update(self.theme)
        env.update(self.wayland)
        return env

    def driver(self, script):
        """The JSON lines the bundle writes with the driver display for `script`."""
        run = subprocess.run([self.executable], input=script + "\n", capture_output=True,
                             text=True, env=self.environment("driver"), timeout=20,
                             cwd=self.folder)
        return [json.loads(line) for line in run.stdout.splitlines() if line.startswith("{")]

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
        self.stderr = open(self.stderr_path, "w")
        self.app = subprocess.Popen([self.executable], env=self.environment("desktop"),
                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                    stderr=self.stderr, cwd=self.folder)

    def item_name(self):
        """The application's own connection, which the item registers under by its path; it is
        remembered, so that it can still be named once the application has gone."""
        if self.app.pid not in self.connections:
            found = connection_of_process(self.bus, self.app.pid)
            if not found:
                return ":no-connection-of-%d" % self.app.pid
            self.connections[self.app.pid] = found
        return self.connections[self.app.pid]

    def errors(self):
        with open(self.stderr_path) as text:
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


def expected_pixmaps(png_path, tint):
    """A template status picture as the item should show it, ARGB32 in network order: the
    pictures hold two pixels a point, so 1x is the mean alpha of each 2 x 2 block and 2x is the
    picture's own pixels; the colour is the panel's tint."""
    picture = GdkPixbuf.Pixbuf.new_from_file(png_path)
    width, height = picture.get_width(), picture.get_height()
    stride, channels = picture.get_rowstride(), picture.get_n_channels()
    data = picture.get_pixels()

    def alpha(x, y):
        return data[y * stride + x * channels + 3] if channels == 4 else 255

    one = bytearray()
    for y in range(height // 2):
        for x in range(width // 2):
            total = sum(alpha(2 * x + dx, 2 * y + dy) for dx in (0, 1) for dy in (0, 1))
            one += bytes(((total + 2) // 4, tint, tint, tint))
    two = bytearray()
    for y in range(height):
        for x in range(width):
            two += bytes((alpha(x, y), tint, tint, tint))
    return [(width // 2, height // 2, bytes(one)), (width, height, bytes(two))]


def shown_pixmaps(properties):
    return [(width, height, bytes(data)) for width, height, data in properties["IconPixmap"]]


def check_icon(properties, png, tint):
    shown, expected = shown_pixmaps(properties), expected_pixmaps(png, tint)
    sizes = [(width, height) for width, height, _ in shown]
    check(sizes == [(width, height) for width, height, _ in expected], "icon sizes %r" % sizes)
    for (width, height, pixels), (_, _, wanted) in zip(shown, expected):
        wrong = [i // 4 for i in range(0, len(wanted), 4) if pixels[i:i + 4] != wanted[i:i + 4]]
        check(not wrong, "%dx%d icon: %d pixels differ from %s painted %d, the first at %d: %r, "
              "not %r" % (width, height, len(wrong), os.path.basename(png), tint, wrong[0],
                          pixels[wrong[0] * 4:wrong[0] * 4 + 4] if wrong else b"",
                          wanted[wrong[0] * 4:wrong[0] * 4 + 4] if wrong else b"")
              if wrong else "")


def registered_item(session, watcher, count=1):
    run_until(lambda: len(watcher.items) >= count, 20, "the item to register")
    check(watcher.items[-1] == ITEM_PATH, "registered %r, not the item's path" % watcher.items[-1])
    return Item(session.bus, session.item_name())


def menu_id(item, menu_path, label):
    for item_id, properties in item.menu_items(menu_path):
        if properties.get("label") == label:
            return item_id
    raise Failure("no menu item %r" % label)


def visible_window(name, seconds=15):
    """The X window id of the visible window with that exact title."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % name],
                               capture_output=True, text=True)
        if found.stdout.split():
            return found.stdout.split()[0]
        settle(0.05)
    raise Failure("no visible window %r" % name)


def press_close_button(window_id):
    """What a window manager sends when a person presses a window's close button:
    WM_PROTOCOLS / WM_DELETE_WINDOW (there is no window manager here to do it)."""
    import ctypes

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


def no_visible_window(name):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % name],
                           capture_output=True, text=True)
    return not found.stdout.split()


# --- a real panel: xfce4-panel's status tray -------------------------------------------------

PANEL_TOOLS = ("xfce4-panel", "import")
PANEL_SIZE = 26
PANEL_XML = """<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array"><value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="%d"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
"""


class XfcePanel:
    """xfce4-panel with its status tray alone, configured in a private XDG_CONFIG_HOME. The panel
    reads its configuration from xfconfd, which the bus starts, so the bus's activation
    environment gets that folder too."""

    def __init__(self, session):
        config = os.path.join(session.folder, "config")
        channels = os.path.join(config, "xfce4", "xfconf", "xfce-perchannel-xml")
        os.makedirs(channels, exist_ok=True)
        with open(os.path.join(channels, "xfce4-panel.xml"), "w") as text:
            text.write(PANEL_XML % PANEL_SIZE)
        session.bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                              "org.freedesktop.DBus", "UpdateActivationEnvironment",
                              GLib.Variant("(a{ss})", ({"XDG_CONFIG_HOME": config},)), None,
                              Gio.DBusCallFlags.NONE, 5000, None)
        env = dict(session.environment("desktop"), XDG_CONFIG_HOME=config)
        self.bus = session.bus
        self.process = subprocess.Popen(["xfce4-panel", "--disable-wm-check"], env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        run_until(lambda: name_has_owner(self.bus, WATCHER), 10, "the panel's status tray")

    def stop(self):
        self.process.terminate()
        self.process.wait()
        run_until(lambda: not name_has_owner(self.bus, WATCHER), 5, "the status tray to end")


def screenshot(path, crop=None, window="root"):
    subprocess.run(["import", "-window", window] + (["-crop", crop] if crop else []) + [path],
                   check=True)
    return GdkPixbuf.Pixbuf.new_from_file(path)


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


# --- the cases ---------------------------------------------------------------------------------

def case_status_item(session):
    """The item's properties, its icon pixels and label, its menu, and a clean exit."""
    reference = session.driver("dump")
    status, menu = last(reference, "status"), last(reference, "menu")
    watcher = Watcher(session.bus)
    watcher.start()
    session.start()
    item = registered_item(session, watcher)
    properties = item.properties()
    fixed = {"Id": "org.zerarazi.Zerarazi", "Category": "Hardware", "Status": "Active",
             "Title": "Zerarazi", "ItemIsMenu": True, "XAyatanaLabel": status["title"]}
    for key, value in fixed.items():
        check(properties.get(key) == value, "%s is %r, not %r" % (key, properties.get(key), value))
    check(status["template"], "the status picture is a template")
    png = os.path.join(session.bundle, "Contents", "Resources", status["image"])
    # No portal and no GNOME: the panel is drawn with the GTK theme, Adwaita here, which is light,
    # so the template is painted black.
    check_icon(properties, png, 0)
    tool_tip = properties["ToolTip"]
    check(tool_tip[2] == status["title"] and tool_tip[3] == (status["tooltip"] or ""),
          "the tooltip is %r" % (tool_tip,))

    # A click the panel sends as Activate is refused as a method the item lacks, so that the
    # panel opens the menu instead.
    try:
        item.call(ITEM_PATH, ITEM_INTERFACE, "Activate", GLib.Variant("(ii)", (0, 0)), "()")
        check(False, "Activate was answered as if it did something")
    except GLib.Error as error:
        check("UnknownMethod" in error.message, "Activate failed with %s" % error.message)

    menu_path = properties["Menu"]
    root = item.menu_layout(menu_path)[1]
    check(root.get("children-display") == "submenu", "the menu's root says %r" % root)
    shown = item.menu_items(menu_path)
    check(len(shown) == len(menu["items"]), "the menu has %d items" % len(shown))
    for (item_id, props), model in zip(shown, menu["items"]):
        if model.get("separator"):
            check(props.get("type") == "separator", "item %d is not a separator" % item_id)
            continue
        check(props.get("label") == model["title"], "label %r" % props.get("label"))
        check(props.get("enabled", True) == model["enabled"], "%r enabled" % model["title"])
        if model["key"]:
            keys = [SHORTCUT_MODIFIERS[name] for name in ("cmd", "shift", "alt", "ctrl")
                    if name in model["modifiers"]]
            check(props.get("shortcut") == [keys + [model["key"]]],
                  "%r has shortcut %r" % (model["title"], props.get("shortcut")))

    # The information alert comes and goes with Return; the model shows itself at every pass
    # of the alert's modal loop, and none of that is a change for the panel.
    signals_before = len(item.changes())
    item.choose(menu_path, menu_id(item, menu_path, "Show Battery Information..."))
    alert = last(session.driver("menu 3"), "alert")
    window = visible_window(alert["title"])
    # The alert is modal: a choice in the panel's menu meanwhile is not carried out.
    item.choose(menu_path, menu_id(item, menu_path, "Preferences..."))
    subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", "Return"], check=True)
    run_until(lambda: no_visible_window(alert["title"]), 5, "Return to answer the alert")
    settle(0.3)
    check(no_visible_window("Preferences"), "a menu choice went past the modal alert")
    check(len(item.changes()) == signals_before,
          "refreshes that changed nothing sent %r" % item.changes()[signals_before:])

    # Quit: the item leaves the bus.
    item.choose(menu_path, menu_id(item, menu_path, "Quit Zerarazi"))
    check(session.wait_for_exit() == 0, "Quit did not end the application with status 0")
    check(not name_has_owner(session.bus, session.item_name()), "the item's name outlived it")


def case_title_in_icon(session):
    """IconShowsTitle "always" draws the charge into the icon, and leaves the label empty: never
    both. A panel not known to show wide pictures gets a square one, the battery across it."""
    preferences = os.path.join(session.home, "Library", "Preferences")
    os.makedirs(preferences)
    with open(os.path.join(preferences, "org.zerarazi.Zerarazi.plist"), "w") as plist:
        plist.write('<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict>'
                    '<key>ShowPercentage</key><integer>1</integer>'
                    '<key>IconShowsTitle</key><string>always</string></dict></plist>\n')
    title = last(session.driver("dump"), "status")["title"]
    check(title.endswith("%"), "the title is %r" % title)
    watcher = Watcher(session.bus)
    watcher.start()
    session.start()
    item = registered_item(session, watcher)
    run_until(item.has_icon, 10, "the item's icon")
    properties = item.properties()
    check("XAyatanaLabel" not in properties, "the label is %r" % properties.get("XAyatanaLabel"))
    sizes = [(width, height) for width, height, _ in properties["IconPixmap"]]
    check(sizes == [(16, 16), (32, 32)], "icon sizes %r" % sizes)
    check(properties["IconName"] == "" and properties["IconThemePath"] == "",
          "a panel not known to repaint icons was given one by name")
    session.app.terminate()
    check(session.wait_for_exit() == 0, "SIGTERM did not end the application cleanly")


def case_watcher_restart(session):
    """No panel at first, then one, then the panel restarts: the item comes back each time."""
    session.start()
    run_until(lambda: "no panel" in session.errors(), 5, "the line about the missing panel")
    watcher = Watcher(session.bus)
    watcher.start()
    item = registered_item(session, watcher)
    label = item.properties()["XAyatanaLabel"]
    watcher.stop()
    watcher.start()
    registered_item(session, watcher, count=2)
    check(item.properties()["XAyatanaLabel"] == label, "the label changed across the restart")
    check(session.errors().count("no panel") == 1, "the missing panel was reported twice")
    session.app.terminate()
    check(session.wait_for_exit() == 0, "SIGTERM did not end the application cleanly")


def case_panel_tint(session):
    """The portal's colour scheme wins over the light theme: dark gets a white icon, and a
    switch to light repaints it black."""
    reference = session.driver("dump")
    png = os.path.join(session.bundle, "Contents", "Resources", last(reference, "status")["image"])
    portal = Portal(session.bus, 1)
    watcher = Watcher(session.bus)
    watcher.start()
    session.start()
    item = registered_item(session, watcher)
    check_icon(item.properties(), png, 255)
    portal.change(2)
    run_until(lambda: "NewIcon" in item.signals, 5, "NewIcon after the colour scheme changed")
    check_icon(item.properties(), png, 0)


def case_preferences(session):
    """A click on a box of the Preferences window changes the label beside the icon; its close
    button closes it."""
    reference = session.driver("menu 4\nclick 3")
    window = next(line for line in reference if line.get("event") == "window")
    box = next(control for control in window["controls"] if control["number"] == 3)
    watcher = Watcher(session.bus)
    watcher.start()
    session.start()
    item = registered_item(session, watcher)
    menu_path = item.properties()["Menu"]
    menu_signals = []
    session.bus.signal_subscribe(None, "com.canonical.dbusmenu", None, menu_path, None,
                                 Gio.DBusSignalFlags.NONE,
                                 lambda *arguments: menu_signals.append(arguments[4]))
    preferences = menu_id(item, menu_path, "Preferences...")
    item.choose(menu_path, preferences)
    visible_window(window["title"])
    # The open window disables its menu item: the panel hears of that item, not of a new menu.
    run_until(lambda: "ItemsPropertiesUpdated" in menu_signals, 5, "the menu item to change")
    check("LayoutUpdated" not in menu_signals, "the menu was laid out anew: %r" % menu_signals)
    check(dict(item.menu_items(menu_path))[preferences].get("enabled") is False,
          "Preferences... is still enabled while its window is open")
    item.signals.clear()
    # Without a window manager the window sits exactly where the model put it.
    x, y = box["x"] + 8, box["y"] + box["height"] // 2
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"], check=True)
    run_until(lambda: "XAyatanaNewLabel" in item.signals, 5, "the label to change")
    label = item.properties()["XAyatanaLabel"]
    check(label == last(reference, "status")["title"], "the label is %r after the click" % label)
    # The close button asks the model, which closes the window.
    press_close_button(visible_window(window["title"]))
    run_until(lambda: no_visible_window(window["title"]), 5, "the window to close")


def case_condition_warning(session):
    """A poor battery: the warning sounds (silence without a sound server, and no error) and
    its alert comes before the status item; Return answers it and the item appears."""
    with open(session.battery) as text:
        recording = text.read()
    with open(session.battery, "w") as text:
        text.write(recording.replace("<key>Registry</key>\n\t<dict>",
                                     "<key>Registry</key>\n\t<dict>\n\t\t<key>BatteryHealth</key>"
                                     "<string>Poor</string>", 1))
    alert = last(session.driver(""), "alert")
    check(alert["icon"] == "caution", "the warning's icon is %r" % alert["icon"])
    watcher = Watcher(session.bus)
    watcher.start()
    session.start()
    window = visible_window(alert["title"])
    check(not watcher.items, "the status item came before the warning was answered")
    subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", "Return"], check=True)
    registered_item(session, watcher)
    complaints = [line for line in session.errors().splitlines()
                  if any(word in line.lower() for word in ("alsa", "canberra", "sound"))]
    check(not complaints, "the sound complained: %r" % complaints)


def case_settings_notice(session):
    """A setting that cannot be stored (the home's Library is a file) is shown once as a
    notification, besides standard error, under the name and icon the bundle gives: the item
    and the notification follow a renamed bundle."""
    session.rename("Volta", "org.example.Volta")
    with open(os.path.join(session.home, "Library"), "w") as text:
        text.write("not a folder")
    reference = session.driver("menu 4\nclick 3")
    window = next(line for line in reference if line.get("event") == "window")
    box = next(control for control in window["controls"] if control["number"] == 3)
    notifications = Notifications(session.bus)
    watcher = Watcher(session.bus)
    watcher.start()
    session.start()
    item = registered_item(session, watcher)
    properties = item.properties()
    check((properties["Title"], properties["Id"]) == ("Volta", "org.example.Volta"),
          "the item is %r, %r" % (properties["Title"], properties["Id"]))
    menu_path = properties["Menu"]
    item.choose(menu_path, menu_id(item, menu_path, "Preferences..."))
    visible_window(window["title"])
    x, y = box["x"] + 8, box["y"] + box["height"] // 2
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"], check=True)
    press_close_button(visible_window(window["title"]))
    run_until(lambda: notifications.bodies, 5, "a notification")
    check(len(notifications.bodies) == 1, "notifications: %r" % notifications.bodies)
    check(notifications.senders == [("Volta", "org.example.Volta", "Volta")],
          "the notification comes from %r" % notifications.senders)
    check("cannot store settings" in notifications.bodies[0],
          "the notification says %r" % notifications.bodies[0])
    check(notifications.bodies[0] in session.errors(), "standard error lacks the notification")


def luminance(colour):
    """The relative luminance of an sRGB colour, as contrast ratios count it."""
    linear = [(c / 255) / 12.92 if c <= 10 else ((c / 255 + 0.055) / 1.055) ** 2.4
              for c in colour[:3]]
    return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]


def contrast(one, other):
    """The contrast ratio of two sRGB colours, 1 to 21."""
    lighter, darker = sorted((luminance(one), luminance(other)), reverse=True)
    return (lighter + 0.05) / (darker + 0.05)


def painted_colour(panel):
    """The background of the panel and the colour furthest from it: what the icon is painted."""
    rows = pixel_rows(panel)
    pixels = [pixel[:3] for row in rows for pixel in row]
    background = max(set(pixels), key=pixels.count)
    return background, max(pixels, key=lambda pixel: sum(abs(a - b) for a, b in
                                                          zip(pixel, background)))


def ink_mismatch(panel, pixmaps):
    """How far the shape the panel shows is from the item's picture, whatever colour the panel
    paints it: the share of pixels, in the box of what stands out from the bar, where one shows
    ink and the other none (the closest of the pixmaps, scaled to the box); and the box's middle.
    None when the panel shows nothing."""
    rows = pixel_rows(panel)
    background, colour = painted_colour(panel)
    reach = sum(abs(a - b) for a, b in zip(colour, background))
    inked = [[sum(abs(a - b) for a, b in zip(pixel, background)) * 2 > reach for pixel in row]
             for row in rows]
    marked = [(x, y) for y, row in enumerate(inked) for x, ink in enumerate(row) if ink]
    if not marked or not reach:
        return None
    left, top = min(x for x, _ in marked), min(y for _, y in marked)
    width = max(x for x, _ in marked) - left + 1
    height = max(y for _, y in marked) - top + 1
    shares = []
    for pixmap in pixmaps:
        scaled = painted_part(*pixmap).scale_simple(width, height, GdkPixbuf.InterpType.BILINEAR)
        wrong = sum((alpha > 127) != inked[top + y][left + x]
                    for y, row in enumerate(pixel_rows(scaled))
                    for x, (*_, alpha) in enumerate(row))
        shares.append(wrong / (width * height))
    return min(shares), (left + width // 2, top + height // 2)


def icon_in_panel(item, tint, shot):
    """Waits for the panel to show the item's picture, in the shape of its pixmaps, painted in a
    colour that stands out from the bar (the panel may repaint a symbolic icon in its own text
    colour); answers its middle."""
    pixmaps = shown_pixmaps(item.properties())
    colours = {argb[i + 1:i + 4] for _, _, argb in pixmaps for i in range(0, len(argb), 4)
               if argb[i]}
    check(colours == {bytes((tint,) * 3)}, "the icon is painted %r, not %d" % (colours, tint))
    deadline, shown = time.monotonic() + 10, None
    while time.monotonic() < deadline and not (shown and shown[0] < 0.15):
        panel = shot("panel", crop="%dx%d+0+0" % (SCREEN[0], PANEL_SIZE))
        shown = ink_mismatch(panel, pixmaps)
    check(shown and shown[0] < 0.15, "the panel does not show the item's icon (%s)"
          % ("%.0f %% of its pixels differ" % (100 * shown[0]) if shown else "nothing shown"))
    ratio = contrast(*painted_colour(panel))
    check(ratio >= 4.5, "the icon stands out from the bar by %.1f:1 only" % ratio)
    return shown[1]


def case_real_panel(session):
    """xfce4-panel's status tray shows the item's own pixels (it draws no label) and opens the
    menu on a click, whose first choice is the information alert: on the light theme with a black
    icon, then on the dark one with a white icon. With ZERARAZI_SCREENS set, the panel, the open
    menu, the alert and the Preferences window are saved there as PNG pictures."""
    missing = [tool for tool in PANEL_TOOLS if not shutil.which(tool)]
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        sys.exit(SKIPPED)
    alert = last(session.driver("menu 3"), "alert")["title"]
    window = last(session.driver("menu 4"), "window")["title"]
    screens = os.environ.get("ZERARAZI_SCREENS") or session.folder
    os.makedirs(screens, exist_ok=True)
    for theme, tint in (("light", 0), ("dark", 255)):
        def shot(what, **where):
            return screenshot(os.path.join(screens, "%s-%s.png" % (what, theme)), **where)

        session.theme = {"GTK_THEME": "Adwaita:dark"} if theme == "dark" else {}
        panel = XfcePanel(session)
        session.start()
        run_until(lambda: name_has_owner(session.bus, session.item_name()), 10, "the item")
        item = Item(session.bus, session.item_name())
        run_until(lambda: item.has_icon(), 10, "the item's icon")
        x, y = icon_in_panel(item, tint, shot)
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"], check=True)
        below = "300x100+0+%d" % PANEL_SIZE
        run_until(lambda: any(max(pixel) for row in pixel_rows(shot("menu", crop=below))
                              for pixel in row), 5, "the menu to open")
        settle(0.3)
        shot("menu", crop="640x240+0+0")
        subprocess.run(["xdotool", "key", "Down", "Return"], check=True)
        information = visible_window(alert)
        settle(0.3)
        shot("information", window=information)
        subprocess.run(["xdotool", "windowfocus", "--sync", information, "key", "Return"],
                       check=True)
        run_until(lambda: no_visible_window(alert), 5, "Return to answer the alert")
        menu_path = item.properties()["Menu"]
        item.choose(menu_path, menu_id(item, menu_path, "Preferences..."))
        preferences = visible_window(window)
        settle(0.3)
        shot("preferences", window=preferences)
        press_close_button(preferences)
        run_until(lambda: no_visible_window(window), 5, "the window to close")
        session.app.terminate()
        check(session.wait_for_exit() == 0, "SIGTERM did not end the application cleanly")
        panel.stop()


LIMITS_EXCEEDED = "org.freedesktop.DBus.Error.LimitsExceeded"


def oversized_requests(menu_path, ids):
    """(object path, interface, method, parameters, what the refusal names): each one over its
    bound (bus_request_limits.h), the first one far over it."""
    def id_list(count):
        return [ids[i % len(ids)] for i in range(count)]

    menu = "com.canonical.dbusmenu"
    hovered = (ids[0], "hovered", GLib.Variant("i", 0), 0)
    return [
        (menu_path, menu, "GetLayout", GLib.Variant("(iias)", (0, -1, ["label"] * 10_000)),
         "10000 property names"),
        (menu_path, menu, "GetLayout", GLib.Variant("(iias)", (0, -1, ["label"] * 65)),
         "65 property names"),
        (menu_path, menu, "GetGroupProperties", GLib.Variant("(aias)", (id_list(1025), [])),
         "1025 ids"),
        (menu_path, menu, "GetGroupProperties", GLib.Variant("(aias)", (ids, ["label"] * 65)),
         "65 property names"),
        (menu_path, menu, "AboutToShowGroup", GLib.Variant("(ai)", (id_list(1025),)),
         "1025 ids"),
        (menu_path, menu, "EventGroup", GLib.Variant("(a(isvu))", ([hovered] * 1025,)),
         "1025 events"),
        (menu_path, menu, "Event",
         GLib.Variant("(isvu)", (ids[0], "hovered", GLib.Variant("ay", bytes(65536)), 0)),
         "bytes"),
        (ITEM_PATH, ITEM_INTERFACE, "ContextMenu", GLib.Variant("(ay)", (bytes(65),)),
         "65 elements"),
    ]


def case_bus_limits(session):
    """Calls over their bounds are answered LimitsExceeded and never reach the menu; the item
    and its menu go on answering, and Quit still ends the application cleanly."""
    watcher = Watcher(session.bus)
    watcher.start()
    session.start()
    item = registered_item(session, watcher)
    menu_path = item.properties()["Menu"]
    shown = item.menu_items(menu_path)
    ids = [item_id for item_id, _ in shown]
    for path, interface, method, parameters, named in oversized_requests(menu_path, ids):
        try:
            item.call(path, interface, method, parameters, "r")
            check(False, "%s over its bounds was answered" % method)
        except GLib.Error as error:
            remote = Gio.DBusError.get_remote_error(error)
            check(remote == LIMITS_EXCEEDED, "%s failed with %s: %s" % (method, remote,
                                                                      error.message))
            check(method in error.message and named in error.message,
                  "%s's refusal says %r" % (method, error.message))
    # At its bound a request is answered in full.
    layout = item.call(menu_path, "com.canonical.dbusmenu", "GetLayout",
                       GLib.Variant("(iias)", (0, -1, ["label"] * 64)), "(u(ia{sv}av))")[1]
    check(len(layout[2]) == len(shown), "the layout at the bound has %d items" % len(layout[2]))
    groups = item.call(menu_path, "com.canonical.dbusmenu", "GetGroupProperties",
                       GLib.Variant("(aias)", (ids * (1024 // len(ids)), [])),
                       "(a(ia{sv}))")[0]
    check({group[0] for group in groups} == set(ids), "properties of ids %r" % groups)
    check(item.menu_items(menu_path) == shown, "the menu changed")
    check(item.properties()["Menu"] == menu_path, "the item stopped answering")
    # GLib before 2.76 keeps the blocks the bus's worker parsed a large message into, unless
    # GSlice is plain malloc: the application started itself again with it so.
    if GLib.check_version(2, 76, 0) is not None:
        with open("/proc/%d/environ" % session.app.pid, "rb") as environment:
            check(b"G_SLICE=always-malloc" in environment.read().split(b"\0"),
                  "the application runs with GLib's own block allocator")
    item.choose(menu_path, menu_id(item, menu_path, "Quit Zerarazi"))
    check(session.wait_for_exit() == 0, "Quit did not end the application with status 0")


def started_with_item(session):
    """Starts the application beside a watcher and waits for its item; answers how much it had
    written to standard error by then."""
    watcher = Watcher(session.bus)
    watcher.start()
    session.start()
    registered_item(session, watcher)
    settle(0.3)
    return len(session.errors())


def the_one_line(session, before, line):
    """Standard error has `line` alone after its first `before` characters."""
    lines = session.errors()[before:].splitlines()
    check(lines == [line], "standard error ends with %r, not the one line %r" % (lines, line))


def case_bus_closed(session):
    """The session bus goes away under the shown item: one line says so, and the status is 3,
    not the 0 of a quit; nothing says that a panel is missing."""
    daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                              stdout=subprocess.PIPE, text=True)
    try:
        session.bus_address = daemon.stdout.readline().strip()
        check(session.bus_address, "the second bus did not start")
        session.bus = Gio.DBusConnection.new_for_address_sync(
            session.bus_address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
            | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
        session.bus.set_exit_on_close(False)
        before = started_with_item(session)
    finally:
        daemon.kill()
        daemon.wait()
    check(session.wait_for_exit() == 3, "the application ended with status %r, not 3"
          % session.app.returncode)
    the_one_line(session, before, "zerarazi: the session bus closed")


def case_display_closed(session):
    """The X server goes away under the application: one line says so and the status is 4,
    where GDK alone ends with 1 and a message of its own."""
    before = started_with_item(session)
    session.xvfb.kill()
    session.xvfb.wait()
    check(session.wait_for_exit() == 4, "the application ended with status %r, not 4"
          % session.app.returncode)
    the_one_line(session, before,
                 "zerarazi: the display closed (X server or Wayland compositor gone)")


def start_sway():
    """sway on its headless back end, as the user nobody when this runs as root (sway refuses
    root); answers the process, its runtime folder and its socket's path."""
    runtime = tempfile.mkdtemp(prefix="zerarazi-wayland-")  # the user must reach it
    config = os.path.join(runtime, "config")
    open(config, "w").close()
    command = ["sway", "-c", config]
    if os.geteuid() == 0:
        os.chown(runtime, 65534, 65534)
        command = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] + command
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "XDG_RUNTIME_DIR": runtime,
           "HOME": runtime, "WLR_BACKENDS": "headless", "WLR_RENDERER": "pixman",
           "WLR_LIBINPUT_NO_DEVICES": "1"}
    compositor = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
    sockets = []

    def socket_made():
        sockets[:] = [name for name in os.listdir(runtime)
                      if name.startswith("wayland-") and not name.endswith(".lock")]
        return sockets

    run_until(socket_made, 10, "sway's socket")
    return compositor, runtime, os.path.join(runtime, sockets[0])


def case_compositor_closed(session):
    """The Wayland compositor goes away under the application: one line says so and the status
    is 4, where GDK alone ends with 1 and a message of its own."""
    if not shutil.which("sway"):
        print("skipped: not installed: sway")
        sys.exit(SKIPPED)
    compositor, runtime, socket = start_sway()
    try:
        # GDK finds the socket in the runtime folder only.
        session.wayland = {"XDG_RUNTIME_DIR": runtime, "WAYLAND_DISPLAY": os.path.basename(socket),
                           "GDK_BACKEND": "wayland", "DISPLAY": ""}
        before = started_with_item(session)
    finally:
        compositor.kill()
        compositor.wait()
        shutil.rmtree(runtime, ignore_errors=True)
    check(session.wait_for_exit() == 4, "the application ended with status %r, not 4"
          % session.app.returncode)
    the_one_line(session, before,
                 "zerarazi: the display closed (X server or Wayland compositor gone)")


def case_quit_during_alert(session):
    """Quit chosen from the menu while the About box is up ends the application once the box is
    answered; another choice meanwhile is refused, not kept for later."""
    about = last(session.driver("menu 5"), "alert")
    watcher = Watcher(session.bus)
    watcher.start()
    session.start()
    item = registered_item(session, watcher)
    menu_path = item.properties()["Menu"]
    item.choose(menu_path, menu_id(item, menu_path, "About"))
    window = visible_window(about["title"])
    item.choose(menu_path, menu_id(item, menu_path, "Quit Zerarazi"))
    item.choose(menu_path, menu_id(item, menu_path, "Preferences..."))
    settle(0.5)
    check(session.app.poll() is None, "Quit went past the About box")
    subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", "Return"], check=True)
    check(session.wait_for_exit() == 0, "the application ended with status %r, not 0"
          % session.app.returncode)
    check(no_visible_window("Preferences"), "the choice made during the alert was carried out")


CASES = {"status_item": case_status_item, "condition_warning": case_condition_warning, "watcher_restart": case_watcher_restart,
         "panel_tint": case_panel_tint, "preferences": case_preferences,
         "settings_notice": case_settings_notice, "real_panel": case_real_panel,
         "title_in_icon": case_title_in_icon,
         "bus_limits": case_bus_limits, "bus_closed": case_bus_closed,
         "display_closed": case_display_closed, "compositor_closed": case_compositor_closed,
         "quit_during_alert": case_quit_during_alert}


def main():
    case, bundle = sys.argv[1], sys.argv[2]
    if case not in CASES:
        print("no case %r (%s)" % (case, ", ".join(CASES)))
        return 2
    server, display = start_xvfb(reset=case == "real_panel")
    os.environ["DISPLAY"] = display  # for xdotool
    session = Session(bundle, display)
    session.xvfb = server
    try:
        CASES[case](session)
    except Failure as failure:
        print("FAILED: %s" % failure)
        print("application's standard error:\n" + session.errors()
              if os.path.exists(session.stderr_path) else "")
        return 1
    finally:
        session.close()
        server.terminate()
        server.wait()
    print("passed")
    return 0


if __name__ == "__main__":
    if not os.environ.get("ZERARAZI_PRIVATE_BUS"):
        skip_unless_tools()
        os.environ["ZERARAZI_PRIVATE_BUS"] = "1"
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable] + sys.argv)
    sys.exit(main())
