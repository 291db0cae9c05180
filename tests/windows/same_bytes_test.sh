#!/usr/bin/env bash
# The Windows programs (under Wine) and the Linux programs, run on the same
# inputs, write the same bytes, print the same ratio lines and messages and
# end with the same statuses. The inputs: the kinds and sizes the round-trip
# tests use (noise, prose, machine code, few-symbol alphabets, every size
# around the window's boundaries), the benchmark's generated corpus, the
# chain's sample files, and inputs every program refuses.
#
# Usage: same_bytes_test.sh LINUX_BUILD WINDOWS_BUILD SOURCE_DIR
set -euo pipefail
linux=$1
windows=$2
source=$3
export WINEPREFIX=${WINEPREFIX:-$windows/wine-prefix} WINEDEBUG=-all

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
inputs=$work/inputs
mkdir -p "$inputs" "$work/linux" "$work/windows"

# -- inputs
sizes=(0 1 2 3 4 16383 16384 16385 16643 16644 16645 32768 33028 49152)
words=(the packer window of sixteen kilobytes slides over an input and finds repeats Each group holds eight tokens)
prose=""
while ((${#prose} < 49152)); do prose+="${words[RANDOM % ${#words[@]}]} "; done
for size in "${sizes[@]}"; do
  head -c "$size" /dev/urandom >"$inputs/noise_$size.bin"
  printf '%s' "${prose:0:size}" >"$inputs/prose_$size.txt"
  head -c "$size" "$linux/lzspack/lzspack" >"$inputs/code_$size.bin"
done
# Bytes mapped uniformly onto 1, 2 and 4 symbols.
for symbols in a ab acgt; do
  map=$(printf "%0.s$symbols" $(seq $((256 / ${#symbols}))))
  head -c 40000 /dev/urandom | LC_ALL=C tr '\000-\377' "$map" >"$inputs/alphabet_${#symbols}.txt"
done
if [[ -x $linux/bench/make_corpus ]]; then
  "$linux/bench/make_corpus" "$inputs"
fi
cp "$source/samples/chkps.txt" "$inputs/chkps.txt"
bash "$source/samples/make-sample-app.sh" "$inputs/sample.exe"

# -- runs: the same command line in a directory per build; what each run
# prints and its status become files of that directory.
step=0
run_both() {
  local program=$1
  shift
  step=$((step + 1))
  local status
  status=0
  (cd "$work/linux" && "$linux/$program" "$@" >"out.$step" 2>"err.$step") || status=$?
  echo "$status" >"$work/linux/status.$step"
  status=0
  (cd "$work/windows" && wine "$windows/$program.exe" "$@" >"out.$step" 2>"err.$step") || status=$?
  echo "$status" >"$work/windows/status.$step"
}

cp "$inputs"/* "$work/linux/"
cp "$inputs"/* "$work/windows/"
for file in "$inputs"/*; do
  name=$(basename "$file")
  case $name in
    *.exe) run_both apppack/apppack "$name" ;;
    *) run_both lzspack/lzspack "$name"
       run_both lzsunpack/lzsunpack -f "${name%.*}.lzs" "$name.back" ;;
  esac
done
# The chain: chkps.lzs into chkps.pak, zq_app.bin into zq_app2.bin, and each
# image taken apart again.
run_both scramble/chkpak
run_both scramble/appscramble
run_both lzsunpack/lzsunpack -v -f chkps.pak
run_both lzsunpack/lzsunpack -v -f zq_app2.bin
# Refusals: no input, an input that is no image, an executable that is not one.
run_both lzspack/lzspack missing.bin
run_both lzsunpack/lzsunpack noise_16384.bin
run_both lzsunpack/lzsunpack -t pak prose_49152.txt
run_both apppack/apppack prose_49152.txt

if ! diff -r "$work/linux" "$work/windows" >"$work/diff" 2>&1; then
  head -n 40 "$work/diff"
  echo "The Windows programs differ from the Linux ones (above)." >&2
  exit 1
fi
echo "$step runs on $(find "$inputs" -type f | wc -l) inputs: the same bytes, lines and statuses"
