# Sourced by the scripts that show Tovanel on a screen without a window
# manager (an Xvfb display): a private Wine prefix of theirs whose default
# desktop is a virtual one, so that Wine draws the title bars and a probe
# started on its own sees the same windows. Only this prefix's server is ever
# stopped; the user's own prefix is never touched.

# desktop_open <prefix> <width>x<height>: makes (or takes) the prefix and
# starts its server.
desktop_open() {
  export WINEPREFIX=$1
  desktop_size=$2
  # One made before 32-bit Wine was installed cannot start 32-bit programs.
  if [ -x /usr/lib/wine/wine ] && [ -d "$WINEPREFIX/drive_c/windows" ] &&
     [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$WINEPREFIX"
  wineserver -p </dev/null >/dev/null 2>&1
  wineboot -i </dev/null >"$WINEPREFIX.boot.log" 2>&1 || { cat "$WINEPREFIX.boot.log"; return 1; }
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  # Title-bar buttons need Marlett.
  [ -f "$fonts/marlett.ttf" ] || cp /usr/share/wine/fonts/marlett.ttf "$fonts/" 2>/dev/null || true
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop_size" /f </dev/null >/dev/null 2>&1
  # The desktop that booting made is not virtual yet: start afresh.
  desktop_restart
}

# desktop_dpi <dpi>: the resolution that programs started from now on see.
desktop_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
  desktop_restart
}

# desktop_restart: ends every program of the prefix and starts its server again.
desktop_restart() {
  desktop_close
  wineserver -p </dev/null >/dev/null 2>&1
}

desktop_close() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
}
