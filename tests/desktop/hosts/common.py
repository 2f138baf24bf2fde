"""What every host's run shares. A host module's Host subclass starts and stops its panel and
says where its bar is; run_host measures what a person would see, from the pixels on the screen
and the windows that open, never from what the item says it shows. Each check ends as passed
(True, False, or None when it could not be made) and the figure or the reason beside it."""

import os
import subprocess
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

import desktop_session as ds  # noqa: E402
from desktop_session import SCREEN, Failure, GdkPixbuf, GLib  # noqa: E402

# WCAG's least contrast for the parts of a graphic needed to understand it.
LEGIBLE_CONTRAST = 3.0
# A pixel belongs to something drawn on the bar when a channel differs from the bar by more.
MARK_THRESHOLD = 24
# The most unlike the item's pixmaps (0 to 1) that the bar's drawing may be and count as its icon.
LIKE_ICON = 0.35
# Host complaints worth reading: the words and, for warnings, what they must mention.
CRITICAL_WORDS = ("CRITICAL", "TypeError", "JS ERROR", "ReferenceError", "Segmentation fault",
                  "core dumped", "AddressSanitizer", "runtime error")
ITEM_WORDS = ("statusnotifier", "dbusmenu", "zerarazi", "appindicator", "indicator", "systray",
              "tray", "sni")
CHECKS = ("panel starts", "item shown", "icon legible", "figures visible", "menu: left click",
          "menu: right click", "Preferences window", "alert (About)", "panel restart",
          "Quit status 0", "logs clean")
MARKS = {True: "pass", False: "FAIL", None: "n/a"}



def rows_of(path, box=None):
    picture = GdkPixbuf.Pixbuf.new_from_file(path)
    if box:
        picture = picture.new_subpixbuf(*box)
    return [[pixel[:3] for pixel in row] for row in ds.pixel_rows(picture)]


def differs(pixel, background, threshold=MARK_THRESHOLD):
    return max(abs(a - b) for a, b in zip(pixel, background)) > threshold


def screen_changes(before, after):
    """The pixels (x, y) where two screenshots differ."""
    pictures = [GdkPixbuf.Pixbuf.new_from_file(path) for path in (before, after)]
    stride, channels = pictures[0].get_rowstride(), pictures[0].get_n_channels()
    old, new = (picture.get_pixels() for picture in pictures)
    found = []
    for start in range(0, len(old), stride):
        if old[start:start + stride] != new[start:start + stride]:
            pixels = [(old[i:i + 3], new[i:i + 3]) for i in range(
                start, start + pictures[0].get_width() * channels, channels)]
            found += [(x, start // stride) for x, (a, b) in enumerate(pixels) if a != b and
                      differs(a, b)]
    return found


def changed_columns(before, after, threshold=MARK_THRESHOLD):
    columns = {}
    for y, (old, new) in enumerate(zip(before, after)):
        for x, (a, b) in enumerate(zip(old, new)):
            if differs(a, b, threshold):
                columns.setdefault(x, []).append(y)
    return columns


def clusters(columns, gap=4):
    """Runs of marked columns with gaps of at most `gap`: (left, top, right, bottom) each."""
    found = []
    for x in sorted(columns):
        if found and x - found[-1][2] <= gap:
            left, top, _, bottom = found[-1]
            found[-1] = (left, min(top, min(columns[x])), x, max(bottom, max(columns[x])))
        else:
            found.append((x, min(columns[x]), x, max(columns[x])))
    return found


def expected_ink(pixels, background):
    """How far from the bar each pixel should stand, 0 to 1: a picture in one colour may be
    repainted by the panel, so its alpha is the shape; one of several is laid over the bar."""
    colours = {pixel[:3] for row in pixels for pixel in row if pixel[3]}
    if len(colours) <= 1:
        return [[pixel[3] / 255 for pixel in row] for row in pixels]
    inks = [[max(abs(pixel[3] / 255 * (c - b)) for c, b in zip(pixel[:3], bar))
             for pixel in row] for row, bar in zip(pixels, background)]
    peak = max(max(row) for row in inks) or 1
    return [[ink / peak for ink in row] for row in inks]


def shape_difference(rows, box, background, pixmaps):
    """How unlike the item's pixmaps the pixels in `box` are: the mean difference (0 to 1) of the
    pixmap's ink scaled to the box and each pixel's distance from the bar, of the farthest."""
    left, top, right, bottom = box
    width, height = right - left + 1, bottom - top + 1
    if width < 3 or height < 3:
        return 1.0
    distance = [[max(abs(a - b) for a, b in zip(rows[top + y][left + x], background[top + y]))
                 for x in range(width)] for y in range(height)]
    peak = max(max(row) for row in distance) or 1
    best = 1.0
    for pixmap in pixmaps:
        part = ds.painted_part(*pixmap)
        if not 0.6 <= (width / height) / (part.get_width() / part.get_height()) <= 1.6:
            continue  # squashed or stretched: not the icon as the item gives it
        scaled = part.scale_simple(width, height, GdkPixbuf.InterpType.BILINEAR)
        expected = expected_ink(ds.pixel_rows(scaled), background[top:top + height])
        best = min(best, sum(abs(expected[y][x] - distance[y][x] / peak) for y in range(height)
                             for x in range(width)) / (width * height))
    return best


class Sighting:
    """The item in the bar: the icon's box and those beside it (left, top, right, bottom on the
    screen), the bar's and the ink's colours, and how unlike the item's pixmaps the icon is."""

    def __init__(self, icon, beside, background, ink, difference):
        self.icon, self.beside, self.background, self.ink = icon, beside, background, ink
        self.difference = difference
        self.contrast = ds.contrast(ink, background)

    def middle(self):
        return (self.icon[0] + self.icon[2]) // 2, (self.icon[1] + self.icon[3]) // 2


def find_item(before, after, bar, pixmaps):
    """Where the bar changed with the item, the pixels unlike the bar beside the change are split
    into parts: the icon is the part, or run of parts, most like the item's pixmaps; the parts of
    the same change or within 12 pixels are beside it (a label's glyphs). None: nothing changed."""
    scored = []
    for left, _, right, _ in clusters(changed_columns(before, after)):
        wide = [x for x in range(max(0, left - 40), min(len(after[0]), right + 41))
                if not left <= x <= right] or list(range(left, right + 1))
        # Row by row, from the columns beside the change: some panels have a vertical gradient.
        background = [most_common([row[x] for x in wide]) for row in after]
        inked = {x: [y for y in range(len(after)) if differs(after[y][x], background[y])]
                 for x in range(left, right + 1)}
        scored += [(shape_difference(after, part, background, pixmaps), part, background,
                    (left, right)) for part in clusters({x: ys for x, ys in inked.items() if ys},
                                                        gap=1)]
    # An icon with the figures drawn beside the battery is a row of parts together.
    parts = sorted(scored, key=lambda entry: entry[1][0])
    for first, (_, union, background, run) in enumerate(parts):
        for _, box, _, _ in parts[first + 1:]:
            if box[0] - union[2] > 12:
                break
            union = (union[0], min(union[1], box[1]), box[2], max(union[3], box[3]))
            scored.append((shape_difference(after, union, background, pixmaps), union,
                           background, run))
    if not scored:
        return None
    difference, icon, background, run = min(scored)
    beside = [b for _, b, _, r in scored if not (icon[0] <= b[0] and b[2] <= icon[2]) and
              (r == run or 0 <= b[0] - icon[2] <= 12 or 0 <= icon[0] - b[2] <= 12)]
    shift = lambda b: (b[0] + bar[0], b[1] + bar[1], b[2] + bar[0], b[3] + bar[1])  # noqa: E731
    return Sighting(shift(icon), [shift(b) for b in beside], background[(icon[1] + icon[3]) // 2],
                    ink_colour(after, icon, background), difference)


def most_common(pixels):
    return max(set(pixels), key=pixels.count)


def ink_colour(rows, box, background):
    """The median of the farthest quarter of the icon's pixels from the bar (edges are blended)."""
    left, top, right, bottom = box
    marked = [(rows[y][x], background[y]) for y in range(top, bottom + 1)
              for x in range(left, right + 1) if differs(rows[y][x], background[y], 8)]
    if not marked:
        return background[(top + bottom) // 2]
    marked.sort(key=lambda pair: max(abs(a - b) for a, b in zip(*pair)))
    far = marked[len(marked) * 3 // 4:]
    return far[len(far) // 2][0]



class Host:
    """A desktop's panel: subclasses set name, desktop (XDG_CURRENT_DESKTOP), tools, panel_size and
    detail, and give start_panel; a bar not along the top of an X screen overrides the rest."""

    name = desktop = detail = ""
    tools = ()
    panel_size = 26

    def __init__(self, theme, folder):
        self.theme, self.folder = theme, folder
        self.dark = theme == "dark"
        self.home = os.path.join(folder, "home")
        self.runtime = os.path.join(folder, "runtime")
        for path in (self.home, self.runtime, self.config_home()):
            os.makedirs(path, exist_ok=True)
        os.chmod(self.runtime, 0o700)
        self.bus = ds.Gio.bus_get_sync(ds.Gio.BusType.SESSION, None)
        self.panel = None
        self.log_paths = []

    def config_home(self):
        return os.path.join(self.home, ".config")

    def environment(self):
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.home,
               "USER": os.environ.get("USER", "root"), "LANG": "C.UTF-8",
               "XDG_CONFIG_HOME": self.config_home(),
               "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
               "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
               "XDG_RUNTIME_DIR": self.runtime, "XDG_CURRENT_DESKTOP": self.desktop,
               "XDG_SESSION_TYPE": "x11", "NO_AT_BRIDGE": "1",
               "DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"]}
        env.update(self.screen_environment())
        if self.dark:
            env["GTK_THEME"] = "Adwaita:dark"
        return env

    def activation_environment(self, env):
        # Services the bus starts (xfconfd, dconf) see the private folders too.
        keys = ("HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR",
                "DISPLAY", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP")
        ds.ask_bus(self.bus, "UpdateActivationEnvironment",
                   GLib.Variant("(a{ss})", ({k: env[k] for k in keys if k in env},)))

    def spawn(self, what, command, env=None):
        path = os.path.join(self.folder, "%s-%d.log" % (what, len(self.log_paths) + 1))
        self.log_paths.append(path)
        with open(path, "w") as log:
            return subprocess.Popen(command, env=env or self.environment(),
                                    stdin=subprocess.DEVNULL, stdout=log,
                                    stderr=subprocess.STDOUT, start_new_session=True)

    def host_logs(self):
        return "".join(open(path, errors="replace").read() for path in self.log_paths)

    def watcher_present(self):
        return ds.name_has_owner(self.bus, ds.WATCHER)

    def start_watching_panel(self, what, command, env, seconds=20):
        self.activation_environment(env)
        self.panel = self.spawn(what, command, env)
        ds.run_until(self.watcher_present, seconds, "%s's status notifier watcher" % what)

    def restart_panel(self):
        self.stop_panel()
        self.start_panel()

    def stop_panel(self):
        ds.end(self.panel)
        ds.run_until(lambda: not self.watcher_present(), 10, "the watcher to end")

    def log_complaints(self, text):
        return log_complaints(text)

    def bar(self):
        return (0, 0, SCREEN[0], self.panel_size)

    # --- the screen, X by default (Xvfb); sway and GNOME override these ---
    def start_screen(self):
        self.xvfb, self.display = ds.start_xvfb()
        os.environ["DISPLAY"] = self.display

    def stop_screen(self):
        ds.end(self.xvfb)

    def screen_environment(self):
        return {"DISPLAY": self.display}

    def screenshot(self, path):
        ds.screenshot(path)

    def click(self, x, y, button):
        ds.click(x, y, button)

    def park_pointer(self):
        ds.xdotool("mousemove", SCREEN[0] // 2, SCREEN[1] - 5)

    def dismiss_popup(self):
        subprocess.run(["xdotool", "key", "Escape"])

    def app_windows(self, pid):
        """Ids and titles of the application's visible windows but its popup menu's (named after
        the program)."""
        titles = {}
        for window in subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                                     capture_output=True, text=True).stdout.split():
            name = subprocess.run(["xdotool", "getwindowname", window], capture_output=True,
                                  text=True).stdout.rstrip("\n")
            if name not in ("", "Zerarazi"):
                titles[window] = name
        return titles

    def close_window(self, window):
        ds.press_close_button(window)

    def answer_alert(self, window):
        subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", "Return"])



class Run:
    """One host on one theme: its screenshots, the indicator, the log and the results so far."""

    def __init__(self, host, shots):
        self.host, self.shots = host, shots
        self.indicator = self.monitor = None
        self.results, self.log_lines = {}, []
        self.started = time.monotonic()

    def shot(self, what):
        path = os.path.join(self.shots, what + ".png")
        self.host.screenshot(path)
        return path

    def log(self, text):
        line = "%7.1f  %s" % (time.monotonic() - self.started, text)
        self.log_lines.append(line)
        print("[%s/%s] %s" % (self.host.name, self.host.theme, line), flush=True)

    def record(self, check, passed, detail):
        self.results[check] = (passed, detail)
        self.log("%s: %s: %s" % (check, MARKS[passed], detail))
        return passed

    def pixmaps(self):
        return ds.shown_pixmaps(self.item.properties())

    def wait_for_item(self, empty, what, seconds=20):
        bar, pixmaps = self.host.bar(), self.pixmaps()
        deadline, sighting, settled = time.monotonic() + seconds, None, False
        while time.monotonic() < deadline:
            sighting = find_item(empty, rows_of(self.shot(what), bar), bar, pixmaps)
            if sighting and sighting.difference < LIKE_ICON:
                if settled:
                    return sighting
                settled = True
                ds.settle(0.5)  # a host may still be sliding it into place
            else:
                ds.settle(0.3)
        return sighting


def popup_opened(run, button, sighting):
    """Clicks the icon: a popup is a change of over 1500 pixels outside the bar, at least 30 tall,
    with no window of the application's, after the host called the item or its menu."""
    host, name = run.host, {1: "left", 3: "right"}[button]
    before = run.shot("before-%s-click" % name)
    calls_before = len(run.monitor.calls())
    host.click(*sighting.middle(), button)
    bar, changed, tall = host.bar(), 0, 0
    deadline = time.monotonic() + 4
    while time.monotonic() < deadline and not (changed > 1500 and tall >= 30):
        ds.settle(0.3)
        rows = [y for _, y in screen_changes(before, run.shot("menu-%s-click" % name))
                if not bar[1] <= y < bar[1] + bar[3]]
        changed, tall = len(rows), max(rows) - min(rows) + 1 if rows else 0
    opened = changed > 1500 and tall >= 30
    calls = run.monitor.calls()[calls_before:]
    windows = host.app_windows(run.indicator.app.pid)
    host.dismiss_popup()
    ds.settle(0.3)
    for window in windows:
        host.close_window(window)
    if opened and len(screen_changes(before, run.shot("after-dismiss"))) >= 300:
        host.click(SCREEN[0] // 2, SCREEN[1] - 5, 1)
        ds.settle(0.5)
    host.park_pointer()
    said = "; host called " + ", ".join(calls) if calls else "; host made no item call"
    if windows:
        return False, "a window opened instead (%r)%s" % (list(windows.values()), said)
    if opened:
        return bool(calls), "popup of %d px, %d px tall%s" % (changed, tall, said)
    return False, "nothing opened (%d px changed)%s" % (changed, said)


class Monitor:
    """The calls panels make to the item and its menu."""

    def __init__(self, folder):
        self.path = os.path.join(folder, "bus-calls.log")
        with open(self.path, "w") as log:
            self.process = subprocess.Popen(
                ["stdbuf", "-oL", "dbus-monitor", "--session",
                 "type='method_call',interface='%s'" % ds.ITEM_INTERFACE,
                 "type='method_call',interface='%s'" % ds.MENU_INTERFACE], stdout=log,
                stderr=subprocess.DEVNULL)

    def calls(self):
        found = []
        with open(self.path, errors="replace") as text:
            lines = text.read().splitlines()
        for number, line in enumerate(lines):
            member = line.split("member=")[1].split()[0] if line.startswith("method call") else ""
            if member in ("", "GetLayout", "GetGroupProperties", "GetProperty"):
                continue
            following = " ".join(lines[number + 1:number + 3]) if member == "Event" else ""
            found.append(member + ("(%s)" % following.split('"')[1] if '"' in following else ""))
        return found


def log_complaints(text):
    return [line.strip() for line in text.splitlines() if any(word in line for word in
            CRITICAL_WORDS) or (("warning" in line.lower() or "error" in line.lower()) and
                                any(word in line.lower() for word in ITEM_WORDS))]


def run_host(host, bundle, shots):
    os.makedirs(shots, exist_ok=True)
    run = Run(host, shots)
    try:
        host.start_screen()
        run.monitor = Monitor(host.folder)
        run.indicator = ds.Session(bundle, env=host.environment())
        checks(run, host, run.indicator)
    except Failure as failure:
        run.log("stopped: %s" % failure)
    except Exception as error:  # noqa: BLE001 - the table says what broke, the log the trace
        run.log("stopped by an error: %s\n%s" % (error, traceback.format_exc()))
    finally:
        if run.indicator:
            with open(os.path.join(shots, "indicator.stderr"), "w") as text:
                text.write(run.indicator.errors())
            run.indicator.close()
        try:
            ds.end(host.panel)
        finally:
            ds.end(run.monitor and run.monitor.process)
            host.stop_screen()
    for check in CHECKS:
        run.results.setdefault(check, (None, "not reached"))
    return run


def checks(run, host, indicator):
    status = indicator.reference("dump", "status")
    preferences = indicator.reference("menu 4", "window")["title"]
    try:
        host.start_panel()
    except Exception as error:  # noqa: BLE001
        run.record("panel starts", False, str(error))
        raise Failure("the panel did not start")
    ds.settle(1)
    empty = rows_of(run.shot("bar-empty"), host.bar())
    run.record("panel starts", True, host.detail)

    indicator.start()
    run.item = indicator.item(15)
    sighting = run.wait_for_item(empty, "bar")
    if sighting is None:
        run.record("item shown", False, "nothing new in the bar 20 s after the item registered")
        raise Failure("the item is not in the bar")
    left, top, right, bottom = sighting.icon
    like = sighting.difference < LIKE_ICON
    run.record("item shown", like, "%dx%d %s at %d,%d (shape difference %.2f)" % (
        right - left + 1, bottom - top + 1, "icon" if like else "drawing, unlike the item's icon:"
        " squashed or another picture,", left, top, sighting.difference))
    run.record("icon legible", sighting.contrast >= LEGIBLE_CONTRAST,
               "contrast %.1f:1, ink #%02x%02x%02x on bar #%02x%02x%02x" % (
                   (sighting.contrast,) + tuple(sighting.ink) + tuple(sighting.background)))
    run.record("figures visible", *figures(run, sighting, status))
    for button, check in ((1, "menu: left click"), (3, "menu: right click")):
        run.record(check, *popup_opened(run, button, sighting))
    window_check(run, "Preferences window", "Preferences...", preferences)
    window_check(run, "alert (About)", "About", None, alert=True)

    host.restart_panel()
    back = run.wait_for_item(empty, "bar-after-restart", seconds=30)
    run.record("panel restart", bool(back and back.difference < LIKE_ICON),
               "the item is back in the bar" if back and back.difference < LIKE_ICON else
               "no item in the bar 30 s after the panel restarted")

    run.item.choose("Quit Zerarazi")
    try:
        code = indicator.app.wait(10)
        run.record("Quit status 0", code == 0, "exit status %d" % code)
    except subprocess.TimeoutExpired:
        run.record("Quit status 0", False, "still running 10 s after Quit")
    complaints = host.log_complaints(host.host_logs()) + \
        ["indicator: " + line for line in log_complaints(indicator.errors())]
    with open(os.path.join(run.shots, "complaints.txt"), "w") as text:
        text.write("\n".join(complaints) + "\n")
    run.record("logs clean", not complaints, "%d lines; first: %s" % (
        len(complaints), complaints[0][:160]) if complaints else "no critical lines")


def window_check(run, check, label, title, alert=False):
    """A new window titled `title` (any when None) for `label` in the menu closes when answered
    (Return for an alert, else the close button), the application still running."""
    host, app = run.host, run.indicator.app
    before = host.app_windows(app.pid)
    run.item.choose(label)
    new = {}

    def opened():
        new.update({w: t for w, t in host.app_windows(app.pid).items() if w not in before})
        return [w for w, t in new.items() if title in (None, t)]

    found = run_until_or_none(opened, 10)
    if not found:
        return run.record(check, False, "no window %r within 10 s" % title)
    window = found[0]
    ds.settle(0.5)
    run.shot(check.split()[-1].strip("()").lower())
    (host.answer_alert if alert else host.close_window)(window)
    gone = run_until_or_none(lambda: window not in host.app_windows(app.pid), 5)
    if not gone:
        host.close_window(window)
    run.record(check, bool(gone) and app.poll() is None, "%r opened%s" % (new[window], (
        " and closed" if gone else "; it did not close when " + (
            "answered with Return" if alert else "its close button was pressed")) + (
        "" if app.poll() is None else "; the application ended")))


def run_until_or_none(predicate, seconds):
    try:
        return ds.run_until(predicate, seconds, "", interval=0.2)
    except Failure:  # timed out
        return None


def figures(run, sighting, status):
    """Glyphs drawn beside the icon (a label), or an icon other than the plain status picture
    (figures inside it); the text itself is not read."""
    glyphs = label_glyphs(sighting)
    if len(glyphs) >= 2:
        return True, "%d glyph-like parts, %d px wide, beside the icon (item label %r)" % (
            len(glyphs), max(b[2] for b in glyphs) - min(b[0] for b in glyphs) + 1,
            status["title"])
    plain = ds.expected_pixmaps(os.path.join(run.indicator.bundle, "Contents", "Resources",
                                             status["image"]), 0)
    inside = [(w, h) for w, h, argb in run.pixmaps() if not any(
        (w, h, argb[0::4]) == (pw, ph, pargb[0::4]) for pw, ph, pargb in plain)]
    if inside:
        return True, "no label; the icon differs from the plain picture (figures inside it?) " \
            "at %r" % inside
    left, top, right, bottom = sighting.icon
    return False, "nothing beside the %dx%d icon and the icon is the plain picture (item label " \
        "%r not drawn)" % (right - left + 1, bottom - top + 1, status["title"])


def label_glyphs(sighting):
    """The parts following the icon on either side, gaps of at most 8 pixels, none taller than
    the icon's longer side (a wide battery is short): "78%" is three, another icon one."""
    left, top, right, bottom = sighting.icon
    height = max(bottom - top + 1, right - left + 1)
    found = []
    for direction in (1, -1):
        edge, chain = right if direction == 1 else left, []
        for part in sorted(sighting.beside, key=lambda b: b[0] * direction):
            near = part[0] - edge if direction == 1 else edge - part[2]
            if 0 < near <= 8 and part[3] - part[1] + 1 <= height + 2:
                chain.append(part)
                edge = part[2] if direction == 1 else part[0]
        found = max(found, chain, key=len)
    return found
