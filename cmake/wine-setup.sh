#!/bin/sh
# Starts a persistent wineserver and boots the private prefix with its output
# redirected: Wine's background services would otherwise inherit ctest's
# output pipe and keep a finished test waiting until its timeout.
. "$(dirname "$0")/wine-env.sh"

# A prefix remembers the Wine it was made by. One made before 32-bit Wine was
# installed (or by another Wine version) cannot start 32-bit programs
# ("could not load kernel32.dll"): such a prefix is made afresh.
made_by="$(wine --version 2>/dev/null); 32-bit: $([ -x /usr/lib/wine/wine ] && echo yes || echo no)"
stamp="$WINEPREFIX/.tovanel-made-by"
if [ -d "$WINEPREFIX" ] && [ "$(cat "$stamp" 2>/dev/null)" != "$made_by" ]; then
  echo "The Wine prefix was made by another Wine ($(cat "$stamp" 2>/dev/null || echo unknown)); making it afresh"
  wineserver -k </dev/null >/dev/null 2>&1
  wineserver -w </dev/null >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
fi

mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
wineboot -i </dev/null >"$WINEPREFIX.boot.log" 2>&1 || { cat "$WINEPREFIX.boot.log"; exit 1; }
printf '%s\n' "$made_by" >"$stamp"
fonts="$WINEPREFIX/drive_c/windows/Fonts"
# Title-bar buttons need Marlett.
if [ -d "$fonts" ] && [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$fonts/marlett.ttf" ]; then
  cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
fi
exit 0
