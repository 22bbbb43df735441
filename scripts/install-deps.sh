#!/bin/sh
# Installs what building and testing Tovanel needs on Debian 12 (as root, or
# through sudo), 32-bit Wine included, and generates the Japanese locale that
# Wine runs under. Does nothing that is already done.
#
# 32-bit Wine (wine32:i386) runs the 32-bit release build under WOW64 in a
# 64-bit prefix. It is tried the plain way first, so that a healthy package
# mirror needs nothing special; when that does not resolve (the security
# suite's i386 index is often missing or mid-sync, and Multi-Arch "same"
# libraries must carry one version on both architectures) it is taken from
# the main suite, and only the libraries that must match are moved to that
# suite's version. When it cannot be installed at all, one line says why and
# everything else is installed: the 64-bit tests still gate.
set -eu
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

PACKAGES="cmake ninja-build g++ libgtest-dev googletest clang libclang-rt-14-dev \
g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
wine wine64 xvfb xauth locales fonts-vlgothic fonts-wine \
imagemagick xdotool x11-utils python3 python3-xlib git"
WINE32="wine32:i386"

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

missing=""
for p in $PACKAGES; do
  installed "$p" || missing="$missing $p"
done
# Whether the kernel runs 32-bit x86 programs at all: some kernels are built
# without that support, and Debian's 32-bit Wine loader then fails with "Exec
# format error". The probe is the smallest such program: an ELF header, one
# program header and `mov eax, 1; xor ebx, ebx; int 0x80` (exit 0).
kernel_runs_i386() {
  probe=$(mktemp) || return 1
  printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  rc=$?
  rm -f "$probe"
  return $rc
}

want32=""
if [ "${TOVANEL_NO_WINE32:-}" != 1 ] && ! kernel_runs_i386; then
  # /usr/bin/wine prefers the 32-bit loader whenever it is installed, so an
  # unrunnable one would stop the 64-bit tests too.
  echo "This kernel cannot run 32-bit x86 programs: 32-bit Wine is left out, the win32 tests are built but not run, the 64-bit ones gate."
  if installed "$WINE32"; then
    $SUDO apt-get remove -y -qq "$WINE32" >/dev/null 2>&1 || echo "Could not remove $WINE32: remove it by hand, or Wine will not start"
  fi
elif [ "${TOVANEL_NO_WINE32:-}" != 1 ]; then
  installed "$WINE32" || want32=1
fi

apt_log=$(mktemp)
trap 'rm -f "$apt_log"' EXIT
apt_install() { $SUDO apt-get install -y -qq --no-install-recommends "$@" >"$apt_log" 2>&1; }

# Libraries in wine32's dependencies whose installed amd64 version has no
# i386 twin: each gets the main suite's version on both architectures.
matching_pins() {
  codename=$1
  apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
      --no-breaks --no-replaces --no-enhances "$WINE32" 2>/dev/null |
    sed -n 's/^\([a-z0-9][^ ]*\):i386$/\1/p' | sort -u |
    while read -r p; do
      have=$(dpkg-query -W -f='${Version}' "$p:amd64" 2>/dev/null) || continue
      [ -n "$have" ] || continue
      [ "$(dpkg-query -W -f='${Multi-Arch}' "$p:amd64" 2>/dev/null)" = same ] || continue
      versions=$(apt-cache madison "$p:i386" | awk -F'|' '{gsub(/ /, "", $2); print $2 "|" $3}')
      printf '%s\n' "$versions" | cut -d'|' -f1 | grep -qxF "$have" && continue
      v=$(printf '%s\n' "$versions" | grep " $codename/" | head -n 1 | cut -d'|' -f1)
      [ -n "$v" ] && printf '%s=%s %s:i386=%s\n' "$p" "$v" "$p" "$v"
    done
}

if [ -n "$missing$want32" ]; then
  if [ -n "$want32" ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "Adding the i386 architecture for 32-bit Wine"
    $SUDO dpkg --add-architecture i386
  fi
  echo "Installing:$missing${want32:+ $WINE32}"
  # An index that fails to download (a mirror mid-sync) must not stop us:
  # the other indexes are still good, and the install below decides.
  $SUDO apt-get update -qq >"$apt_log" 2>&1 || echo "apt-get update reported errors; going on with the indexes it has"
  if [ -z "$want32" ]; then
    apt_install $missing || { cat "$apt_log"; exit 1; }
  elif apt_install $missing "$WINE32"; then
    echo "32-bit Wine installed"
  else
    # Everything else the plain way first, so that it keeps its newest
    # (security) versions and the 64-bit tests can run whatever follows.
    [ -z "$missing" ] || apt_install $missing || { cat "$apt_log"; exit 1; }
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    pins=$(matching_pins "$codename" | tr '\n' ' ')
    [ -z "$pins" ] || echo "Giving both architectures the $codename version of: $(printf '%s\n' $pins | grep -v ':i386=' | sed 's/=.*//' | tr '\n' ' ')"
    # shellcheck disable=SC2086
    auto_before=$(apt-mark showauto)
    if [ -n "$codename" ] && apt_install -t "$codename" --allow-downgrades wine wine64 "$WINE32" $pins; then
      # Naming a library on the command line marks it as installed by hand;
      # it was, and stays, a dependency.
      for pin in $pins; do
        p=${pin%%=*}
        case $p in
          *:i386) $SUDO apt-mark auto "$p" >/dev/null ;;
          *) printf '%s\n' "$auto_before" | grep -qxF "$p" && $SUDO apt-mark auto "$p" >/dev/null ;;
        esac
      done
      echo "32-bit Wine installed from the $codename suite"
    else
      why=$(grep -E '^E: ' "$apt_log" | head -n 1)
      echo "32-bit Wine cannot be installed here (${why:-apt-get failed}); the win32 tests will not run, the 64-bit ones still gate."
    fi
  fi
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "Generating the ja_JP.UTF-8 locale"
  $SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
