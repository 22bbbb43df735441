#!/usr/bin/env bash
# Start-up in stages: builds the win64-profile preset (Tovanel.exe and the
# start-up floor with stage marks, base/StartupProfile.h), starts both in
# turn under Xvfb and Wine, and prints per stage the median time since
# process creation and the median time the stage itself took.
#
#   scripts/startup-profile.sh          # 21 runs of each
#   PROFILE_RUNS=41 scripts/startup-profile.sh
#
# Measures only; the release build carries none of the marks.
set -eu
cd "$(dirname "$0")/.."
runs=${PROFILE_RUNS:-21}
b=build/win64-profile

if [ "${1:-}" != "--measure" ]; then
  log=$(mktemp)
  trap 'rm -f "$log"' EXIT
  { cmake --preset win64-profile && cmake --build --preset win64-profile --target Tovanel bench_floor_startup bench_launch; } \
    >"$log" 2>&1 || { cat "$log"; exit 1; }
  rm -f "$log"
  trap - EXIT
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --measure
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
. "$b/wine-env.sh"
"$b/wine-teardown.sh"
"$b/wine-setup.sh"
ini="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Orvendel/Tovanel/Tovanel.ini"
[ -f "$ini" ] && cp "$ini" "$out/Tovanel.ini"
TOVANEL_STARTUP_PROFILE=$(winepath -w "$out/stages" 2>/dev/null)
export TOVANEL_STARTUP_PROFILE
wine "$b/bench/launch.exe" "$runs" "floor_startup.exe=$(winepath -w "$b/bench/floor_startup.exe" 2>/dev/null)" \
  "Tovanel.exe=$(winepath -w "$b/app/exe/Tovanel.exe" 2>/dev/null)" >"$out/launch" 2>"$out/launch.err" </dev/null || true
if [ -f "$out/Tovanel.ini" ]; then cp "$out/Tovanel.ini" "$ini"; else rm -f "$ini"; fi
"$b/wine-teardown.sh"
echo "Load average $(cut -d' ' -f1-3 /proc/loadavg); $runs runs of each after one warm-up, alternating."
echo "As launch.exe sees it (process creation to every control painted):"
grep '^| start-up to first paint' "$out/launch" || true
python3 - "$out/stages" <<'PY'
import statistics, sys
runs = {}  # program -> list of runs, each a list of (stage, ms)
program = None
for line in open(sys.argv[1], encoding="utf-8", errors="replace"):
    line = line.rstrip("\r\n")
    if line.startswith("# "):
        program = line[2:]
        runs.setdefault(program, []).append([])
    elif line and program:
        stage, ms = line.rsplit("\t", 1)
        runs[program][-1].append((stage, float(ms)))
for program, rs in runs.items():
    rs = rs[1:]  # the warm-up run
    print(f"\n{program}: {len(rs)} runs; median ms since process creation, and of the stage itself")
    print("| stage | at | stage took |")
    print("|---|---|---|")
    for i, (stage, _) in enumerate(rs[0]):
        at = [r[i][1] for r in rs if len(r) > i]
        took = [r[i][1] - (r[i - 1][1] if i else 0) for r in rs if len(r) > i]
        print(f"| {stage} | {statistics.median(at):.1f} | {statistics.median(took):.1f} |")
PY
