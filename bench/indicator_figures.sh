#!/usr/bin/env bash
# Figures of the whole indicator, run from a build folder:
#   bench/indicator_figures.sh <build dir>
# 1. time from process start to the first status line (driver display), median of 11 runs;
# 2. resident memory after 10 virtual refreshes and after 10,000;
# 3. voluntary context switches over 60 real seconds on the terminal display, and its memory then;
# 4. the desktop display (bench/desktop_figures.py, on a private session bus and X server): time
#    from start to the item registered, memory after 6 and after 60 real refreshes (10 minutes;
#    DESKTOP_REFRESHES=12 shortens it to 2), its cost over the terminal display, and its
#    voluntary context switches over 60 idle seconds.
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 <build dir>" >&2
    exit 2
fi
bundle="$(cd "$1" && pwd)/Zerarazi.app"
exe="$bundle/Contents/MacOS/Zerarazi"
sample="$bundle/Contents/Resources/sample-battery.plist"
[[ -x "$exe" ]] || { echo "no executable at $exe" >&2; exit 1; }
[[ -f "$sample" ]] || { echo "no sample battery at $sample" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/zerarazi-figures-XXXXXX")"
trap 'rm -rf "$work"' EXIT

# A fresh home with the sample battery; prints its path.
fresh_home() {
    local home
    home="$(mktemp -d "$work/home-XXXXXX")"
    cp "$sample" "$home/battery.plist"
    echo "$home"
}

# Starts the indicator in driver mode as coprocess APP with its input left open.
start_driver() {
    local home="$1"
    coproc APP {
        exec env -i HOME="$home" XDG_CONFIG_HOME="$home/.config" PATH="$PATH" LANG=C.UTF-8 \
            ZERARAZI_DISPLAY=driver ZERARAZI_BATTERY="$home/battery.plist" "$exe" 2>/dev/null
    }
}

# Reads the coprocess's output until the n-th status line has come.
await_status_lines() {
    local wanted="$1" seen=0 line
    while IFS= read -r line <&"${APP[0]}"; do
        [[ "$line" == *'"event":"status"'* ]] && seen=$((seen + 1))
        ((seen >= wanted)) && return 0
    done
    echo "the indicator ended before status line $wanted" >&2
    return 1
}

stop_driver() {
    local pid="$APP_PID"
    exec {APP[1]}>&-
    wait "$pid" 2>/dev/null || true
}

micros_now() {
    local t="${EPOCHREALTIME/./}"
    echo "$((10#$t))"
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

status_field() { # field of /proc/<pid>/status, without its unit
    awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"
}

# ---- 1. start-up ----
startup_ms=()
for _ in $(seq 11); do
    home="$(fresh_home)"
    begin="$(micros_now)"
    start_driver "$home"
    await_status_lines 1
    end="$(micros_now)"
    stop_driver
    startup_ms+=("$(awk -v us="$((end - begin))" 'BEGIN { printf "%.2f", us / 1000 }')")
done
echo "start to first status line: median $(printf '%s\n' "${startup_ms[@]}" | median) ms" \
    "(11 runs: ${startup_ms[*]})"

# ---- 2. memory after many refreshes ----
memory_after() {
    local advance="$1" home pid rss hwm
    home="$(fresh_home)"
    start_driver "$home"
    pid="$APP_PID"
    await_status_lines 1
    printf 'advance %s\ndump\n' "$advance" >&"${APP[1]}"
    await_status_lines 1 # the dump's status line
    rss="$(status_field "$pid" VmRSS)"
    hwm="$(status_field "$pid" VmHWM)"
    stop_driver
    echo "$rss $hwm"
}
read -r rss10 hwm10 < <(memory_after 100000)
read -r rss10k hwm10k < <(memory_after 100000000)
echo "memory after 10 refreshes:     VmRSS ${rss10} kB, VmHWM ${hwm10} kB"
echo "memory after 10,000 refreshes: VmRSS ${rss10k} kB, VmHWM ${hwm10k} kB" \
    "(growth $((rss10k - rss10)) kB)"

# ---- 3. wake-ups on the terminal display ----
home="$(fresh_home)"
pidfile="$work/terminal.pid"
inner="echo \$\$ > '$pidfile'; exec env -i HOME='$home' XDG_CONFIG_HOME='$home/.config' \
PATH='$PATH' LANG=C.UTF-8 TERM=xterm-256color ZERARAZI_DISPLAY=terminal \
ZERARAZI_BATTERY='$home/battery.plist' '$exe'"
# The terminal display reads keys; a silent input held open keeps it running.
sleep 80 | script -qfc "sh -c \"$inner\"" /dev/null >/dev/null 2>&1 &
script_job=$!
for _ in $(seq 100); do
    [[ -s "$pidfile" ]] && break
    sleep 0.05
done
pid="$(cat "$pidfile")"
sleep 5
before="$(status_field "$pid" voluntary_ctxt_switches)"
sleep 60
after="$(status_field "$pid" voluntary_ctxt_switches)"
terminal_rss="$(status_field "$pid" VmRSS)"
kill "$pid" 2>/dev/null || true
wait "$script_job" 2>/dev/null || true
echo "voluntary context switches from 5 s to 65 s: $((after - before))" \
    "(6 refresh periods of 10 s)"
echo "terminal display's memory after 6 refreshes: VmRSS ${terminal_rss} kB"

# ---- 4. the desktop display ----
if ! command -v dbus-run-session >/dev/null || ! command -v Xvfb >/dev/null; then
    echo "desktop display: skipped (dbus-run-session or Xvfb is not installed)"
    exit 0
fi
if ! PYTHONUNBUFFERED=1 /usr/bin/python3 "$(dirname "$0")/desktop_figures.py" "$bundle" \
    "${DESKTOP_REFRESHES:-60}" 2>"$work/desktop-errors" | tee "$work/desktop"; then
    cat "$work/desktop-errors" >&2
    exit 1
fi
desktop_rss="$(sed -n 's/^desktop display, memory after 6 refreshes: VmRSS \([0-9]*\).*/\1/p' \
    "$work/desktop")"
echo "the desktop display's own cost over the terminal display's:" \
    "$((desktop_rss - terminal_rss)) kB VmRSS after 6 refreshes"
