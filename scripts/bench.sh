#!/usr/bin/env bash
# Benchmarks, under Wine and Xvfb: start-up to first paint and working set of
# Tovanel.exe against an empty-window program, the same window holding
# plain controls like the main window's, and the fair floor that makes with
# the platform alone everything Tovanel's start-up makes (bench/floor.cpp);
# the release executable's size; the name forms and a drop of 2,000 files
# on the main window, each against the bare platform calls it needs, timed
# beside it; the conversions; additions to the list window. Ends with Markdown tables of the figures and their
# ratios (also left in build/bench.md). Measures only: nothing here passes or
# fails on a timing.
#
#   scripts/bench.sh              # 20 start-up runs of each program
#   BENCH_RUNS=10 scripts/bench.sh
#   BENCH_ONLY=startup scripts/bench.sh   # start-up and size only
#
# Both builds are measured, each with its own floor programs built the same
# way, side by side in one run: the 32-bit release build (under WOW64, where
# 32-bit Wine is installed) and the 64-bit build.
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
  presets="win64"
  [ -x /usr/lib/wine/wine ] && presets="win32 win64"
  for preset in $presets; do
    echo "Building $preset: Tovanel and the benchmark programs"
    quietly cmake --preset $preset
    quietly cmake --build --preset $preset --target Tovanel bench_floor bench_floor_controls bench_floor_startup bench_launch bench_functions
  done
  echo "Measuring under Wine and Xvfb: up to ten minutes a build"
  rm -f "$log"
  trap - EXIT
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --measure $presets
fi

# From here on under Xvfb, each build with its own private Wine prefix.
shift
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
loadavg=$(cut -d' ' -f1 /proc/loadavg)
kb() { awk -v n="$1" 'BEGIN { printf "%.1f KB", n / 1024 }'; }

measure() {  # measure <preset>: writes $out/<preset>.table
  local b=build/$1 ini ini_backup=""
  . "$b/wine-env.sh"
  # A server left running from a start without this display would serve the
  # runs a desktop that cannot draw: stop it, then start afresh here.
  "$b/wine-teardown.sh"
  "$b/wine-setup.sh"
  ini="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Orvendel/Tovanel/Tovanel.ini"
  if [ -f "$ini" ]; then
    ini_backup="$out/Tovanel.ini"
    cp "$ini" "$ini_backup"
  fi
  win() { winepath -w "$1" 2>/dev/null; }
  # Output goes to files, not pipes: a Wine service that inherited a pipe
  # would keep the reader waiting.
  echo "== $1: start-up, $runs runs of each, alternating, after one warm-up run"
  wine "$b/bench/launch.exe" "$runs" "floor.exe=$(win "$b/bench/floor.exe")" \
    "floor_controls.exe=$(win "$b/bench/floor_controls.exe")" \
    "floor_startup.exe=$(win "$b/bench/floor_startup.exe")" "Tovanel.exe=$(win "$b/app/exe/Tovanel.exe")" \
    >"$out/launch" </dev/null || echo "(start-up: some runs failed)"
  # One process a part, so that the drop and the list each start with fresh
  # windows and an empty list, and their working sets stay apart.
  : >"$out/functions"
  local parts=("names conversions" drop list)
  [ "${BENCH_ONLY:-}" = startup ] && parts=()
  for part in "${parts[@]}"; do
    echo "== $1: $part"
    # shellcheck disable=SC2086 # the parts are words
    wine "$b/bench/functions.exe" $part >>"$out/functions" </dev/null || echo "(functions $part: exit status $?)"
  done
  # Leave the prefix's settings file as it was before Tovanel.exe ran.
  if [ -n "$ini_backup" ]; then cp "$ini_backup" "$ini"; else rm -f "$ini"; fi
  "$b/wine-teardown.sh"
  local size
  size=$(stat -c %s "$b/app/exe/Tovanel.exe")
  {
    if [ "$1" = win32 ]; then
      echo "### The 32-bit release build, under WOW64"
    else
      echo "### The 64-bit build"
    fi
    echo
    echo "| measure | figure | note |"
    echo "|---|---|---|"
    grep '^| ' "$out/launch" || true
    echo "| executable $b/app/exe/Tovanel.exe | $size bytes ($(kb "$size")) | $([ "$1" = win32 ] && echo "the release artifact; target under 512 KB") |"
    grep '^| ' "$out/functions" || true
    echo
  } >"$out/$1.table"
}

for preset in "$@"; do measure "$preset"; done

{
  echo "Benchmarks of $(date '+%Y-%m-%d %H:%M %Z'); $(uname -m), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')" \
       "($(nproc) CPUs), $(wine --version 2>/dev/null); load average at start $loadavg."
  echo "Run under Wine on Xvfb; wall-clock times."
  echo
  for preset in "$@"; do cat "$out/$preset.table"; done
} >"$out/table"
cp "$out/table" build/bench.md
echo
cat "$out/table"
