#!/usr/bin/env bash
# Installs a build tree into a scratch prefix, as `cmake --install` puts it
# on a system, and checks what lands there: the five programs in bin/, one
# gzip-compressed manual page each in share/man/man1/ that unpacks to its
# source in man/, the licence and the changelog in share/doc/lzstools/, and
# nothing else (no test, benchmark or fuzz binary, no library). Each
# installed program must answer --help from there without touching the
# directory it runs in.
#
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
source=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
programs=(apppack appscramble chkpak lzspack lzsunpack)

cmake --install "$build" --prefix "$prefix" >/dev/null

expected=$(for p in "${programs[@]}"; do echo "bin/$p"; done
           echo "share/doc/lzstools/changelog.gz"
           echo "share/doc/lzstools/copyright"
           for p in "${programs[@]}"; do echo "share/man/man1/$p.1.gz"; done)
installed=$(cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
if [[ $installed != "$expected" ]]; then
  echo "installed files differ from what should be installed:"
  diff <(echo "$expected") <(echo "$installed") || true
  exit 1
fi
for p in "${programs[@]}"; do
  gzip -dc "$prefix/share/man/man1/$p.1.gz" | cmp - "$source/man/$p.1" ||
    { echo "share/man/man1/$p.1.gz is not man/$p.1"; exit 1; }
done
grep -q "^License: Expat$" "$prefix/share/doc/lzstools/copyright" ||
  { echo "share/doc/lzstools/copyright names no licence"; exit 1; }

mkdir "$scratch/run"
cd "$scratch/run"
for p in "${programs[@]}"; do
  out=$("$prefix/bin/$p" --help) || { echo "$p --help: status $?"; exit 1; }
  if [[ $out != "Usage: $prefix/bin/$p"* ]]; then
    echo "$p --help printed: $out"
    exit 1
  fi
done
if [[ -n $(ls -A) ]]; then
  echo "--help left files behind: $(ls -A)"
  exit 1
fi
echo "installed and answered --help: ${programs[*]}"
