#!/usr/bin/env bash
# Builds the Debian package of a build tree with `cpack -G DEB` into a
# scratch directory and checks its control fields and its contents: the five
# programs in /usr/bin and their manual pages, liblzs with its header,
# pkg-config file, CMake package and lzs(3), nothing else. Installing it is
# left to people (dpkg -i needs the machine's package database).
#
# Usage: package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
programs=(apppack appscramble chkpak lzspack lzsunpack)

if ! cpack -G DEB -B "$scratch" --config "$build/CPackConfig.cmake" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  exit 1
fi
deb=$scratch/lzstools_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || { echo "no package $deb"; ls "$scratch"; exit 1; }

check_field() {
  local value
  value=$(dpkg-deb -f "$deb" "$1")
  # $2 is a pattern.
  # shellcheck disable=SC2053
  [[ $value == $2 ]] || { echo "$1: '$value', expected '$2'"; exit 1; }
}
check_field Package lzstools
check_field Version "$version"
check_field Maintainer '*<*@*>'
check_field Depends '*libc6*libstdc++6*'

expected=$(for p in "${programs[@]}"; do echo "./usr/bin/$p"; done
           echo ./usr/include/lzs.h
           for f in cmake/lzs/lzsConfig.cmake cmake/lzs/lzsConfigVersion.cmake cmake/lzs/lzsTargets-CONFIG.cmake \
                    cmake/lzs/lzsTargets.cmake liblzs.a liblzs.so liblzs.so.1 liblzs.so.1.0.0 pkgconfig/lzs.pc; do
             echo "./usr/lib/$f"
           done
           for p in "${programs[@]}"; do echo "./usr/share/man/man1/$p.1"; done
           echo ./usr/share/man/man3/lzs.3)
contents=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | LC_ALL=C sort |
           sed 's|lzsTargets-[a-z]*\.cmake|lzsTargets-CONFIG.cmake|')
if [[ $contents != "$expected" ]]; then
  echo "package contents differ from what should be packaged:"
  diff <(echo "$expected") <(echo "$contents") || true
  exit 1
fi
echo "built $(basename "$deb")"
