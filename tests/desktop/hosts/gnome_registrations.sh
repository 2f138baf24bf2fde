#!/usr/bin/env bash
# The item's registration with GNOME Shell's AppIndicator extension, twenty times over, as
# `scripts/test-desktops gnome-registrations` runs it: GNOME Shell headless on Wayland (a virtual
# monitor, a private session bus and a private system bus with a mocked logind), then twenty
# starts of the indicator. Each must show the item in the top bar within five seconds, every
# fourth switches the extension off (the item must leave the bar) and on again (it must come
# back), and each ends with SIGTERM: exit status 0 and the item gone from the bar. Last, the
# shell's log must hold no error or warning from the extension. Prints one line a run and the
# totals; exits 1 when any run or the log fails.
#
#     dbus-run-session -- tests/desktop/hosts/gnome_registrations.sh BUNDLE FOLDER
set -u
bundle=$1
folder=$2
extension=ubuntu-appindicators@ubuntu.com
mkdir -p "$folder"
export XDG_RUNTIME_DIR=$folder/runtime HOME=$folder/home
rm -rf "$XDG_RUNTIME_DIR" "$HOME"
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$HOME"
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share GSETTINGS_BACKEND=keyfile
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/system_bus
dbus-daemon --session --fork --address="$DBUS_SYSTEM_BUS_ADDRESS" >/dev/null
/usr/bin/python3 -m dbusmock --system --template logind >"$folder/logind.log" 2>&1 &
sleep 1
gsettings set org.gnome.shell enabled-extensions "['$extension']"
gsettings set org.gnome.shell disable-user-extensions false
# --unsafe-mode lets this script ask the shell what its top bar holds.
gnome-shell --headless --unsafe-mode --wayland --no-x11 --virtual-monitor 1280x800 \
    >"$folder/shell.log" 2>&1 &
shell=$!
for _ in $(seq 1 60); do
    gdbus call --session --dest org.freedesktop.DBus --object-path / \
        --method org.freedesktop.DBus.NameHasOwner org.kde.StatusNotifierWatcher 2>/dev/null |
        grep -q true && break
    sleep 1
done
export WAYLAND_DISPLAY=wayland-0

shell_call() {
    gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method "$@"
}
# The items the top bar shows: status areas of the extension's whose actor is on the stage.
items_shown() {
    shell_call org.gnome.Shell.Eval 'Object.entries(Main.panel.statusArea).filter(([k, v]) => {
        try { return k.startsWith("appindicator") && v.get_stage() !== null && v.is_visible(); }
        catch (e) { return false; } }).map(([k]) => k).join(" ")'
}
shown() { for _ in $(seq 1 50); do items_shown | grep -q "$1@/StatusNotifierItem" && return 0; sleep 0.1; done; return 1; }
gone() { for _ in $(seq 1 50); do items_shown | grep -q "$1@/StatusNotifierItem" || return 0; sleep 0.1; done; return 1; }
# The indicator's connection: the one of its process that serves the item.
connection_of() {
    /usr/bin/python3 - "$1" <<'PYTHON'
import sys
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
def call(name, path, interface, method, arguments, reply):
    return bus.call_sync(name, path, interface, method, arguments,
                         GLib.VariantType(reply) if reply else None, 0, 2000, None)
for name in call("org.freedesktop.DBus", "/", "org.freedesktop.DBus", "ListNames", None, "(as)").unpack()[0]:
    try:
        if not name.startswith(":") or call("org.freedesktop.DBus", "/", "org.freedesktop.DBus",
                "GetConnectionUnixProcessID", GLib.Variant("(s)", (name,)), "(u)").unpack()[0] != int(sys.argv[1]):
            continue
        call(name, "/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get",
             GLib.Variant("(ss)", ("org.kde.StatusNotifierItem", "Id")), None)
        print(name)
    except GLib.Error:
        pass
PYTHON
}

passed=0
switched=0
for run in $(seq 1 20); do
    ZERARAZI_DISPLAY=desktop ZERARAZI_BATTERY="$bundle/Contents/Resources/sample-battery.plist" \
        "$bundle/Contents/MacOS/Zerarazi" >"$folder/indicator-$run.log" 2>&1 &
    indicator=$!
    name=""
    for _ in $(seq 1 50); do name=$(connection_of $indicator | head -n 1); [ -n "$name" ] && break; sleep 0.1; done
    result=shown
    if ! shown "$name"; then
        result="not shown"
    elif [ $((run % 4)) = 0 ]; then
        shell_call org.gnome.Shell.Extensions.DisableExtension $extension >/dev/null
        gone "$name" || result="kept while the extension was off"
        shell_call org.gnome.Shell.Extensions.EnableExtension $extension >/dev/null
        if shown "$name"; then switched=$((switched + 1)); else result="lost when the extension came back"; fi
        sleep 2
    fi
    kill $indicator
    wait $indicator
    status=$?
    gone "$name" || result="$result, left in the bar after it ended"
    [ "$result" = shown ] && [ $status = 0 ] && passed=$((passed + 1))
    echo "run $run: $name $result, exit status $status"
done
complaints=$(grep -c -E "JS ERROR|TypeError|Argument two|initalizing|Unhandled promise|AppIndicators-(WARNING|CRITICAL)" "$folder/shell.log")
echo "shown and ended cleanly: $passed of 20; the extension switched off and on $switched times;" \
     "$complaints complaints in the shell's log ($folder/shell.log)"
kill $shell 2>/dev/null
wait $shell 2>/dev/null
[ $passed = 20 ] && [ $switched = 5 ] && [ "$complaints" = 0 ]
