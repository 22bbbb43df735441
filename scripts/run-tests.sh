#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the native tests
# (sanitized), the Windows tests under Wine for both builds (the 32-bit release
# build under WOW64 in a 64-bit prefix, wherever Debian's wine32 could be
# installed), the checks of both executables (protections, imports, version,
# the same bytes from a second build), and a bounded fuzz run.
# Ends with one line "tests: N passed, M failed" and fails when any did.
set -u
cd "$(dirname "$0")/.."
scripts/install-deps.sh || exit 1

passed=0
failed=0
skipped=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Runs a ctest invocation and adds its figures to the totals.
count_ctest() {
  local name=$1
  shift
  echo "== $name"
  "$@" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    local total bad
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
    local skip
    skip=$(grep -cE '^ *[0-9]+ - .*\(Skipped\)' "$log")
    passed=$((passed + total - bad - skip))
    failed=$((failed + bad))
    skipped=$((skipped + skip))
  fi
  if [ "$rc" -ne 0 ] && { [ -z "$line" ] || [ "$bad" -eq 0 ]; }; then failed=$((failed + 1)); fi
}

# A build step that fails counts as a failed test.
build() {
  local name=$1
  shift
  echo "== $name"
  if ! "$@"; then
    echo "FAILED: $name"
    failed=$((failed + 1))
    return 1
  fi
}

# The executable of a Windows build: its protections, imports and version
# read from the file, then the same bytes from a second build elsewhere.
exe_checks() {
  local preset=$1 bits=$2 version home=${HOME:-}
  [ "${#home}" -gt 1 ] || home=$PWD
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "build/$preset/CMakeCache.txt")
  build "$preset executable: protections, imports, version" scripts/check-exe.sh \
    "build/$preset/app/exe/Tovanel.exe" "$bits" "$version" "$PWD" "$home" &&
    passed=$((passed + 1))
  build "$preset executable: reproducible" scripts/check-repro.sh "$preset" && passed=$((passed + 1))
}

# Native: pure logic, with AddressSanitizer and UBSan.
if build "native build" cmake --preset native && build "native build" cmake --build --preset native; then
  count_ctest "native tests" ctest --preset native
fi

# Windows, 64-bit, under Wine with a private prefix and a virtual screen.
if build "win64 build" cmake --preset win64 && build "win64 build" cmake --build --preset win64; then
  count_ctest "win64 tests under Wine" xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset win64 --no-tests=error
  exe_checks win64 64
fi

# Windows, 32-bit: the release artifact.
if build "win32 build" cmake --preset win32 && build "win32 build" cmake --build --preset win32; then
  exe=build/win32/app/exe/Tovanel.exe
  echo "== release executable"
  if i686-w64-mingw32-objdump -f "$exe" | grep -q 'file format pei-i386' &&
     i686-w64-mingw32-objdump -p "$exe" | grep -q 'Subsystem.*Windows GUI'; then
    echo "$exe: 32-bit GUI executable, $(stat -c %s "$exe") bytes"
    passed=$((passed + 1))
  else
    echo "FAILED: $exe is not a 32-bit GUI executable"
    failed=$((failed + 1))
  fi
  # Where 32-bit Wine is installed the release build's tests must run (they
  # run under WOW64, with real file-system redirection): none is a failure.
  if [ -x /usr/lib/wine/wine ]; then
    count_ctest "win32 tests under Wine (WOW64)" xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset win32 --no-tests=error
  else
    echo "32-bit Wine (Debian's wine32) is not installed here: the win32 tests were built but not run."
  fi
  exe_checks win32 32
fi

# Fuzzing with libFuzzer, bounded; FUZZ_SECONDS sets the time per target.
fuzz_seconds=${FUZZ_SECONDS:-15}
if build "fuzz build" cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
     -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTOVANEL_LIBFUZZER=ON -DTOVANEL_SANITIZE=ON >/dev/null; then
  targets=$(ls fuzz/fuzz_*.cpp | sed -E 's#fuzz/(fuzz_[a-z0-9_]+)\.cpp#\1#')
  if build "fuzz build" cmake --build build/fuzz --target $targets; then
    for t in $targets; do
      echo "== $t for ${fuzz_seconds} s"
      mkdir -p "build/fuzz/corpus/$t"
      if build/fuzz/fuzz/$t -max_total_time="$fuzz_seconds" -print_final_stats=0 "build/fuzz/corpus/$t" 2>"$log"; then
        grep -E '^Done [0-9]+ runs' "$log" | tail -n 1
        passed=$((passed + 1))
      else
        tail -n 40 "$log"
        echo "FAILED: $t"
        failed=$((failed + 1))
      fi
    done
  fi
fi

echo
echo "tests: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
