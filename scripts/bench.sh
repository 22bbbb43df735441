#!/usr/bin/env bash
# Benchmarks, under Wine and Xvfb: start-up to first paint and working set of
# Tovanel.exe against an empty-window program (and the same window holding
# plain controls like the main window's), the release executable's size,
# the name forms, the conversions and additions to the list window. Ends with
# one Markdown table of the figures (also left in build/bench.md). Measures
# only: nothing here passes or fails on a timing.
#
#   scripts/bench.sh              # 20 start-up runs of each program
#   BENCH_RUNS=5 scripts/bench.sh
#
# 32-bit Wine is not installable on Debian 12 today, so the 64-bit build is
# the one measured; the size is the 32-bit release executable's.
set -eu
cd "$(dirname "$0")/.."
runs=${BENCH_RUNS:-20}

if [ "${1:-}" != "--measure" ]; then
  scripts/install-deps.sh
  if ! grep -qE '^[^#]*add_subdirectory\(bench\)' CMakeLists.txt; then
    echo "bench/ is not part of the build: CMakeLists.txt needs the line add_subdirectory(bench)" >&2
    exit 1
  fi
  log=$(mktemp)
  trap 'rm -f "$log"' EXIT
  # Quiet builds; the log is shown only when one fails.
  quietly() { "$@" >"$log" 2>&1 || { cat "$log"; echo "failed: $*" >&2; exit 1; }; }
  echo "Building (win64: Tovanel and the benchmarks; win32: the release Tovanel.exe)"
  quietly cmake --preset win64
  quietly cmake --build --preset win64 --target Tovanel bench_floor bench_floor_controls bench_launch bench_functions
  quietly cmake --preset win32
  quietly cmake --build --preset win32 --target Tovanel
  echo "Measuring under Wine and Xvfb: about five minutes"
  rm -f "$log"
  trap - EXIT
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --measure
fi

# From here on under Xvfb, with the build's private Wine prefix.
b=build/win64
. "$b/wine-env.sh"
out=$(mktemp -d)
ini_backup=""
ini=""
cleanup() {
  # Leave the prefix's settings file as it was before Tovanel.exe ran.
  if [ -n "$ini" ]; then
    if [ -n "$ini_backup" ]; then cp "$ini_backup" "$ini"; else rm -f "$ini"; fi
  fi
  "$b/wine-teardown.sh"
  rm -rf "$out"
}
trap cleanup EXIT
# A server left running from a start without this display would serve the
# runs a desktop that cannot draw: stop it, then start afresh here.
"$b/wine-teardown.sh"
"$b/wine-setup.sh"

ini="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Orvendel/Tovanel/Tovanel.ini"
if [ -f "$ini" ]; then
  ini_backup="$out/Tovanel.ini"
  cp "$ini" "$ini_backup"
fi

loadavg=$(cut -d' ' -f1 /proc/loadavg)
win() { winepath -w "$1" 2>/dev/null; }

# Output goes to files, not pipes: a Wine service that inherited a pipe would
# keep the reader waiting.
echo "== start-up: $runs runs of each, alternating, after one warm-up run"
wine "$b/bench/launch.exe" "$runs" "floor.exe=$(win "$b/bench/floor.exe")" \
  "floor_controls.exe=$(win "$b/bench/floor_controls.exe")" "Tovanel.exe=$(win "$b/app/exe/Tovanel.exe")" >"$out/launch" </dev/null || echo "(start-up: some runs failed)"
echo "== name forms, conversions, list additions"
wine "$b/bench/functions.exe" >"$out/functions" </dev/null || echo "(functions: exit status $?)"

size32=$(stat -c %s build/win32/app/exe/Tovanel.exe)
size64=$(stat -c %s "$b/app/exe/Tovanel.exe")
kb() { awk -v n="$1" 'BEGIN { printf "%.1f KB", n / 1024 }'; }

{
  echo "Benchmarks of $(date '+%Y-%m-%d %H:%M %Z'); $(uname -m), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')" \
       "($(nproc) CPUs), $(wine --version 2>/dev/null); load average at start $loadavg."
  echo "The 64-bit build, run under Wine on Xvfb (32-bit Wine is not installable here); wall-clock times."
  echo
  echo "| measure | figure | note |"
  echo "|---|---|---|"
  grep '^| ' "$out/launch" || true
  echo "| release executable build/win32/app/exe/Tovanel.exe (32-bit) | $size32 bytes ($(kb "$size32")) | target under 512 KB |"
  echo "| 64-bit build/win64/app/exe/Tovanel.exe, the one measured here | $size64 bytes ($(kb "$size64")) | |"
  grep '^| ' "$out/functions" || true
} >"$out/table"
cp "$out/table" build/bench.md
echo
cat "$out/table"
