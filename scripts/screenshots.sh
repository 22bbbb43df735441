#!/usr/bin/env bash
# Takes the README's screenshots under Xvfb and Wine, of the release build
# (the 64-bit build where 32-bit Wine is not installed), in a private prefix:
# the main window empty and with a file, and with the list window filled, at
# 96 DPI and at 144 DPI. Writes docs/*.png.
set -eu
cd "$(dirname "$0")/.."
preset=win64
[ -x /usr/lib/wine/wine ] && preset=win32
exe=build/$preset/app/exe/Tovanel.exe
probe=build/$preset/tests/e2e/probe.exe

if [ "${1:-}" != "--shoot" ]; then
  log=$(mktemp)
  trap 'rm -f "$log"' EXIT
  if ! { cmake --preset $preset && cmake --build --preset $preset --target Tovanel probe; } >"$log" 2>&1; then
    cat "$log"
    echo "The $preset build failed" >&2
    exit 1
  fi
  rm -f "$log"
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --shoot
fi

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
. scripts/desktop.sh
trap desktop_close EXIT
desktop_open "$PWD/build/screenshots/wineprefix" 1280x1024
appdata="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Orvendel"
sample="$WINEPREFIX/drive_c/サンプル資料"
mkdir -p "$sample/月次報告"
: >"$sample/月次報告/2026年12月 売上報告書.xlsx"
: >"$sample/議事録.txt"

shown() {  # shown <title>: waits until the window is shown and painted
  wine "$probe" shown 30000 "$1" </dev/null >/dev/null 2>&1 || { echo "no window \"$1\"" >&2; exit 1; }
}

shoot() {  # shoot <out> <key or -> -- args for Tovanel
  local out=$1 key=$2
  shift 3
  rm -rf "$appdata"
  wine "$exe" "$@" </dev/null >/dev/null 2>&1 &
  shown Tovanel
  if [ "$key" != - ]; then
    xdotool key "$key"
    shown "Tovanel - リスト"
  fi
  import -window root "/tmp/tovanel-shot.png"
  # The desktop's plain background is cut away, leaving the windows.
  convert /tmp/tovanel-shot.png -fuzz 3% -trim +repage "docs/$out"
  desktop_restart
}

mkdir -p docs
for dpi in 96 144; do
  desktop_dpi $dpi
  shoot "main-empty-$dpi.png" - --
  shoot "main-file-$dpi.png" - -- 'C:\サンプル資料\月次報告\2026年12月 売上報告書.xlsx'
  shoot "list-$dpi.png" alt+l -- 'C:\サンプル資料\議事録.txt'
done
rm -f /tmp/tovanel-shot.png
cp docs/main-file-96.png docs/main-file.png
ls -la docs
