#!/usr/bin/env bash
# Installs what is missing, builds Tovanel and starts it under Wine. An
# optional path (Unix or Windows form) is handed over as its first argument.
# Without a display it runs under Xvfb and leaves build/screenshot.png.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset win32 >/dev/null && cmake --build --preset win32 --target Tovanel >/dev/null
cmake --preset win64 >/dev/null && cmake --build --preset win64 --target Tovanel >/dev/null

# The release build is 32-bit; where Debian's wine32 cannot be installed the
# same sources built for 64-bit run instead.
if [ -x /usr/lib/wine/wine ]; then exe=build/win32/app/exe/Tovanel.exe; else exe=build/win64/app/exe/Tovanel.exe; fi

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
args=()
if [ $# -ge 1 ]; then
  case "$1" in
    /*) args=("$(winepath -w "$1" 2>/dev/null)") ;;
    *) args=("$1") ;;
  esac
fi

started_x=""
if [ -z "${DISPLAY:-}" ]; then
  echo "No display: running Tovanel under Xvfb; its screenshot goes to build/screenshot.png."
  Xvfb :97 -screen 0 1024x768x24 >/dev/null 2>&1 &
  started_x=$!
  export DISPLAY=:97
  sleep 1
fi

wineboot -i </dev/null >/dev/null 2>&1 || true
fonts="${WINEPREFIX:-$HOME/.wine}/drive_c/windows/Fonts"
[ -f "$fonts/marlett.ttf" ] || cp /usr/share/wine/fonts/marlett.ttf "$fonts/" 2>/dev/null || true

if [ -n "$started_x" ]; then
  wine explorer /desktop=Tovanel,1024x768 "$exe" "${args[@]}" </dev/null >/dev/null 2>&1 &
  sleep 8
  import -window root build/screenshot.png
  echo "Screenshot: build/screenshot.png"
  wineserver -k || true
  kill "$started_x" 2>/dev/null || true
else
  exec wine "$exe" "${args[@]}"
fi
