#!/usr/bin/env bash
# Builds Tovanel.exe of a preset a second time, from a copy of the source
# tree in another folder, and compares it with the one in build/<preset>:
# the two must be the same bytes. Prints both SHA-256 sums, and the first
# differing bytes when they differ.
#
#   scripts/check-repro.sh win32
set -eu
cd "$(dirname "$0")/.."
preset=$1
exe=build/$preset/app/exe/Tovanel.exe
[ -f "$exe" ] || { echo "$exe is missing: build the $preset preset first" >&2; exit 1; }

# The copy and its build share nothing with the first build's paths.
top=$PWD/build/repro-$preset
rm -rf "$top"
mkdir -p "$top/src"
git ls-files -z --cached --others --exclude-standard |
  tar --null -T - --ignore-failed-read -cf - 2>/dev/null | tar -xf - -C "$top/src"
log=$top/build.log
if ! (cd "$top/src" && cmake --preset "$preset" -B "$top/build" &&
      cmake --build "$top/build" --target Tovanel) >"$log" 2>&1; then
  tail -n 30 "$log"
  echo "FAILED: the second build of $preset"
  exit 1
fi

again=$top/build/app/exe/Tovanel.exe
sha256sum "$exe" "$again"
if ! cmp -s "$exe" "$again"; then
  echo "FAILED: two builds of $preset differ (offset, then octal bytes of each):"
  cmp -l "$exe" "$again" | head -n 20
  exit 1
fi
echo "$preset: the second build in another folder is byte-identical"
rm -rf "$top"
