#!/usr/bin/env bash
# Takes the README's screenshots under Xvfb and Wine, in the win64 build's
# private prefix: the main window empty and with a file, and with the list
# window filled, at 96 DPI and at 144 DPI. Writes docs/*.png.
set -eu
cd "$(dirname "$0")/.."
cmake --preset win64 >/dev/null && cmake --build --preset win64 --target Tovanel >/dev/null
build/win64/wine-setup.sh
. build/win64/wine-env.sh
exe=build/win64/app/exe/Tovanel.exe
appdata="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Orvendel"
sample="$WINEPREFIX/drive_c/サンプル資料"
mkdir -p "$sample/月次報告"
: >"$sample/月次報告/2026年12月 売上報告書.xlsx"
: >"$sample/議事録.txt"

Xvfb :95 -screen 0 1280x1024x24 >/dev/null 2>&1 &
xpid=$!
trap 'kill $xpid 2>/dev/null; build/win64/wine-teardown.sh' EXIT
export DISPLAY=:95
sleep 1

shoot() {  # shoot <dpi> <out> <keys...> -- args for Tovanel
  local dpi=$1 out=$2
  shift 2
  local keys=()
  while [ "$1" != "--" ]; do keys+=("$1"); shift; done
  shift
  rm -rf "$appdata"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wine explorer /desktop=Shots,1280x1024 "$exe" "$@" </dev/null >/dev/null 2>&1 &
  sleep 5
  for k in "${keys[@]}"; do xdotool key "$k"; sleep 1; done
  import -window root "/tmp/tovanel-shot.png"
  # The desktop's plain background is cut away, leaving the windows.
  convert /tmp/tovanel-shot.png -fuzz 3% -trim +repage "docs/$out"
  wine taskkill /f /im Tovanel.exe >/dev/null 2>&1 || true
  wine taskkill /f /im explorer.exe >/dev/null 2>&1 || true
  sleep 2
}

mkdir -p docs
for dpi in 96 144; do
  shoot $dpi "main-empty-$dpi.png" --
  shoot $dpi "main-file-$dpi.png" -- 'C:\サンプル資料\月次報告\2026年12月 売上報告書.xlsx'
  shoot $dpi "list-$dpi.png" alt+l -- 'C:\サンプル資料\議事録.txt'
done
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
cp docs/main-file-96.png docs/main-file.png
ls -la docs
