#!/usr/bin/env bash
# Installs a build tree into a scratch prefix, as `cmake --install` puts it
# on a system, and checks what lands there: the five programs in bin/, one
# gzip-compressed manual page each in share/man/man1/ that unpacks to its
# source in man/, the licence and the changelog in share/doc/lzstools/,
# liblzs with its header, pkg-config file, CMake package and lzs(3), and
# nothing else (no test, benchmark or fuzz binary, no internal library). Each
# installed program must answer --help from there without touching the
# directory it runs in. Then the library's consumers, built against the
# prefix alone, must write lzspack's bytes: lzs(3)'s example once through
# pkg-config and once through find_package(lzs), and the README's ctypes
# example under python3; the shared library must export its C interface and
# nothing else.
#
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
programs=(apppack appscramble chkpak lzspack lzsunpack)

cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(cd "$prefix" && dirname "$(find . -name 'liblzs.so.1' | sed 's|^\./||')")

expected=$({ for p in "${programs[@]}"; do echo "bin/$p"; done
           echo "share/doc/lzstools/changelog.gz"
           echo "share/doc/lzstools/copyright"
           echo include/lzs.h
           for f in lzsConfig.cmake lzsConfigVersion.cmake lzsTargets-CONFIG.cmake lzsTargets.cmake; do
             echo "$libdir/cmake/lzs/$f"
           done
           for f in liblzs.a liblzs.so liblzs.so.1 liblzs.so.1.0.0 pkgconfig/lzs.pc; do echo "$libdir/$f"; done
           for p in "${programs[@]}"; do echo "share/man/man1/$p.1.gz"; done
           echo share/lintian/overrides/lzstools
           echo share/man/man3/lzs.3.gz; } | LC_ALL=C sort)
installed=$(cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort | sed 's|lzsTargets-[a-z]*\.cmake|lzsTargets-CONFIG.cmake|')
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

library=$prefix/$libdir/liblzs.so.1
exports=$(nm -D --defined-only "$library" | awk '{print $3}' | grep -v '^lzs_' || true)
[[ -z $exports ]] || { echo "liblzs.so.1 exports more than lzs_: $exports"; exit 1; }
[[ $(objdump -p "$library" | awk '$1 == "SONAME" {print $2}') == liblzs.so.1 ]] || {
  echo "liblzs.so.1 has no soname liblzs.so.1"; exit 1; }

# The files both consumers pack: the samples, the installed lzspack (an
# executable) and 1 MiB of C headers, concatenated.
mkdir "$scratch/files"
cp "$source/samples/chkps.txt" "$scratch/files/"
bash "$source/samples/make-sample-app.sh" "$scratch/files/sample_app.bin"
cp "$prefix/bin/lzspack" "$scratch/files/lzspack.bin"
find /usr/include -type f -name '*.h' -print0 | sort -z | xargs -0 cat 2>/dev/null | head -c 1048576 \
  > "$scratch/files/c_headers.txt" || true
files=("$scratch"/files/*)
same_bytes=$source/tests/library/same_bytes_as_lzspack.sh

example=$scratch/example.c
cmake -DPAGE="$source/man/lzs.3" -DOUTPUT="$example" -P "$source/cmake/extract_man_example.cmake"
export LD_LIBRARY_PATH=$prefix/$libdir
# A sanitizer build's library needs its runtime loaded first, before the
# consumers (built without the sanitizers) and python3.
preload=()
if [[ -n ${LZS_SANITIZER_RUNTIME:-} ]]; then
  preload=(env LD_PRELOAD="$LZS_SANITIZER_RUNTIME" ASAN_OPTIONS=detect_leaks=0)
fi
# pkg-config: the flags of the installed lzs.pc, wherever the prefix lies.
flags=$(PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig pkg-config --cflags --libs lzs)
# shellcheck disable=SC2086
cc -std=c99 -Wall -Wextra -Wpedantic -Werror -o "$scratch/pkg_config_consumer" "$example" $flags
"${preload[@]}" bash "$same_bytes" "$scratch/pkg_config_consumer" "$prefix/bin/lzspack" "${files[@]}"

# find_package(lzs CONFIG REQUIRED), target lzs::lzs.
cmake -S "$source/tests/install/consumer" -B "$scratch/cmake_consumer" -DCMAKE_PREFIX_PATH="$prefix" \
  -DEXAMPLE="$example" >"$scratch/cmake.log" 2>&1 || { cat "$scratch/cmake.log"; exit 1; }
cmake --build "$scratch/cmake_consumer" >"$scratch/cmake.log" 2>&1 || { cat "$scratch/cmake.log"; exit 1; }
"${preload[@]}" bash "$same_bytes" "$scratch/cmake_consumer/consumer" "$prefix/bin/lzspack" "${files[@]}"

# The README's ctypes example, as it stands there.
# shellcheck disable=SC2016  # the backquotes are the fence, not an expansion
sed -n '/^```python$/,/^```$/p' "$source/README.md" | sed '1d;$d' > "$scratch/pack.py"
chmod +x "$scratch/pack.py"
LZS_LIBRARY=$library "${preload[@]}" bash "$same_bytes" "$scratch/pack.py" "$prefix/bin/lzspack" "${files[@]}"
