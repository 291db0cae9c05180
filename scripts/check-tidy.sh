#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over the programs' sources as
# the plain build compiles them: its compile_commands.json, so configure that
# build first (cmake --preset plain). The tests, benchmarks and fuzz targets
# are not checked. Prints only the findings; the status is non-zero if any.
#
#   bash scripts/check-tidy.sh [build-dir]        (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [[ ! -f $build/compile_commands.json ]]; then
  echo "check-tidy: no $build/compile_commands.json (cmake --preset plain first)" >&2
  exit 2
fi

checked='apppack|codec|liblzs|lzspack|lzsunpack|packing|platform|scramble|toolrt'
mapfile -t sources < <(git ls-files '*.cpp' | grep -E "^($checked)/" | grep -v '^platform/windows/')
echo "${#sources[@]} files"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! run-clang-tidy -quiet -p "$build" -j "$(nproc)" -header-filter="^$PWD/($checked)/.*\\.h\$" \
    "${sources[@]/#/$PWD/}" >"$log" 2>&1; then
  # The findings (each once, though a header is checked with every file
  # that includes it), without colours, command lines and counts.
  sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '^/.*: (warning|error): ' | sort -u
  exit 1
fi
