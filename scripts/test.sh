#!/usr/bin/env bash
# Builds the tool chain and runs every test twice: in the plain build and in
# a build with AddressSanitizer and UndefinedBehaviorSanitizer. Between the
# two, a short run of each fuzz target (clang, libFuzzer); a crash fails it.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

bash scripts/fuzz.sh 30

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DLZS_SANITIZE=ON -DLZS_BUILD_BENCH=OFF
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
bash scripts/test-windows.sh
