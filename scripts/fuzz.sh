#!/usr/bin/env bash
# Builds the fuzz targets with clang (AddressSanitizer, UndefinedBehavior-
# Sanitizer, libFuzzer; the fuzz preset) and runs each for SECONDS, default
# 60, from the seed corpus the project generates. The corpus grows in
# build-fuzz/corpus/ from run to run. A crash ends the script with a non-zero
# status and leaves the input that caused it in build-fuzz/findings/.
#
# Each target's progress goes to build-fuzz/logs/TARGET.log; the script
# prints one line per target, and the log's tail when a target fails.
#
#   bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build="build-fuzz"

mkdir -p "$build/logs"
if ! { cmake --preset fuzz && cmake --build --preset fuzz -j "$(nproc)"; } >"$build/logs/build.log" 2>&1; then
  tail -n 60 "$build/logs/build.log"
  exit 1
fi

"$build/fuzz/make_seed_corpus" "$build/corpus"
mkdir -p "$build/findings" "$build/corpus/unpack" "$build/logs"

# Round-trip inputs may exceed one 16 KB window even before they are
# stretched (see fuzz/roundtrip_fuzzer.cpp).
declare -A max_len=([decode]=4096 [roundtrip]=32768 [unpack]=4096 [loader]=4096)
failed=0
for target in decode roundtrip unpack loader; do
  log="$build/logs/$target.log"
  if "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -max_len="${max_len[$target]}" \
      -timeout=30 -print_final_stats=1 -artifact_prefix="$build/findings/${target}-" \
      "$build/corpus/$target" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "${target}_fuzzer: ${runs:-?} runs in ${seconds} s, no crash"
  else
    echo "${target}_fuzzer: FAILED (log: $log)"
    tail -n 40 "$log"
    failed=$((failed + 1))
  fi
done
((failed == 0))
