#!/bin/sh
# Installs what building and testing Tovanel needs on Debian 12 (as root, or
# through sudo), and generates the Japanese locale that Wine runs under.
# Does nothing that is already done.
set -eu
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

PACKAGES="cmake ninja-build g++ libgtest-dev googletest clang libclang-rt-14-dev \
g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
wine wine64 xvfb xauth locales fonts-vlgothic fonts-wine \
imagemagick xdotool x11-utils python3 python3-xlib"

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "Generating the ja_JP.UTF-8 locale"
  $SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
