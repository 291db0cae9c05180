#!/usr/bin/env bash
# Cross-builds the tool chain for Windows with MinGW-w64 in build-windows/
# and runs its tests under Wine: the unit and program tests, the Windows
# fault tests, the Windows package, and, when the Linux build in build/ has
# its programs, the comparison of both builds' outputs byte for byte.
# Prints the build's and the tests' output only when something fails, with a
# "rerun: " line per failed test that reruns it alone, and then the count of
# tests passed and skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-windows
jobs=$(nproc)
mkdir -p "$build"
log=$build/test-windows.log
: >"$log"

run_logged() {
  if ! "$@" >>"$log" 2>&1; then
    tail -n 200 "$log"
    echo "test-windows.sh: failed: $*" >&2
    exit 1
  fi
}

echo "== Windows: cross build in build-windows/"
run_logged cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DLZS_LINUX_BUILD="$root/build"
run_logged cmake --build "$build" -j "$jobs"

echo "== Windows: tests under Wine"
# One Wine server for the whole run: each test program starts many
# processes, and a server that outlives them saves its start every time.
export WINEPREFIX=$build/wine-prefix WINEDEBUG=-all
wineserver -p 60 </dev/null >/dev/null 2>&1 &
# Wine's own services start with the first program and inherit its standard
# streams: started here, they cannot hold a test's output pipe open (ctest
# would wait on it for ever).
wineboot -i </dev/null >/dev/null 2>&1 || true
ctest_log=$build/ctest.log

# The command that reruns each failed test alone: a failed case of a test
# program (run whole, in shards, under Wine) through the program and its
# --gtest_filter, any other test through ctest.
print_reruns() {
  awk -v build="${build#"$root"/}" '
    /^ *Start +[0-9]+: / { n = $2; sub(/:$/, "", n); names[n] = $3 }
    /^[0-9]+: \[  FAILED  \] .* \([0-9]+ ms\)$/ {
      n = $1; sub(/:$/, "", n); test = $5; sub(/,$/, "", test)
      program = names[n]; sub(/\.shard[0-9]+$/, "", program)
      printf "rerun: WINEPREFIX=%s/wine-prefix WINEDEBUG=-all wine %s/tests/%s.exe --gtest_filter=%s\n", build, build, program, test
    }
    /^The following tests FAILED:/ { listed = 1; next }
    listed && /^[[:space:]]*[0-9]+ - / && $3 !~ /\.shard[0-9]+$/ {
      name = $3; gsub(/\./, "\\.", name)
      printf "rerun: ctest --test-dir %s -R \047^%s$\047 --output-on-failure\n", build, name
    }' "$ctest_log"
}

status=0
ctest --test-dir "$build" -j "$jobs" --output-on-failure -V >"$ctest_log" 2>&1 || status=$?
wineserver -k >/dev/null 2>&1 || true
wait || true
if ((status != 0)); then
  grep -E "^[0-9]+: \[  FAILED  \]|\*\*\*Failed|Failed|Timeout" "$ctest_log" | grep -v "^[0-9]*: \[  FAILED  \] [0-9]* test" || true
  print_reruns
  echo "Windows: tests failed (details in $ctest_log)" >&2
  exit 1
fi
# Each test program reports its own count; the other ctest tests count once.
cases=$(grep -oE "^[0-9]+: \[  PASSED  \] [0-9]+ test" "$ctest_log" | awk '{s += $5} END {print s + 0}')
programs=$(grep -cE "Test +#[0-9]+: [a-z_]+_tests\.shard" "$ctest_log" || true)
others=$(( $(grep -cE "Test +#[0-9]+: .* Passed" "$ctest_log") - programs ))
skipped=$(awk '/^[0-9]+: \[  SKIPPED \] [0-9]+ test/ {s += $5} END {print s + 0}' "$ctest_log")
echo "Windows: $((cases + others)) tests passed, $skipped skipped under Wine"
