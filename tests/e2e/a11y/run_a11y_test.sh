#!/usr/bin/env bash
# Runs the accessibility test: the program on its own X server (Xvfb, first
# free display) and its own D-Bus session, where the accessibility bus and
# registry start on demand. Everything it creates lives in a private
# directory that is removed at the end.
#   run_a11y_test.sh <path to starvane> <output folder>
# Exit 77 (skipped) when a needed tool is missing.
set -u
app=${1:?path to the starvane binary}
out=${2:?output folder}
here=$(cd "$(dirname "$0")" && pwd)

skip() {
    echo "SKIPPED: $*" >&2
    exit 77
}

python=
for p in /usr/bin/python3 python3; do
    if command -v "$p" >/dev/null && "$p" -c 'import pyatspi' 2>/dev/null; then
        python=$p
        break
    fi
done
[ -n "$python" ] || skip "no python3 with pyatspi (install python3-pyatspi)"
command -v Xvfb >/dev/null || skip "Xvfb missing (install xvfb)"
command -v dbus-run-session >/dev/null || skip "dbus-run-session missing (install dbus)"
[ -x /usr/libexec/at-spi-bus-launcher ] || [ -x /usr/lib/at-spi2-core/at-spi-bus-launcher ] ||
    skip "at-spi-bus-launcher missing (install at-spi2-core)"
[ -x "$app" ] || { echo "no program at $app" >&2; exit 1; }

mkdir -p "$out"
work=$(mktemp -d)
chmod 700 "$work"
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number to fd 3. -noreset: by
# default the server resets when its last client leaves, and a client that
# connects during the reset (the program, just after the accessibility bus
# launcher has looked at the display and gone) is turned away.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }

export DISPLAY=":$(head -n1 "$work/display")"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
dbus-run-session -- "$python" "$here/a11y_test.py" --app "$app" --out "$out" 2>"$out/session.log"
rc=$?
[ $rc -ne 0 ] && tail -n 30 "$out/session.log" >&2
exit $rc
