#!/usr/bin/env bash
# The Debian package as a person installs it: made by CPack from the build folder, unpacked into
# a scratch root, its launcher started in driver mode; Start at Login from the installed copy
# names the installed launcher. Usage: debian_package_test.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

(cd "$build" && cpack -G DEB -B "$scratch/package" >/dev/null) || fail "cpack could not make the package"
deb=$(ls "$scratch"/package/zerarazi_*.deb)
dpkg-deb -f "$deb" Depends | grep -q 'libplist' || fail "the package's dependencies were not worked out"
dpkg-deb -x "$deb" "$scratch/root"
for file in usr/bin/zerarazi usr/lib/zerarazi/Zerarazi.app/Contents/Info.plist \
    usr/lib/zerarazi/Zerarazi.app/Contents/Helpers/launchctl \
    usr/lib/zerarazi/Zerarazi.app/Contents/PlugIns/desktop-display.so \
    usr/share/applications/zerarazi.desktop \
    usr/share/icons/hicolor/48x48/apps/org.zerarazi.Zerarazi.png \
    usr/libexec/zerarazi-charge-limit usr/share/dbus-1/system.d/org.zerarazi.ChargeLimit1.conf \
    usr/share/dbus-1/system-services/org.zerarazi.ChargeLimit1.service \
    usr/share/polkit-1/actions/org.zerarazi.charge-limit.policy \
    usr/lib/systemd/system/zerarazi-charge-limit.service \
    usr/lib/systemd/system/zerarazi-charge-limit-apply.service \
    usr/lib/systemd/system/multi-user.target.wants/zerarazi-charge-limit-apply.service \
    usr/lib/udev/rules.d/90-zerarazi-charge-limit.rules; do
    [ -e "$scratch/root/$file" ] || fail "the package lacks $file"
done
grep -qx 'Exec=/usr/libexec/zerarazi-charge-limit' \
    "$scratch/root/usr/share/dbus-1/system-services/org.zerarazi.ChargeLimit1.service" ||
    fail "the charge limit's activation file does not name the installed program"
grep -qx 'Exec=zerarazi' "$scratch/root/usr/share/applications/zerarazi.desktop" ||
    fail "the installed launcher does not start the command on PATH"

launcher="$scratch/root/usr/bin/zerarazi"
mkdir "$scratch/home"
output=$(printf 'menu 4\nclick 11\nclose 1\nmenu 9\n' |
    HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" ZERARAZI_DISPLAY=driver \
        ZERARAZI_BATTERY="$scratch/root/usr/lib/zerarazi/Zerarazi.app/Contents/Resources/sample-battery.plist" \
        PATH=/usr/bin:/bin timeout 20 "$launcher") || fail "the installed launcher did not end well"
grep -q '"event":"status"' <<<"$output" || fail "the installed launcher showed no status item: $output"
grep -q '"event":"exit","t":[0-9]*,"status":0' <<<"$output" || fail "the installed launcher did not quit: $output"
entry="$scratch/home/.config/autostart/org.zerarazi.Zerarazi.desktop"
[ -f "$entry" ] || fail "Start at Login wrote no autostart entry"
grep -qx "Exec=$launcher" "$entry" || fail "the autostart entry does not start the installed launcher: $(grep Exec= "$entry")"
