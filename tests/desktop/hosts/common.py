"""What every host's run shares: the screen it draws on, the indicator, and the checks.

A host module gives a class derived from Host that starts and stops its panel for a theme and
says where its bar is; `run_host` starts the indicator in it and measures, from screenshots and
the session bus, what a person would see. Each check ends as a Result: passed or not, with the
figure or the reason beside it. Nothing here decides a check from what the item says it shows:
the pixels on the screen and the windows that open do.
"""

import json
import os
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

import desktop_session as ds  # noqa: E402
from desktop_session import Failure, GLib, Gio, GdkPixbuf  # noqa: E402

SCREEN = ds.SCREEN
ITEM_PATH = ds.ITEM_PATH
# WCAG's least contrast for the parts of a graphic needed to understand it.
LEGIBLE_CONTRAST = 3.0
# A pixel belongs to something drawn on the bar when a channel differs from the bar by more.
MARK_THRESHOLD = 24
# Columns of marked pixels closer than this are one thing (the glyphs of "57%" and their gaps).
GLYPH_GAP = 4
# Host complaints worth reading: the words and, for warnings, what they must mention.
CRITICAL_WORDS = ("CRITICAL", "TypeError", "JS ERROR", "ReferenceError", "Segmentation fault",
                  "core dumped", "AddressSanitizer", "runtime error")
ITEM_WORDS = ("StatusNotifier", "dbusmenu", "zerarazi", "appindicator", "indicator", "systray",
              "tray", "sni")

ABOUT = "About"
CHECKS = ("panel starts", "item shown", "icon legible", "figures visible", "menu: left click",
          "menu: right click", "Preferences window", "alert (About)", "panel restart",
          "Quit status 0", "logs clean")


class Result:
    def __init__(self, passed, detail):
        self.passed = passed  # True, False, or None when the check could not be made
        self.detail = detail

    def cell(self):
        mark = {True: "pass", False: "FAIL", None: "n/a"}[self.passed]
        return "%s: %s" % (mark, self.detail) if self.detail else mark

    def to_json(self):
        return {"passed": self.passed, "detail": self.detail}


# --- pictures ----------------------------------------------------------------------------------

def load(path):
    return GdkPixbuf.Pixbuf.new_from_file(path)


def rows_of(picture):
    return [[pixel[:3] for pixel in row] for row in ds.pixel_rows(picture)]


def differs(pixel, background, threshold=MARK_THRESHOLD):
    return max(abs(a - b) for a, b in zip(pixel, background)) > threshold


def changed_columns(before, after, threshold=MARK_THRESHOLD):
    """The columns where two pictures of the same size differ, and for each its marked rows."""
    columns = {}
    for y, (old, new) in enumerate(zip(before, after)):
        for x, (a, b) in enumerate(zip(old, new)):
            if differs(a, b, threshold):
                columns.setdefault(x, []).append(y)
    return columns


def clusters(columns, gap=GLYPH_GAP):
    """Runs of marked columns with gaps of at most `gap`: (left, right, top, bottom) each."""
    found = []
    for x in sorted(columns):
        if found and x - found[-1][1] <= gap:
            left, _, top, bottom = found[-1]
            found[-1] = (left, x, min(top, min(columns[x])), max(bottom, max(columns[x])))
        else:
            found.append((x, x, min(columns[x]), max(columns[x])))
    return found


def count_changed(before, after, threshold=MARK_THRESHOLD):
    return sum(1 for old, new in zip(before, after) for a, b in zip(old, new)
               if differs(a, b, threshold))


def crop(picture, box):
    x, y, width, height = box
    return picture.new_subpixbuf(x, y, width, height)


# --- what the bar shows of the item ------------------------------------------------------------

class Sighting:
    """The item as found in the bar: the icon's box (in screen pixels), the boxes drawn next to
    it, the contrast of its ink and how the host placed it."""

    def __init__(self, icon, beside, background, ink, contrast, difference):
        self.icon = icon  # (left, top, right, bottom)
        self.beside = beside  # clusters within a label's reach of the icon
        self.background = background
        self.ink = ink
        self.contrast = contrast
        self.difference = difference

    def middle(self):
        left, top, right, bottom = self.icon
        return (left + right) // 2, (top + bottom) // 2


def expected_ink(pixels, background):
    """How far from the bar each pixel of a picture should stand, 0 to 1. A picture in one
    colour may be repainted by the panel in its own, so its alpha is the shape; a picture of
    several colours (an outlined one) is shown as it is, laid over the bar."""
    colours = {pixel[:3] for row in pixels for pixel in row if pixel[3]}
    if len(colours) <= 1:
        return [[pixel[3] / 255 for pixel in row] for row in pixels]
    inks = [[max(abs(pixel[3] / 255 * (c - b)) for c, b in zip(pixel[:3], bar))
             for pixel in row] for row, bar in zip(pixels, background)]
    peak = max(max(row) for row in inks) or 1
    return [[ink / peak for ink in row] for row in inks]


def icon_shape_difference(rows, box, background, pixmaps):
    """How unlike the item's own pixmaps the pixels in `box` are, shape for shape: the mean
    difference (0 to 1) between the pixmap's alpha scaled to the box and how far each pixel is
    from the background, as a fraction of the farthest."""
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
        aspect = (width / height) / (part.get_width() / part.get_height())
        if not 0.6 <= aspect <= 1.6:
            continue  # squashed or stretched: not the icon as the item gives it
        scaled = part.scale_simple(width, height, GdkPixbuf.InterpType.BILINEAR)
        expected = expected_ink(ds.pixel_rows(scaled), background[top:top + height])
        total = sum(abs(expected[y][x] - distance[y][x] / peak)
                    for y in range(height) for x in range(width))
        best = min(best, total / (width * height))
    return best


def find_item(empty_path, shown_path, bar, pixmaps):
    """Compares the bar without the item and with it. Where it changed, the pixels that differ
    from the bar's colour beside the change (row by row, the most common one) are split at empty columns into
    parts: the icon is the part most like the item's pixmaps, and the parts of the same changed
    run or within 12 pixels of it are drawn beside it (a label's glyphs). None when nothing in
    the bar changed."""
    before, after = rows_of(crop(load(empty_path), bar)), rows_of(crop(load(shown_path), bar))
    scored = []
    for left, right, _, _ in clusters(changed_columns(before, after)):
        wide = [x for x in range(max(0, left - 40), min(len(after[0]), right + 41))
                if not left <= x <= right] or list(range(left, right + 1))
        # Row by row, from the columns beside the change: some panels have a vertical gradient.
        background = [most_common([row[x] for x in wide]) for row in after]
        inked = {x: [y for y in range(len(after)) if differs(after[y][x], background[y])]
                 for x in range(left, right + 1)}
        for part in clusters({x: ys for x, ys in inked.items() if ys}, gap=1):
            box = (part[0], part[2], part[1], part[3])
            scored.append((icon_shape_difference(after, box, background, pixmaps), box,
                           background, (left, right)))
    if not scored:
        return None
    # An icon with the figures drawn beside the battery is a row of parts together.
    boxes = sorted(scored, key=lambda entry: entry[1][0])
    for first in range(len(boxes)):
        union = boxes[first][1]
        for _, box, _, _ in boxes[first + 1:]:
            if box[0] - union[2] > 12:
                break
            union = (union[0], min(union[1], box[1]), box[2], max(union[3], box[3]))
            _, _, background, run = boxes[first]
            scored.append((icon_shape_difference(after, union, background, pixmaps), union,
                           background, run))
    difference, icon, background, run = min(scored)
    within = lambda b: icon[0] <= b[0] and b[2] <= icon[2]  # noqa: E731
    beside = [b for _, b, _, r in scored if b != icon and not within(b) and
              (r == run or 0 <= b[0] - icon[2] <= 12 or 0 <= icon[0] - b[2] <= 12)]
    ink = ink_colour(after, icon, background)
    background = background[(icon[1] + icon[3]) // 2]
    x0, y0 = bar[0], bar[1]
    shift = lambda b: (b[0] + x0, b[1] + y0, b[2] + x0, b[3] + y0)  # noqa: E731
    return Sighting(shift(icon), [shift(b) for b in beside], background, ink,
                    ds.contrast(ink, background), difference)


def most_common(pixels):
    counts = {}
    for pixel in pixels:
        counts[pixel] = counts.get(pixel, 0) + 1
    return max(counts, key=counts.get)


def ink_colour(rows, box, background):
    """The colour of the icon's painted pixels: the median, by distance from the background, of
    the farthest quarter of the pixels that differ from it (the edges are blended)."""
    left, top, right, bottom = box
    marked = [(rows[y][x], background[y]) for y in range(top, bottom + 1)
              for x in range(left, right + 1) if differs(rows[y][x], background[y], 8)]
    if not marked:
        return background[(top + bottom) // 2]
    marked.sort(key=lambda pair: max(abs(a - b) for a, b in zip(*pair)))
    far = marked[len(marked) * 3 // 4:]
    return far[len(far) // 2][0]


# --- the indicator -----------------------------------------------------------------------------

class Indicator:
    """The bundle run with the desktop display, its standard error kept in the host's folder."""

    def __init__(self, bundle, folder, env):
        self.bundle = os.path.abspath(bundle)
        self.executable = os.path.join(self.bundle, "Contents", "MacOS", "Zerarazi")
        self.folder = folder
        self.env = env
        self.process = None
        self.runs = 0
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)

    def driver(self, script):
        env = dict(self.env, ZERARAZI_DISPLAY="driver")
        run = subprocess.run([self.executable], input=script + "\n", capture_output=True,
                             text=True, env=env, timeout=20, cwd=self.folder)
        return [json.loads(line) for line in run.stdout.splitlines() if line.startswith("{")]

    def start(self):
        self.runs += 1
        self.stderr_path = os.path.join(self.folder, "indicator-%d.stderr" % self.runs)
        self.stderr = open(self.stderr_path, "w")
        self.process = subprocess.Popen([self.executable], env=dict(self.env,
                                        ZERARAZI_DISPLAY="desktop"),
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=self.stderr, cwd=self.folder)
        self.connection = ds.run_until(
            lambda: ds.connection_of_process(self.bus, self.process.pid), 15,
            "the indicator on the bus")
        self.item = ds.Item(self.bus, self.connection)
        ds.run_until(self.item.has_icon, 15, "the item on the bus")

    def name(self):
        """The indicator's connection, which its item registers under."""
        return self.connection

    def menu_path(self):
        return self.item.properties()["Menu"]

    def choose(self, label):
        path = self.menu_path()
        self.item.choose(path, ds.menu_id(self.item, path, label))

    def pixmaps(self):
        return ds.shown_pixmaps(self.item.properties())

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def errors(self):
        text = ""
        for run in range(1, self.runs + 1):
            with open(os.path.join(self.folder, "indicator-%d.stderr" % run)) as lines:
                text += lines.read()
        return text


# --- the host's side ---------------------------------------------------------------------------

class Host:
    """A desktop's panel. Subclasses set `name`, `desktop` (XDG_CURRENT_DESKTOP) and `tools`,
    and give start_screen, start_panel, stop_panel and bar (the bar's box on the screen)."""

    name = ""
    desktop = ""
    tools = ()
    startup_seconds = 20

    def __init__(self, theme, folder):
        self.theme = theme
        self.folder = folder
        self.home = os.path.join(folder, "home")
        self.runtime = os.path.join(folder, "runtime")
        for path in (self.home, self.runtime, self.config_home()):
            os.makedirs(path, exist_ok=True)
        os.chmod(self.runtime, 0o700)
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        self.panel = None
        self.panel_runs = 0
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
        if self.theme == "dark":
            env["GTK_THEME"] = "Adwaita:dark"
        return env

    def activation_environment(self, env):
        """Services the bus starts (xfconfd, dconf) see the private folders too."""
        keys = ("HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR",
                "DISPLAY", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP")
        self.bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "UpdateActivationEnvironment",
                           GLib.Variant("(a{ss})", ({k: env[k] for k in keys if k in env},)),
                           None, Gio.DBusCallFlags.NONE, 5000, None)

    def spawn(self, what, command, env=None):
        """Starts a process of the host's with its output in a log of its own."""
        path = os.path.join(self.folder, "%s-%d.log" % (what, len(self.log_paths) + 1))
        self.log_paths.append(path)
        log = open(path, "w")
        return subprocess.Popen(command, env=env or self.environment(), stdin=subprocess.DEVNULL,
                                stdout=log, stderr=subprocess.STDOUT, start_new_session=True)

    def host_logs(self):
        text = ""
        for path in self.log_paths:
            with open(path, errors="replace") as lines:
                text += lines.read()
        return text

    def watcher_present(self):
        return ds.name_has_owner(self.bus, "org.kde.StatusNotifierWatcher")

    def restart_panel(self):
        self.stop_panel()
        self.start_panel()

    def stop_panel(self):
        end(self.panel)

    def log_complaints(self, text):
        """The lines of the host's logs that count against it."""
        return log_complaints(text)

    # Extra checks a host adds; each answers (name, Result).
    def extra_checks(self, run):
        return []

    # --- the screen, X by default (Xvfb); sway overrides these ---
    def start_screen(self):
        self.xvfb, self.display = ds.start_xvfb(reset=False)
        os.environ["DISPLAY"] = self.display

    def stop_screen(self):
        end(self.xvfb)

    def screen_environment(self):
        return {"DISPLAY": self.display}

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], check=True,
                       env=dict(os.environ, DISPLAY=self.display))
        return path

    def click(self, x, y, button):
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button)],
                       check=True)

    def park_pointer(self):
        subprocess.run(["xdotool", "mousemove", "--sync", str(SCREEN[0] // 2),
                        str(SCREEN[1] - 5)], check=True)

    def dismiss_popup(self):
        subprocess.run(["xdotool", "key", "Escape"], check=False)

    def app_windows(self, pid):
        """The application's visible windows: their ids and titles."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                               capture_output=True, text=True).stdout.split()
        titles = {}
        for window in found:
            if popup_window(window):
                continue  # the item's own menu, which a panel's left click may open
            name = subprocess.run(["xdotool", "getwindowname", window], capture_output=True,
                                  text=True)
            if name.returncode == 0:
                titles[window] = name.stdout.rstrip("\n")
        return titles

    def close_window(self, window):
        ds.press_close_button(window)

    def answer_alert(self, window):
        subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", "Return"], check=False)


def popup_window(window):
    """Whether an X window is a popup (a menu), placed by its program without a window manager."""
    info = subprocess.run(["xwininfo", "-id", window], capture_output=True, text=True).stdout
    return "Override Redirect State: yes" in info


def end(process, seconds=5):
    """Ends a process, with its group when it leads one (those `spawn` started)."""
    if process is None or process.poll() is not None:
        return
    leader = os.getpgid(process.pid) == process.pid

    def send(number):
        try:
            os.killpg(process.pid, number) if leader else process.send_signal(number)
        except ProcessLookupError:
            pass

    send(signal.SIGTERM)
    try:
        process.wait(seconds)
    except subprocess.TimeoutExpired:
        send(signal.SIGKILL)
        process.wait()


# --- the run -----------------------------------------------------------------------------------

class Run:
    """One host on one theme: the screenshots' folder, the log, and the results so far."""

    def __init__(self, host, indicator, shots):
        self.host = host
        self.indicator = indicator
        self.shots = shots
        self.results = {}
        self.log_lines = []

    def shot(self, what):
        return self.host.screenshot(os.path.join(self.shots, what + ".png"))

    def log(self, text):
        line = "%7.1f  %s" % (time.monotonic() - START, text)
        self.log_lines.append(line)
        print("[%s/%s] %s" % (self.host.name, self.host.theme, line), flush=True)

    def record(self, check, passed, detail):
        self.results[check] = Result(passed, detail)
        self.log("%s: %s" % (check, self.results[check].cell()))

    def wait_for_item(self, empty, what, seconds=20):
        """Screenshots until the bar shows the item's icon; the last sighting or None."""
        deadline, sighting = time.monotonic() + seconds, None
        pixmaps = self.indicator.pixmaps()
        while time.monotonic() < deadline:
            ds.settle(0.5)
            path = self.shot(what)
            sighting = find_item(empty, path, self.host.bar(), pixmaps)
            if sighting and sighting.difference < 0.35:
                ds.settle(1.0)  # a host may still be sliding it into place
                path = self.shot(what)
                return find_item(empty, path, self.host.bar(), pixmaps) or sighting
        return sighting


START = time.monotonic()


def popup_opened(run, button, empty_path, sighting):
    """Clicks the icon with `button`; answers (opened, detail). A popup is a change of more than
    1500 pixels outside the bar, at least 30 pixels tall, with no window of the application
    behind it; the item's D-Bus calls made by the host are named too."""
    host, name = run.host, {1: "left", 3: "right"}[button]
    before = rows_of(load(run.shot("before-%s-click" % name)))
    calls_before = len(run.monitor.calls())
    x, y = sighting.middle()
    host.click(x, y, button)
    bar = host.bar()
    opened, changed, tall = False, 0, 0
    deadline = time.monotonic() + 4
    while time.monotonic() < deadline and not opened:
        ds.settle(0.4)
        after = rows_of(load(run.shot("menu-%s-click" % name)))
        columns = changed_columns(before, after)
        outside = {x: [y for y in ys if not bar[1] <= y < bar[1] + bar[3]]
                   for x, ys in columns.items()}
        outside = {x: ys for x, ys in outside.items() if ys}
        changed = sum(len(ys) for ys in outside.values())
        rows = {y for ys in outside.values() for y in ys}
        tall = max(rows) - min(rows) + 1 if rows else 0
        opened = changed > 1500 and tall >= 30
    calls = run.monitor.calls()[calls_before:]
    windows = host.app_windows(run.indicator.process.pid)
    host.dismiss_popup()
    ds.settle(0.5)
    for window in windows:
        host.close_window(window)
    if opened and not menu_closed(run, before):
        host.click(SCREEN[0] // 2, SCREEN[1] - 5, 1)
        ds.settle(0.5)
    host.park_pointer()
    said = "; host called " + ", ".join(calls) if calls else "; host made no item call"
    if windows:
        return False, "a window opened instead (%r)%s" % (list(windows.values()), said)
    if opened:
        return True, "popup of %d px, %d px tall%s" % (changed, tall, said)
    return False, "nothing opened (%d px changed)%s" % (changed, said)


def menu_closed(run, before):
    after = rows_of(load(run.shot("after-dismiss")))
    return count_changed(before, after) < 300


class Monitor:
    """dbus-monitor on the session bus, keeping the calls panels make to the item and its menu."""

    def __init__(self, folder):
        self.path = os.path.join(folder, "bus-calls.log")
        self.process = subprocess.Popen(
            ["stdbuf", "-oL", "dbus-monitor", "--session",
             "type='method_call',interface='org.kde.StatusNotifierItem'",
             "type='method_call',interface='com.canonical.dbusmenu'"],
            stdout=open(self.path, "w"), stderr=subprocess.DEVNULL)

    def calls(self):
        found = []
        with open(self.path, errors="replace") as text:
            lines = text.read().splitlines()
        for number, line in enumerate(lines):
            if line.startswith("method call") and "member=" in line:
                member = line.split("member=")[1].split()[0]
                if member in ("GetLayout", "GetGroupProperties", "GetProperty"):
                    continue
                argument = ""
                if member == "Event":
                    following = " ".join(lines[number + 1:number + 3])
                    if '"' in following:
                        argument = "(%s)" % following.split('"')[1]
                found.append(member + argument)
        return found

    def stop(self):
        self.process.terminate()
        self.process.wait()


def log_complaints(text):
    """The host's or the indicator's lines that say something went wrong."""
    found = []
    for line in text.splitlines():
        lower = line.lower()
        if any(word in line for word in CRITICAL_WORDS):
            found.append(line.strip())
        elif ("warning" in lower or "error" in lower) and \
                any(word.lower() in lower for word in ITEM_WORDS):
            found.append(line.strip())
    return found


def run_host(host, bundle, shots):
    """Runs every check of one host on one theme; answers the results by check."""
    os.makedirs(shots, exist_ok=True)
    run = Run(host, None, shots)
    missing = [tool for tool in host.tools if not shutil.which(tool)]
    if missing:
        run.record("panel starts", False, "not installed: " + ", ".join(missing))
        return run
    battery = os.path.join(host.folder, "battery.plist")
    shutil.copy(os.path.join(bundle, "Contents", "Resources", "sample-battery.plist"), battery)
    try:
        host.start_screen()
    except Exception as error:  # noqa: BLE001 - any failure is the host's failure to start
        run.record("panel starts", False, "the screen did not start: %s" % error)
        return run
    run.monitor = Monitor(host.folder)
    env = dict(host.environment(), ZERARAZI_BATTERY=battery)
    indicator = run.indicator = Indicator(bundle, host.folder, env)
    try:
        checks(run, host, indicator)
    except Failure as failure:
        run.log("stopped: %s" % failure)
    except Exception as error:  # noqa: BLE001 - the table says what broke, the log the trace
        import traceback

        run.log("stopped by an error: %s\n%s" % (error, traceback.format_exc()))
    finally:
        indicator.stop()
        try:
            host.stop_panel()
        finally:
            run.monitor.stop()
            host.stop_screen()
    for check in CHECKS:
        run.results.setdefault(check, Result(None, "not reached"))
    return run


def checks(run, host, indicator):
    status = ds.last(indicator.driver("dump"), "status")
    run.titles = {"about": about_title(run),
                  "preferences": ds.last(indicator.driver("menu 4"), "window")["title"]}
    run.log("indicator's status title %r, windows %r" % (status["title"], run.titles))

    try:
        host.start_panel()
    except Exception as error:  # noqa: BLE001
        run.record("panel starts", False, str(error))
        raise Failure("the panel did not start")
    ds.settle(2)
    empty = run.shot("bar-empty")
    run.record("panel starts", True, "%s in %s" % (host.panel_name(), host.theme_detail()))

    indicator.start()
    sighting = run.wait_for_item(empty, "bar")
    if sighting is None:
        run.record("item shown", False, "nothing new in the bar 20 s after the item registered")
        raise Failure("the item is not in the bar")
    left, top, right, bottom = sighting.icon
    like = sighting.difference < 0.35
    run.record("item shown", like, "%dx%d %s at %d,%d (shape difference %.2f)" % (
        right - left + 1, bottom - top + 1, "icon" if like else
        "drawing, unlike the item's icon: squashed or another picture,", left, top,
        sighting.difference))
    save_crop(run, "bar", sighting)
    run.record("icon legible", sighting.contrast >= LEGIBLE_CONTRAST,
               "contrast %.1f:1, ink %s on bar %s" % (sighting.contrast, hex_colour(sighting.ink),
                                                     hex_colour(sighting.background)))
    figures(run, sighting, status)

    for button, check in ((1, "menu: left click"), (3, "menu: right click")):
        run.record(check, *popup_opened(run, button, empty, sighting))

    window_check(run, "Preferences window", "Preferences...", run.titles["preferences"],
                 "preferences")
    window_check(run, "alert (About)", ABOUT, run.titles["about"], "about", alert=True)

    for name, result in host.extra_checks(run):
        run.results[name] = result
        run.log("%s: %s" % (name, result.cell()))

    host.restart_panel()
    again = run.wait_for_item(empty, "bar-after-restart", seconds=30)
    back = again is not None and again.difference < 0.35
    run.record("panel restart", back, "the item is back in the bar" if back else
               "no item in the bar 30 s after the panel restarted")

    indicator.choose("Quit Zerarazi")
    try:
        status_code = indicator.process.wait(10)
        run.record("Quit status 0", status_code == 0, "exit status %d" % status_code)
    except subprocess.TimeoutExpired:
        run.record("Quit status 0", False, "still running 10 s after Quit")
    complaints = host.log_complaints(host.host_logs()) + \
        ["indicator: " + line for line in log_complaints(indicator.errors())]
    with open(os.path.join(run.shots, "complaints.txt"), "w") as text:
        text.write("\n".join(complaints) + "\n")
    run.record("logs clean", not complaints, "%d lines; first: %s" % (
        len(complaints), complaints[0][:160]) if complaints else "no critical lines")


def about_title(run):
    """The About alert's title as the driver display gives it."""
    menu = ds.last(run.indicator.driver("dump"), "menu")["items"]
    number = next(item["number"] for item in menu if item.get("title") == ABOUT)
    return ds.last(run.indicator.driver("menu %d" % number), "alert")["title"]


def window_check(run, check, label, title, shot, alert=False):
    """Chooses `label` in the menu over D-Bus; passes when a new window of the application's
    with that title (any title for an untitled alert) shows, and says whether it closes when
    answered (Return for an alert, the close button otherwise)."""
    host, pid = run.host, run.indicator.process.pid
    before = host.app_windows(pid)
    try:
        run.indicator.choose(label)
    except Failure as failure:
        run.record(check, False, str(failure))
        return
    deadline, window = time.monotonic() + 10, None
    while time.monotonic() < deadline and not window:
        ds.settle(0.3)
        new = {w: t for w, t in host.app_windows(pid).items() if w not in before}
        window = next((w for w, t in new.items() if t == title or not title), None)
    if not window:
        run.record(check, False, "no window %r within 10 s" % title)
        return
    shown = new[window]
    ds.settle(0.8)
    run.shot(shot)
    if alert:
        host.answer_alert(window)
    else:
        host.close_window(window)
    deadline = time.monotonic() + 5
    while time.monotonic() < deadline and window in host.app_windows(pid):
        ds.settle(0.2)
    if window in host.app_windows(pid):
        host.close_window(window)
        ds.settle(1)
        run.record(check, True, "%r opened; it did not close when %s" % (
            shown, "answered with Return" if alert else "its close button was pressed"))
    else:
        run.record(check, True, "%r opened and closed" % shown)


def figures(run, sighting, status):
    """The charge's figures are visible when the host draws glyphs beside the icon spanning at
    least the icon's height (a label), or when the icon's pixmap holds more than the bundle's
    plain status picture does (figures painted inside it). No OCR: the text itself is not read."""
    left, top, right, bottom = sighting.icon
    height = bottom - top + 1
    title = status["title"]
    glyphs = label_glyphs(sighting)
    if len(glyphs) >= 2:
        width = max(b[2] for b in glyphs) - min(b[0] for b in glyphs) + 1
        run.record("figures visible", True, "%d glyph-like parts, %d px wide, beside the icon "
                   "(item label %r)" % (len(glyphs), width, title))
        return
    template = os.path.join(run.indicator.bundle, "Contents", "Resources", status["image"])
    plain = ds.expected_pixmaps(template, 0)
    shown = run.indicator.pixmaps()
    inside = [(w, h) for w, h, argb in shown
              if not any((w, h) == (pw, ph) and alphas(argb) == alphas(pargb)
                         for pw, ph, pargb in plain)]
    if inside:
        run.record("figures visible", True, "no label; the icon differs from the plain picture "
                   "(figures inside it?) at %r" % inside)
    else:
        run.record("figures visible", False, "nothing beside the %dx%d icon and the icon is the "
                   "plain picture (item label %r not drawn)" % (right - left + 1, height, title))


def label_glyphs(sighting):
    """The parts that follow the icon on either side with gaps of at most 8 pixels, each no
    taller than the icon's longer side (a battery drawn wide is short, its figures taller): a
    label's glyphs. A neighbouring icon is one part, "78%" three."""
    left, top, right, bottom = sighting.icon
    height = max(bottom - top + 1, right - left + 1)
    found = []
    for direction in (1, -1):
        edge, chain = right if direction == 1 else left, []
        parts = sorted(sighting.beside, key=lambda b: b[0] * direction)
        for part in parts:
            near = part[0] - edge if direction == 1 else edge - part[2]
            if 0 < near <= 8 and part[3] - part[1] + 1 <= height + 2:
                chain.append(part)
                edge = part[2] if direction == 1 else part[0]
        found = max(found, chain, key=len)
    return found


def alphas(argb):
    return bytes(argb[0::4])


def hex_colour(rgb):
    return "#%02x%02x%02x" % tuple(rgb)


def save_crop(run, what, sighting):
    """A close-up of the item, four times larger, for the report."""
    left, top, right, bottom = sighting.icon
    boxes = [sighting.icon] + sighting.beside
    x0 = max(0, min(b[0] for b in boxes) - 16)
    x1 = min(SCREEN[0] - 1, max(b[2] for b in boxes) + 16)
    y0, y1 = max(0, top - 8), min(SCREEN[1] - 1, bottom + 8)
    picture = load(os.path.join(run.shots, what + ".png"))
    part = picture.new_subpixbuf(x0, y0, x1 - x0 + 1, y1 - y0 + 1)
    part.scale_simple(part.get_width() * 4, part.get_height() * 4,
                      GdkPixbuf.InterpType.NEAREST).savev(
        os.path.join(run.shots, what + "-closeup.png"), "png", [], [])
