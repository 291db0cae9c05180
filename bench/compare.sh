#!/usr/bin/env bash
# Compares whole-process CPU time (user + sys) of lzspack, self-check
# included, with gzip -6, gzip -9, lz4 -9, zstd -3 and lzspack built with the
# plain encoder, on a corpus built here from files already on the machine
# and from generated inputs. Prints a Markdown table of ratios: another
# program's CPU time over lzspack's, so above 1 means lzspack is faster.
# Each figure is the minimum of RUNS runs (the plain encoder runs once where
# it takes over a second). The --best columns give lzspack --best's CPU time,
# its speed, and its packed size as a percentage of the default's. Then runs
# codec_bench for in-process throughput, the plain encoder's included.
#
#   bash bench/compare.sh [build-dir]        (default build-bench)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build-bench}")"
runs="${RUNS:-5}"

for tool in gzip lz4 zstd python3; do
  command -v "$tool" >/dev/null || { echo "compare.sh needs $tool (apt-get install gzip lz4 zstd python3)" >&2; exit 1; }
done

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DLZS_BUILD_TESTS=OFF -DLZS_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target lzspack lzspack_plain make_corpus codec_bench >/dev/null

corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT

bash "$root/bench/build_corpus.sh" "$build" "$corpus"

python3 - "$corpus" "$build" "$runs" <<'PY'
import os, resource, subprocess, sys
corpus, build, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
work = os.path.join(corpus, "work")
os.makedirs(work)

def cpu(argv, cwd):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(argv, cwd=cwd, check=True, stdout=subprocess.DEVNULL)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)

def best(argv, cwd, repeat):
    first = cpu(argv, cwd)
    if first > 1.0:
        return first
    return min([first] + [cpu(argv, cwd) for _ in range(repeat - 1)])

files = sorted(f for f in os.listdir(corpus) if os.path.isfile(os.path.join(corpus, f)))
others = [("plain", None), ("gzip -6", ["gzip", "-6", "-c"]), ("gzip -9", ["gzip", "-9", "-c"]),
          ("lz4 -9", ["lz4", "-9", "-c"]), ("zstd -3", ["zstd", "-3", "-c", "-q"])]
print("| file | size | lzspack CPU s | packed | " + " | ".join(name + " / lzspack" for name, _ in others) +
      " | --best CPU s | --best MiB/s | --best / default size |")
print("|---|---:|---:|---:|" + "---:|" * len(others) + "---:|---:|---:|")
for name in files:
    data = os.path.join(corpus, name)
    local = os.path.join(work, name)
    os.link(data, local)
    size = os.path.getsize(data)
    mine = best([os.path.join(build, "lzspack", "lzspack"), name], work, runs)
    packed = os.path.getsize(local + ".lzs")
    ratios = []
    for label, argv in others:
        if argv is None:
            t = best([os.path.join(build, "bench", "lzspack_plain"), name], work, runs)
        else:
            t = best(argv + [local], work, runs)
        ratios.append(t / mine if mine > 0 else float("inf"))
    best_cpu = best([os.path.join(build, "lzspack", "lzspack"), "--best", name], work, runs)
    best_packed = os.path.getsize(local + ".lzs")
    speed = size / 2**20 / best_cpu if best_cpu > 0 else float("inf")
    print(f"| {name} | {size} | {mine:.3f} | {100.0 * packed / size:.1f}% | " +
          " | ".join(f"{r:.2f}" for r in ratios) +
          f" | {best_cpu:.3f} | {speed:.1f} | {100.0 * best_packed / packed:.2f}% |")
PY

# In-process: the codec alone, without start-up, file I/O or self-check.
echo
find "$corpus" -maxdepth 1 -type f -print0 | sort -z |
  xargs -0 "$build/bench/codec_bench" --benchmark_min_time=0.2 --benchmark_format=json 2>/dev/null \
  > "$corpus/work/codec_bench.json"
python3 - "$corpus/work/codec_bench.json" <<'PY'
import json, sys
cpu, size = {}, {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    kind, name = b["name"].split("/", 1)
    seconds = b["cpu_time"] / {"ms": 1e3, "us": 1e6, "ns": 1e9}[b["time_unit"]]
    cpu[kind, name] = seconds
    size[name] = b["bytes_per_second"] * seconds / 2**20
print("| file | encode MiB/s | plain encode MiB/s | plain / encode | decode MiB/s |")
print("|---|---:|---:|---:|---:|")
for name in sorted(size):
    encode, plain, decode = (cpu[kind, name] for kind in ("encode", "plain_encode", "decode"))
    print(f"| {name} | {size[name] / encode:.1f} | {size[name] / plain:.2f} | {plain / encode:.2f} | {size[name] / decode:.0f} |")
PY
