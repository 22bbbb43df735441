#!/usr/bin/env bash
# Installs what is missing, builds Tovanel and starts it under Wine. An
# optional path (Unix or Windows form) is handed over as its first argument.
#
# It starts the 32-bit release build (build/win32/app/exe/Tovanel.exe),
# which runs under WOW64 in a 64-bit prefix; only where 32-bit Wine is not
# installed, or the user's prefix was made without it, the same sources built
# for 64-bit run instead. With a display it runs in the user's own Wine
# prefix; without one it runs under a private Xvfb and a private prefix,
# waits for the window and leaves a screenshot in build/screenshot.png.
set -eu
cd "$(dirname "$0")/.."

if [ "${1:-}" = "--headless" ]; then
  shift
  exe=$1 probe=$2
  shift 2
  . scripts/desktop.sh
  trap desktop_close EXIT
  desktop_open "$PWD/build/start/wineprefix" 1024x768
  wine "$exe" "$@" </dev/null >/dev/null 2>&1 &
  if wine "$probe" shown 60000 </dev/null >/dev/null 2>&1; then
    import -window root build/screenshot.png
    echo "Screenshot: build/screenshot.png"
  else
    echo "Tovanel did not show its window within a minute" >&2
    exit 1
  fi
  exit 0
fi

scripts/install-deps.sh
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Quiet builds; the build's own output is shown when one fails.
build() {
  if ! { cmake --preset "$1" && cmake --build --preset "$1" --target Tovanel probe; } >"$log" 2>&1; then
    cat "$log"
    echo "The $1 build failed" >&2
    exit 1
  fi
}

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
preset=win64
if [ -x /usr/lib/wine/wine ]; then
  preset=win32
  # A prefix made before 32-bit Wine was installed cannot start 32-bit
  # programs; the user's own is not ours to remake.
  user_prefix=${WINEPREFIX:-$HOME/.wine}
  if [ -n "${DISPLAY:-}" ] && [ -d "$user_prefix/drive_c/windows" ] && [ ! -f "$user_prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
    echo "$user_prefix was made without 32-bit Wine: starting the 64-bit build instead (a new prefix runs the release build)."
    preset=win64
  fi
fi
build "$preset"
exe=build/$preset/app/exe/Tovanel.exe
probe=build/$preset/tests/e2e/probe.exe
echo "Starting $exe ($([ "$preset" = win32 ] && echo "the 32-bit release build" || echo "the 64-bit build"))"

args=()
if [ $# -ge 1 ]; then
  case "$1" in
    /*) args=("$(winepath -w "$1" 2>/dev/null)") ;;
    *) args=("$1") ;;
  esac
fi

if [ -z "${DISPLAY:-}" ]; then
  echo "No display: running Tovanel under Xvfb; its screenshot goes to build/screenshot.png."
  rm -f "$log"
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --headless "$exe" "$probe" "${args[@]}"
fi
fonts="${WINEPREFIX:-$HOME/.wine}/drive_c/windows/Fonts"
[ ! -d "$fonts" ] || [ -f "$fonts/marlett.ttf" ] || cp /usr/share/wine/fonts/marlett.ttf "$fonts/" 2>/dev/null || true
rm -f "$log"
exec wine "$exe" "${args[@]}"
