#!/usr/bin/env bash
# The charge limit's installed files as the system's tools read them: the polkit action valid
# against polkit's own DTD, with the action the service asks for and its defaults; the systemd
# units accepted by systemd-analyze; the names that tie the files together the same everywhere.
# (The D-Bus policy is loaded by the bus of charge_limit_bus.py.)
# Usage: installed_files_test.sh SOURCE_FOLDER PROGRAM. Exits 77 (skipped) only when xmllint,
# polkit's DTD (polkitd) or systemd-analyze is not installed.
set -euo pipefail
source_folder=$1
program=$2
files=$source_folder/privileged/install
dtd=/usr/share/polkit-1/policyconfig-1.dtd

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for tool in xmllint systemd-analyze; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[ -f "$dtd" ] || { echo "skipped: $dtd is not installed (polkitd)"; exit 77; }

policy=$files/org.zerarazi.charge-limit.policy
xmllint --noout --dtdvalid "$dtd" "$policy" || fail "the polkit action is not valid"
action=$(grep -o 'k_set_limit_action = "[^"]*"' "$source_folder/privileged/authority.h" | cut -d'"' -f2)
[ "$(xmllint --xpath 'string(//action/@id)' "$policy")" = "$action" ] ||
    fail "the polkit action is not the service's $action"
for default in allow_any:auth_admin allow_inactive:auth_admin allow_active:yes; do
    [ "$(xmllint --xpath "string(//action/defaults/${default%%:*})" "$policy")" = "${default#*:}" ] ||
        fail "the action's $default"
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for unit in zerarazi-charge-limit.service zerarazi-charge-limit-apply.service; do
    sed "s|@PROGRAM@|$program|" "$files/$unit.in" >"$scratch/$unit"
done
output=$(cd "$scratch" && systemd-analyze verify zerarazi-charge-limit.service \
    zerarazi-charge-limit-apply.service 2>&1) || fail "systemd-analyze: $output"
[ -z "$output" ] || fail "systemd-analyze: $output"

activation=$files/org.zerarazi.ChargeLimit1.service.in
grep -qx 'Name=org.zerarazi.ChargeLimit1' "$activation" || fail "the activation file's name"
grep -qx 'User=root' "$activation" || fail "the activation file does not start the service as root"
grep -qx 'SystemdService=zerarazi-charge-limit.service' "$activation" || fail "the activation's unit"
grep -qx 'BusName=org.zerarazi.ChargeLimit1' "$scratch/zerarazi-charge-limit.service" ||
    fail "the unit's bus name"
grep -q '<allow own="org.zerarazi.ChargeLimit1"/>' "$files/org.zerarazi.ChargeLimit1.conf" ||
    fail "the D-Bus policy's name"
grep -q 'ENV{SYSTEMD_WANTS}+="zerarazi-charge-limit-apply.service"' \
    "$files/90-zerarazi-charge-limit.rules" || fail "the udev rule's unit"
grep -qx "ExecStart=$program --apply" "$scratch/zerarazi-charge-limit-apply.service" ||
    fail "the apply unit's command"
echo "the installed files agree"
