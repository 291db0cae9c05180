#!/usr/bin/env bash
# Builds the Debian package of a build tree with `cpack -G DEB` into a
# scratch directory and checks its control fields and its contents, as
# Debian policy has them: the five programs in /usr/bin, their manual pages
# gzip-compressed, the copyright file and the changelog, liblzs with its
# header, pkg-config file, CMake package and lzs(3), nothing else, all owned
# by root with the usual modes; then lintian's verdict, where lintian is
# installed. Installing it is left to people (dpkg -i needs the machine's
# package database).
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
# A maintainer people can write to: no placeholder domain.
maintainer=$(dpkg-deb -f "$deb" Maintainer)
if [[ $maintainer =~ [@.](example|invalid|test|localhost|noreply)[.\>] ]]; then
  echo "Maintainer: '$maintainer' is a placeholder address"
  exit 1
fi
check_field Depends '*libc6*libstdc++6*'

# Mode, owner and name of every file, in the order of their names.
expected=$({ for p in "${programs[@]}"; do echo "-rwxr-xr-x root/root ./usr/bin/$p"; done
           echo "-rw-r--r-- root/root ./usr/include/lzs.h"
           for f in cmake/lzs/lzsConfig.cmake cmake/lzs/lzsConfigVersion.cmake cmake/lzs/lzsTargets-CONFIG.cmake \
                    cmake/lzs/lzsTargets.cmake liblzs.a; do
             echo "-rw-r--r-- root/root ./usr/lib/$f"
           done
           echo "lrwxrwxrwx root/root ./usr/lib/liblzs.so"
           echo "lrwxrwxrwx root/root ./usr/lib/liblzs.so.1"
           echo "-rw-r--r-- root/root ./usr/lib/liblzs.so.1.0.0"
           echo "-rw-r--r-- root/root ./usr/lib/pkgconfig/lzs.pc"
           echo "-rw-r--r-- root/root ./usr/share/doc/lzstools/changelog.gz"
           echo "-rw-r--r-- root/root ./usr/share/doc/lzstools/copyright"
           echo "-rw-r--r-- root/root ./usr/share/lintian/overrides/lzstools"
           for p in "${programs[@]}"; do echo "-rw-r--r-- root/root ./usr/share/man/man1/$p.1.gz"; done
           echo "-rw-r--r-- root/root ./usr/share/man/man3/lzs.3.gz"; } | LC_ALL=C sort -k 3)
contents=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $1, $2, $6}' | LC_ALL=C sort -k 3 |
           sed 's|lzsTargets-[a-z]*\.cmake|lzsTargets-CONFIG.cmake|')
if [[ $contents != "$expected" ]]; then
  echo "package contents differ from what should be packaged:"
  diff <(echo "$expected") <(echo "$contents") || true
  exit 1
fi

if command -v lintian >/dev/null; then
  if ! lintian --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1; then
    cat "$scratch/lintian.log"
    exit 1
  fi
  echo "lintian: no error or warning"
fi
echo "built $(basename "$deb")"
