#!/usr/bin/env bash
# Checks that every C++ file of the tree is laid out as .clang-format says,
# and names the files that are not. `clang-format -i FILE` fixes one.
#
#   bash scripts/check-format.sh
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
echo "${#files[@]} files"
clang-format --dry-run -Werror "${files[@]}"
