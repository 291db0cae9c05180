#!/usr/bin/env bash
# Builds the benchmark corpus in DIR from files already on the machine
# (licence texts, 40 ELF files, C headers and a tar of /usr/share/doc,
# 4 MiB each, in a fixed order so that one machine always builds the same
# corpus) and the generated inputs of BUILD/bench/make_corpus.
#
#   bash bench/build_corpus.sh BUILD DIR
set -euo pipefail
build=$1
corpus=$2
limit=$((4 * 1024 * 1024))  # bytes per real-file corpus entry
mkdir -p "$corpus"

# `head` cuts each pipe short, which its writers may complain of.
set +o pipefail
exec 3>&2 2>/dev/null
find /usr/share/common-licenses /usr/share/doc -type f \( -name '*copyright*' -o -path '*common-licenses*' \) \
  -not -name '*.gz' -print0 | sort -z | xargs -0 cat | head -c "$limit" > "$corpus/prose"
find /usr/bin /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -size +100k -print0 | sort -z |
  xargs -0 file -N | grep -E 'ELF 64-bit' | cut -d: -f1 | head -n 40 | xargs cat | head -c "$limit" > "$corpus/executables"
find /usr/include -type f -name '*.h' -print0 | sort -z | xargs -0 cat | head -c "$limit" > "$corpus/c_headers"
(cd /usr/share && tar --sort=name --mtime=@0 --owner=0 --group=0 --numeric-owner -cf - doc 2>/dev/null) |
  head -c "$limit" > "$corpus/tar_of_small_files"
exec 2>&3 3>&-
set -o pipefail
"$build/bench/make_corpus" "$corpus"
