#!/usr/bin/env bash
# Builds the fuzz targets with clang (AddressSanitizer, UndefinedBehavior-
# Sanitizer, libFuzzer) and runs each for SECONDS, default 60, from the seed
# corpus the project generates. The corpus grows in build-fuzz/corpus/ from
# run to run. A crash ends the script with a non-zero status and leaves the
# input that caused it in build-fuzz/findings/.
#
#   bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLZS_BUILD_FUZZ=ON -DLZS_BUILD_TESTS=OFF -DLZS_BUILD_BENCH=OFF
cmake --build "$build" -j "$(nproc)" --target decode_fuzzer roundtrip_fuzzer unpack_fuzzer make_seed_corpus

"$build/fuzz/make_seed_corpus" "$build/corpus"
mkdir -p "$build/findings" "$build/corpus/unpack"

# Round-trip inputs may exceed one 16 KB window even before they are
# stretched (see fuzz/roundtrip_fuzzer.cpp).
declare -A max_len=([decode]=4096 [roundtrip]=32768 [unpack]=4096)
for target in decode roundtrip unpack; do
  echo "== ${target}_fuzzer for ${seconds} s"
  "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -max_len="${max_len[$target]}" \
    -timeout=30 -print_final_stats=1 -artifact_prefix="$build/findings/${target}-" \
    "$build/corpus/$target"
done
