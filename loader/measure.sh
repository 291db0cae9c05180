#!/usr/bin/env bash
# Prints two Markdown tables: each loader decoder's code size (the .text of
# its object, -Os) for x86-64 and Cortex-M3 Thumb-2, and its speed in MB/s
# of output on the benchmark corpus beside the codec's decoder and memcpy,
# all measured in one run of bench/loader_bench (Release build in
# build-bench/, CPU time). The corpus is bench/build_corpus.sh's, or the
# files given.
#
#   bash loader/measure.sh [file ...]
#
# A benchmark, not a test: the figures vary with the machine and its load.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-bench"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

text_size() {  # compiler flags... source
  "${@:1:$#-1}" -std=c99 -ffreestanding -Os -c "${@: -1}" -o "$work/object.o"
  size -A "$work/object.o" | awk '$1 == ".text" { print $2 }'
}

echo "| decoder | x86-64 .text | Thumb-2 .text | Thumb-2 goal |"
echo "|---|---:|---:|---:|"
for row in "checked lzs_checked 224" "minimal lzs_trusted 128" "byte-fed lzs_feed 512"; do
  read -r name source goal <<<"$row"
  x86=$(text_size gcc -m64 "$root/loader/$source.c")
  thumb=$(text_size arm-none-eabi-gcc -mthumb -mcpu=cortex-m3 "$root/loader/$source.c")
  echo "| $name | $x86 | $thumb | $goal |"
done
echo

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DLZS_BUILD_TESTS=OFF -DLZS_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target make_corpus loader_bench >/dev/null
if (($# == 0)); then
  bash "$root/bench/build_corpus.sh" "$build" "$work/corpus"
  set -- "$work"/corpus/*
fi
"$build/bench/loader_bench" --benchmark_min_time=0.2 --benchmark_format=json "$@" 2>/dev/null >"$work/bench.json"
python3 - "$work/bench.json" <<'PY'
import json, sys
speed, files = {}, []
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    kind, name = b["name"].split("/", 1)
    speed[kind, name] = b["bytes_per_second"] / 1e6
    if name not in files:
        files.append(name)
kinds = ["codec", "checked", "byte_fed", "minimal", "memcpy"]
print("| file | codec MB/s | checked | byte-fed | minimal | memcpy | checked / codec |")
print("|---|---:|---:|---:|---:|---:|---:|")
for name in sorted(files):
    row = [speed[kind, name] for kind in kinds]
    print(f"| {name} | " + " | ".join(f"{s:.0f}" for s in row) + f" | {row[1] / row[0]:.0%} |")
PY
