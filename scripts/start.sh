#!/usr/bin/env bash
# Sets up, builds and starts Starvane. With a display it opens a window;
# without one it serves the window over VNC and says where to connect.
#
# When no receiver is plugged in (no /dev/ttyUSB*, /dev/ttyACM*, /dev/rfcomm*),
# the receiver simulator runs on a virtual port beside the program, so Start
# GPS shows a live receiver getting its fix. It stops when the program exits.
# STARVANE_SIM=0 never starts it, STARVANE_SIM=1 always does;
# STARVANE_SIM_ARGS replaces its options.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target starvane starvane-sim

receiver_present() {
  compgen -G '/dev/ttyUSB*' >/dev/null || compgen -G '/dev/ttyACM*' >/dev/null ||
    compgen -G '/dev/rfcomm*' >/dev/null
}

sim_pid=
stop_sim() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
}

want_sim=${STARVANE_SIM:-auto}
if [ "$want_sim" = 1 ] || { [ "$want_sim" = auto ] && ! receiver_present; }; then
  # A GPS-only module from a cold start, fixing after about 25 s, at 4800 baud:
  # the rate the baud list selects at start (one cycle of ~450 bytes fits the
  # 480 bytes a second that 4800 baud carry).
  # shellcheck disable=SC2206
  sim_args=(${STARVANE_SIM_ARGS:---style gps --baud 4800 --start cold --ttff 25})
  log=${TMPDIR:-/tmp}/starvane-sim-$(id -u).log
  ./build/starvane-sim "${sim_args[@]}" --log "$log" >"$log.out" 2>/dev/null &
  sim_pid=$!
  trap stop_sim EXIT INT TERM
  # Wait until the virtual port is registered, so the port list shows it.
  for _ in $(seq 50); do
    grep -q registered "$log.out" 2>/dev/null && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$sim_pid" 2>/dev/null; then
    echo "No receiver plugged in: a simulated receiver runs on a virtual port"
    echo "  ($(head -1 "$log.out")); its log: $log"
    echo "Choose \"Starvane GPS simulator\" in the COM Port list (after any built-in"
    echo "serial ports), keep 4800 baud and press Start GPS."
  else
    echo "The receiver simulator did not start (see $log)." >&2
    sim_pid=
  fi
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  ./build/starvane
  exit $?
fi
port=${STARVANE_VNC_PORT:-5900}
echo "No display here: Starvane is served over VNC."
echo "Connect a VNC viewer to $(hostname -I 2>/dev/null | awk '{print $1}'):$port (or localhost:$port)."
env QT_QPA_PLATFORM="vnc:size=800x700:port=$port" ./build/starvane
