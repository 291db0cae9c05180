#!/usr/bin/env bash
# cpack -G ZIP makes lzstools-VERSION-win64.zip with the five programs, the
# README, the LICENSE, a readable text of every manual page, and liblzs:
# lzs.dll, its import library and its header.
# Usage: zip_package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G ZIP -B "$work/out" >"$work/log" 2>&1) || { cat "$work/log"; exit 1; }
zip=$work/out/lzstools-$version-win64.zip
[[ -f $zip ]] || { echo "no $zip: $(ls "$work/out")" >&2; exit 1; }
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$zip")
top=$work/unpacked/lzstools-$version-win64
fail=0
for file in lzspack.exe apppack.exe chkpak.exe appscramble.exe lzsunpack.exe README.md LICENSE \
            lzspack.txt apppack.txt chkpak.txt appscramble.txt lzsunpack.txt lzs.txt \
            lzs.dll lib/liblzs.dll.a include/lzs.h; do
  [[ -s $top/$file ]] || { echo "missing: $file" >&2; fail=1; }
done
# Rendered, not the source: no roff requests, the name section as text.
if grep -q '^\.TH\|^\.SH' "$top"/*.txt; then echo "manual pages are not rendered" >&2; fail=1; fi
grep -q "lzspack" "$top/lzspack.txt" || fail=1
exit $fail
