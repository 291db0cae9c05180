#!/usr/bin/env bash
# Builds the four tools and runs the whole chain on the project's samples:
#   lzspack chkps.txt       -> chkps.lzs    chkpak      -> chkps.pak
#   apppack sample.exe  -> app_head.bin, zq_app.bin
#                                           appscramble -> zq_app2.bin
# It prints the packers' ratio lines and the size of every file. The chain
# runs in a scratch directory that is removed afterwards, or in the
# directory given as $1, where the files stay.
#
# The tools are built in build-chain/ without the tests and benchmarks, so
# this needs only cmake and g++ and leaves the test builds alone.
set -euo pipefail
keep=${1:+$(realpath -m "$1")}
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-chain

echo "== building the tools in build-chain/"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { cmake -S . -B "$build" -DLZS_BUILD_TESTS=OFF -DLZS_BUILD_BENCH=OFF &&
       cmake --build "$build" -j 2 --target lzspack apppack chkpak appscramble; } >"$log" 2>&1; then
  cat "$log"
  exit 1
fi

if [[ -n $keep ]]; then
  work=$keep
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'rm -f "$log"; rm -rf "$work"' EXIT
fi

cp samples/chkps.txt "$work/"
bash samples/make-sample-app.sh "$work/sample.exe"
cd "$work"

echo "== running the chain in $work"
"$build/lzspack/lzspack" chkps.txt
"$build/scramble/chkpak"
"$build/apppack/apppack" sample.exe
"$build/scramble/appscramble"

echo "== files"
for file in chkps.txt chkps.lzs chkps.pak sample.exe app_head.bin zq_app.bin zq_app2.bin; do
  printf '%16s %8d bytes\n' "$file" "$(stat -c %s "$file")"
done
