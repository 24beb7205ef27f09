#!/usr/bin/env bash
# Lines per second through the sentence path, on every shared receiver capture
# concatenated and repeated to about a million lines:
#   bare     our intake and decoders on a main window object never created
#            (no panels, no console: window calls fail at the handle lookup)
#   console  the hidden main window with its control panel and rich edit
#            console, no message loop (as starvane-decode runs it)
#   shown    the main window shown, the queue pumped every 10 ms as the
#            program's message loop would: the console's document, layout and
#            painting included
# next to gpsdecode (Debian's gpsd-clients) reading the same bytes. Each figure
# is the median of RUNS runs (default 5).
#
#   bench/run_sentence_bench.sh            BUILD_DIR (default build-bench) is
#                                          configured as Release if needed
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD_DIR=${BUILD_DIR:-build-bench}
RUNS=${RUNS:-5}
TARGET_LINES=${TARGET_LINES:-1000000}
LOGS=${LOGS:-$ROOT/../shared/nmea-logs}

if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$BUILD_DIR" --target sentence_bench -j2 >/dev/null
BENCH=$BUILD_DIR/bench/sentence_bench

if ! command -v gpsdecode >/dev/null; then
  if [ "$(id -u)" = 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq gpsd-clients >/dev/null || true
  fi
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat "$LOGS"/*.nmea >"$work/once.nmea"
per_copy=$(grep -c '' "$work/once.nmea")
copies=$(( (TARGET_LINES + per_copy - 1) / per_copy ))
for _ in $(seq "$copies"); do cat "$work/once.nmea"; done >"$work/all.nmea"
lines=$(tr -cd '\n' <"$work/all.nmea" | wc -c)
echo "input: $copies copies of $(ls "$LOGS"/*.nmea | wc -l) captures, $lines lines, $(stat -c %s "$work/all.nmea") bytes"

median() { sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }

run_bench() { # mode -> median lines/s
  for _ in $(seq "$RUNS"); do
    "$BENCH" "$1" "$work/all.nmea" 2>/dev/null | sed -n 's/.*lines_per_s=\([0-9.]*\).*/\1/p'
  done | median
}

bare=$(run_bench bare)
console=$(run_bench console)
shown=$(run_bench shown)
printf '%-36s %12.0f lines/s\n' "sentence path, no console" "$bare" \
  "sentence path, console, no loop" "$console" "sentence path, console shown" "$shown"

if command -v gpsdecode >/dev/null; then
  gps=$(for _ in $(seq "$RUNS"); do
    t0=$(date +%s.%N)
    gpsdecode <"$work/all.nmea" >/dev/null
    t1=$(date +%s.%N)
    awk -v n="$lines" -v a="$t0" -v b="$t1" 'BEGIN {print n / (b - a)}'
  done | median)
  printf '%-36s %12.0f lines/s\n' "gpsdecode" "$gps"
  printf 'ratio no console / gpsdecode:  %.1fx (target >= 10x)\n' "$(awk -v a="$bare" -v b="$gps" 'BEGIN {print a / b}')"
  printf 'ratio console shown / gpsdecode: %.2fx\n' "$(awk -v a="$shown" -v b="$gps" 'BEGIN {print a / b}')"
else
  echo "gpsdecode not available (package gpsd-clients): no comparison"
fi
printf 'with the console shown: %.0f lines/s (target >= 100000)\n' "$shown"
