#!/usr/bin/env bash
# A program built on liblzs writes lzspack's bytes: packs each file with the
# consumer (which takes an input and an output name, as lzs(3)'s example
# does) and with lzspack, and compares the two .lzs files.
#
# Usage: same_bytes_as_lzspack.sh CONSUMER LZSPACK FILE...
# With LZS_EMULATOR set (the emulator's command as words: wine), both
# programs run under it.
set -euo pipefail
consumer=$1
lzspack=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run=()
[[ -n ${LZS_EMULATOR:-} ]] && read -ra run <<<"$LZS_EMULATOR"
fail=0
for file in "$@"; do
  name=$(basename "$file")
  cp "$file" "$work/$name"
  (cd "$work" && "${run[@]}" "$lzspack" "$name" >/dev/null)
  expected=$work/${name%.*}.lzs
  "${run[@]}" "$consumer" "$work/$name" "$work/consumer.lzs"
  if ! cmp -s "$expected" "$work/consumer.lzs"; then
    echo "$name: the consumer's .lzs differs from lzspack's" >&2
    fail=1
  fi
  rm -f "$expected" "$work/consumer.lzs" "$work/$name"
done
[[ $fail == 0 ]] && echo "$(basename "$consumer") writes what lzspack writes for: $(for f in "$@"; do basename "$f"; done | tr "\n" " ")"
exit $fail
