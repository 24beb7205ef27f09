#!/usr/bin/env bash
# Sets up, builds and starts Starvane. With a display it opens a window;
# without one it serves the window over VNC and says where to connect.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target starvane
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/starvane
fi
port=${STARVANE_VNC_PORT:-5900}
echo "No display here: Starvane is served over VNC."
echo "Connect a VNC viewer to $(hostname -I 2>/dev/null | awk '{print $1}'):$port (or localhost:$port)."
exec env QT_QPA_PLATFORM="vnc:size=800x700:port=$port" ./build/starvane
