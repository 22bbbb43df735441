#!/bin/sh
# Runs one Windows test program of this build under Wine inside a virtual
# desktop of its own. There no window manager is waited for: on a bare X
# server Wine waits two seconds for one each time a window is hidden, which
# a test that hides windows hundreds of times cannot afford. Wine's desktop
# program does not hand back the test's exit code, so the verdict is read
# from the test's own report.
. "$(dirname "$0")/wine-env.sh"
exe=$1
shift
report=$(mktemp --suffix=.xml)
trap 'rm -f "$report"' EXIT
wine explorer /desktop=TovanelTests,1024x768 "$(winepath -w "$exe")" \
  --gtest_output="xml:$(winepath -w "$report")" "$@" </dev/null
# The desktop stays the one that takes the keyboard when its program has
# ended, and the next test's keys would go nowhere: the prefix's server is
# started afresh, as the tests' setup starts it.
wineserver -k </dev/null >/dev/null 2>&1
wineserver -w </dev/null >/dev/null 2>&1
"$(dirname "$0")/wine-setup.sh" >/dev/null || exit 1
summary=$(grep -m1 '<testsuites ' "$report" 2>/dev/null)
case "$summary" in
  *' tests="0"'*|'') echo "no test ran: $summary"; exit 1 ;;
esac
case "$summary" in
  *' failures="0"'*' errors="0"'*) exit 0 ;;
esac
echo "failed: $summary"
exit 1
