#!/bin/sh
# Stops the wineserver started by wine-setup.sh.
. "$(dirname "$0")/wine-env.sh"
wineserver -k </dev/null >/dev/null 2>&1
wineserver -w </dev/null >/dev/null 2>&1
exit 0
