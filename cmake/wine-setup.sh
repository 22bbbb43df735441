#!/bin/sh
# Starts a persistent wineserver and boots the private prefix with its output
# redirected: Wine's background services would otherwise inherit ctest's
# output pipe and keep a finished test waiting until its timeout.
. "$(dirname "$0")/wine-env.sh"
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
wineboot -i </dev/null >"$WINEPREFIX.boot.log" 2>&1 || { cat "$WINEPREFIX.boot.log"; exit 1; }
fonts="$WINEPREFIX/drive_c/windows/Fonts"
# Title-bar buttons need Marlett.
if [ -d "$fonts" ] && [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$fonts/marlett.ttf" ]; then
  cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
fi
exit 0
