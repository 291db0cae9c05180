#!/usr/bin/env bash
# The main job: builds the tool chain and runs it on the project's samples:
#   lzspack chkps.txt   -> chkps.lzs                 chkpak      -> chkps.pak
#   apppack sample.exe  -> app_head.bin, zq_app.bin  appscramble -> zq_app2.bin
# It prints the packers' ratio lines and the size of every file, then checks
# each image with lzsunpack: every one must unpack to the file it was made
# from. It also draws the cost map of chkps.lzs as samples/chkps-cost-map.svg,
# the picture the README shows. The chain runs in a scratch directory that is
# removed afterwards, or in the directory given as $1, where the files stay.
#
# The programs are built in build-release/ (the release preset) without the
# tests, so this needs only cmake and g++ and leaves the test builds alone.
set -euo pipefail
keep=${1:+$(realpath -m "$1")}
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-release

echo "== building the programs in build-release/"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { cmake --preset release &&
       cmake --build --preset release -j "$(nproc)" --target lzspack apppack chkpak appscramble lzsunpack; } >"$log" 2>&1; then
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

# Each image against the data it was made from: chkps.lzs and chkps.pak
# against the text, zq_app.bin and zq_app2.bin against the executable's body
# (all but its 2048-byte header).
echo "== checking the images with lzsunpack"
unpack=$build/lzsunpack/lzsunpack
tail -c +2049 sample.exe >sample.body
# The first check also draws the sample's cost map, which the README shows.
"$unpack" -f --svg "$root/samples/chkps-cost-map.svg" chkps.lzs chkps.check && cmp chkps.txt chkps.check
"$unpack" -f chkps.pak chkps.unpak && cmp chkps.txt chkps.unpak
"$unpack" -f zq_app.bin zq_app.body && cmp sample.body zq_app.body
"$unpack" -f zq_app2.bin zq_app2.body && cmp sample.body zq_app2.body
echo "every image unpacks to the file it was made from"
rm -f sample.body chkps.check chkps.unpak zq_app.body zq_app2.body

echo "== the programs are in $build:"
for program in lzspack/lzspack apppack/apppack scramble/chkpak scramble/appscramble lzsunpack/lzsunpack; do
  echo "  $build/$program"
done
