#!/usr/bin/env bash
# Builds the benchmark corpus in DIR from files already on the machine and
# the generated inputs of BUILD/bench/make_corpus (whatever it writes):
#   prose               licence texts, concatenated
#   executable          the largest ELF program in /usr/bin of at most 4 MiB, whole
#   shared_library      the first 4 MiB of the largest shared library in /usr/lib/x86_64-linux-gnu
#   tar_of_small_files  a tar of /usr/share/doc (thousands of small files)
#   tar_of_usr_include  a tar of /usr/include
# each at most 4 MiB, chosen and ordered by name (and size) so that one
# machine always builds the same corpus.
#
#   bash bench/build_corpus.sh BUILD DIR
set -euo pipefail
build=$1
corpus=$2
limit=$((4 * 1024 * 1024))  # bytes per real-file corpus entry
mkdir -p "$corpus"

# The largest regular file among the NUL-separated names on standard input
# whose `file` description matches PATTERN; ties go to the first name.
largest() {  # pattern
  xargs -0 file -N | grep -E "$1" | cut -d: -f1 | tr '\n' '\0' |
    xargs -0 stat -c '%s %n' | sort -k1,1nr -k2 | head -n 1 | cut -d' ' -f2-
}

# A tar of PARENT/DIR with the same bytes on every run.
tar_of() {  # parent dir
  (cd "$1" && tar --sort=name --mtime=@0 --owner=0 --group=0 --numeric-owner -cf - "$2" 2>/dev/null)
}

# `head` cuts each pipe short, which its writers may complain of.
set +o pipefail
exec 3>&2 2>/dev/null
executable=$(find /usr/bin -maxdepth 1 -type f -size -$((limit / 1024 + 1))k -print0 | sort -z |
  largest 'ELF 64-bit .*executable')
library=$(find /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -name 'lib*.so*' -print0 | sort -z |
  largest 'ELF 64-bit .*shared object')
find /usr/share/common-licenses /usr/share/doc -type f \( -name '*copyright*' -o -path '*common-licenses*' \) \
  -not -name '*.gz' -print0 | sort -z | xargs -0 cat | head -c "$limit" > "$corpus/prose"
tar_of /usr/share doc | head -c "$limit" > "$corpus/tar_of_small_files"
tar_of /usr include | head -c "$limit" > "$corpus/tar_of_usr_include"
exec 2>&3 3>&-
set -o pipefail
[[ -n $executable && -n $library ]] || { echo "build_corpus.sh: no ELF program or shared library found" >&2; exit 1; }
cat "$executable" > "$corpus/executable"
head -c "$limit" "$library" > "$corpus/shared_library"
"$build/bench/make_corpus" "$corpus"
echo "corpus: executable is $executable, shared_library is the first 4 MiB of $library" >&2
