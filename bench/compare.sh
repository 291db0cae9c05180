#!/usr/bin/env bash
# Compares lzspack and lzsunpack with gzip, lz4 and zstd, whole process and
# in CPU time (user + sys of the child), on a corpus built here from files
# already on the machine and from generated inputs (bench/build_corpus.sh),
# then the codec in-process (codec_bench). Prints four Markdown tables:
#
# 1. Packing: lzspack's CPU time (its self-check included) and, for gzip -6,
#    lz4 -9, zstd -3 and zstd -19, the peer's CPU time over lzspack's, so
#    above 1 means lzspack is faster. The runs are interleaved in pairs
#    (lzspack, peer, lzspack, peer, ...), RUNS pairs per peer, and each cell
#    gives the minimum, median and maximum of the pairs' ratios (the two
#    runs of a pair follow each other, so the load of the moment weighs on
#    both). Then lzspack --best's median CPU time and its speed.
# 2. Packed sizes: each program's as a share of the input, --best's as a
#    share of the default's.
# 3. Unpacking, in the same style: lzsunpack against lz4 -d, gzip -d and
#    zstd -d, each decoding the file its own packer wrote (lz4 -9, gzip -6,
#    zstd -3) to standard output, which is /dev/null for all of them, so no
#    one pays for writing or syncing a file and what is compared is starting,
#    reading and decoding.
# 4. In-process MiB/s (CPU time) of the default encoder, of --best's search,
#    of the decoder and of memcpy of the same size.
#
# Packers write their outputs to files beside the input (lzspack always
# does; the peers through standard output). About three minutes of CPU,
# one process at a time, with the default RUNS=5; RUNS=3 for a quick look.
#
#   bash bench/compare.sh [build-dir]        (default build-bench)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build-bench}")"
runs="${RUNS:-5}"
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "compare.sh: RUNS must be a count above 0, not '$runs'" >&2; exit 1; }

missing=()
for tool in gzip lz4 zstd python3; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if ((${#missing[@]} > 0)); then
  echo "compare.sh needs ${missing[*]} (apt-get install gzip lz4 zstd python3)" >&2
  exit 1
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DLZS_BUILD_TESTS=OFF -DLZS_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target lzspack lzsunpack make_corpus codec_bench >/dev/null

corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT

bash "$root/bench/build_corpus.sh" "$build" "$corpus"

python3 - "$corpus" "$build" "$runs" <<'PY'
import os, resource, statistics, subprocess, sys
corpus, build, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
work = os.path.join(corpus, "work")
lzspack = os.path.join(build, "lzspack", "lzspack")
lzsunpack = os.path.join(build, "lzsunpack", "lzsunpack")

def cpu(argv, cwd, stdout=os.devnull):
    """User + sys seconds of one run of argv, its standard output sent to the file `stdout`."""
    with open(stdout, "wb") as out:
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        subprocess.run(argv, cwd=cwd, check=True, stdout=out, stderr=subprocess.DEVNULL)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)

def ratio(peer, ours):
    return peer / ours if ours > 0 else float("inf")

def spread(ratios):
    return f"{min(ratios):.2f}-{statistics.median(ratios):.2f}-{max(ratios):.2f}"

def share(part, whole, digits=1):
    return f"{100.0 * part / whole:.{digits}f}%" if whole > 0 else "-"

# (label, argv before the input, suffix of the packed file); the unpackers
# read the files of the packers with the same suffix.
peers = [("gzip -6", ["gzip", "-6", "-c"], ".gz"), ("lz4 -9", ["lz4", "-9", "-c"], ".lz4"),
         ("zstd -3", ["zstd", "-3", "-c", "-q"], ".zst3"), ("zstd -19", ["zstd", "-19", "-c", "-q"], ".zst19")]
unpackers = [("lz4 -d", ".lz4", ["lz4", "-d", "-c"]), ("gzip -d", ".gz", ["gzip", "-d", "-c"]),
             ("zstd -d", ".zst3", ["zstd", "-d", "-c", "-q"])]

model = "unknown CPU"
with open("/proc/cpuinfo") as info:
    for line in info:
        if line.startswith("model name"):
            model = line.split(":", 1)[1].strip()
            break
print(f"Machine: {model}, {os.cpu_count()} CPUs; RUNS={runs}.")

files = sorted(f for f in os.listdir(corpus) if os.path.isfile(os.path.join(corpus, f)))
packing, sizes, unpacking = [], [], []
for index, name in enumerate(files):
    print(f"compare.sh: {name}", file=sys.stderr)
    # Each file is packed as "input" in a directory of its own, whatever its
    # name, so that lzspack's output is input.lzs; --best writes its own
    # input.lzs one level down, keeping the default's.
    here = os.path.join(work, str(index))
    best_dir = os.path.join(here, "best")
    os.makedirs(best_dir)
    data = os.path.join(corpus, name)
    local = os.path.join(here, "input")
    os.link(data, local)
    os.link(data, os.path.join(best_dir, "input"))
    size = os.path.getsize(data)

    ours, ratios, best = [], {label: [] for label, _, _ in peers}, []
    for _ in range(runs):
        for label, argv, suffix in peers:
            ours.append(cpu([lzspack, "input"], here))
            ratios[label].append(ratio(cpu(argv + ["input"], here, stdout=local + suffix), ours[-1]))
        best.append(cpu([lzspack, "--best", "input"], best_dir))
    mine, best_cpu = statistics.median(ours), statistics.median(best)
    speed = f"{size / 2**20 / best_cpu:.1f}" if best_cpu > 0 else "-"
    packing.append(f"| {name} | {size} | {mine:.3f} | " + " | ".join(spread(ratios[label]) for label, _, _ in peers) +
                   f" | {best_cpu:.3f} | {speed} |")
    packed = os.path.getsize(local + ".lzs")
    best_packed = os.path.getsize(os.path.join(best_dir, "input.lzs"))
    sizes.append(f"| {name} | {size} | {packed} | {share(packed, size)} | {share(best_packed, packed, 2)} | " +
                 " | ".join(share(os.path.getsize(local + suffix), size) for _, _, suffix in peers) + " |")

    ours, ratios = [], {label: [] for label, _, _ in unpackers}
    for _ in range(runs):
        for label, suffix, argv in unpackers:
            ours.append(cpu([lzsunpack, "-c", "input.lzs"], here))
            ratios[label].append(ratio(cpu(argv + ["input" + suffix], here), ours[-1]))
    unpacking.append(f"| {name} | {statistics.median(ours):.4f} | " +
                     " | ".join(spread(ratios[label]) for label, _, _ in unpackers) + " |")

def table(title, header, numbers, rows):
    """Prints a Markdown table: `header` above `rows`, the last `numbers` columns right-aligned."""
    print()
    print(title)
    print()
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * (len(header) - numbers) + "---:|" * numbers)
    print("\n".join(rows))

table("Packing, whole process: lzspack's median CPU s, then each peer's CPU time over lzspack's (min-median-max):",
      ["file", "size", "lzspack CPU s"] + [label for label, _, _ in peers] + ["--best CPU s", "--best MiB/s"],
      len(peers) + 4, packing)
table("Packed sizes, as a share of the input (--best as a share of the default):",
      ["file", "size", "lzspack bytes", "lzspack", "--best / default"] + [label for label, _, _ in peers],
      len(peers) + 4, sizes)
table("Unpacking to /dev/null, whole process: lzsunpack's median CPU s, then each peer's CPU time over lzsunpack's:",
      ["file", "lzsunpack CPU s"] + [label for label, _, _ in unpackers], len(unpackers) + 1, unpacking)
PY

# In-process: the codec alone, without start-up, file I/O or self-check.
echo
find "$corpus" -maxdepth 1 -type f -print0 | sort -z |
  xargs -0 "$build/bench/codec_bench" --benchmark_min_time=0.2 --benchmark_format=json \
    --benchmark_filter='^(encode|best|decode|memcpy)/' 2>/dev/null > "$corpus/work/codec_bench.json"
python3 - "$corpus/work/codec_bench.json" <<'PY'
import json, sys
cpu, size = {}, {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    kind, name = b["name"].split("/", 1)
    seconds = b["cpu_time"] / {"ms": 1e3, "us": 1e6, "ns": 1e9}[b["time_unit"]]
    cpu[kind, name] = seconds
    size[name] = b["bytes_per_second"] * seconds / 2**20
print("In-process, MiB/s of CPU time:")
print()
print("| file | encode | --best | decode | memcpy | decode / memcpy |")
print("|---|---:|---:|---:|---:|---:|")
for name in sorted(size):
    encode, best, decode, copy = (size[name] / cpu[kind, name] for kind in ("encode", "best", "decode", "memcpy"))
    print(f"| {name} | {encode:.1f} | {best:.1f} | {decode:.0f} | {copy:.0f} | {100.0 * decode / copy:.1f}% |")
PY
