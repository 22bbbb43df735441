#!/bin/sh
# Runs one Windows program of this build under Wine (ctest's emulator).
. "$(dirname "$0")/wine-env.sh"
exec wine "$@"
