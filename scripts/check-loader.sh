#!/usr/bin/env bash
# Builds loader/ freestanding (-ffreestanding -nostdlib) for x86-64,
# 32-bit x86 and Cortex-M3 Thumb-2, as C99 and as C++ (the tree's flags),
# warnings as errors, twice: for size (-Os: the checked decoder's token loop
# alone) and for speed (-O2: its group loop too); links each build's
# objects with nothing else, so that a call to the C library (even one the
# compiler made up, such as memcpy) fails; and runs the hand-made vectors
# (tests/loader/) against the x86 objects. One line per check, then
# "N passed, N failed".
#
#   bash scripts/check-loader.sh
#
# On a machine whose kernel cannot run 32-bit programs the 32-bit vectors
# run under qemu-i386 (Debian's qemu-user), or, without it, are built and
# said not to have run, and why.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
out=build-loader
mkdir -p "$out"
warnings=(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Werror)
freestanding=(-ffreestanding -nostdlib)
sources=(loader/lzs_checked.c loader/lzs_feed.c loader/lzs_trusted.c)
passed=0
failed=0

check() {
  local what=$1 log
  shift
  log="$out/$(tr -c 'a-zA-Z0-9-' '_' <<<"$what").log"
  if "$@" >"$log" 2>&1; then
    passed=$((passed + 1))
    echo "ok: $what"
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
    cat "$log"
  fi
}

# Compiles every decoder into $out/TARGET/, then links them alone.
build_target() {
  local target=$1 cc=$2 cxx=$3 flags=$4 source objects=()
  # shellcheck disable=SC2206  # the flags are words
  local arch=($flags)
  if [[ $target == *-fast ]]; then arch+=(-O2); else arch+=(-Os); fi
  mkdir -p "$out/$target"
  for source in "${sources[@]}"; do
    local name
    name=$(basename "$source" .c)
    objects+=("$out/$target/$name.o")
    check "$target: $name as C99" "$cc" -std=c99 "${arch[@]}" "${freestanding[@]}" "${warnings[@]}" \
      -c "$source" -o "$out/$target/$name.o"
    check "$target: $name as C++" "$cxx" -x c++ -std=c++20 "${arch[@]}" "${freestanding[@]}" "${warnings[@]}" \
      -c "$source" -o "$out/$target/$name-cxx.o"
  done
  check "$target: links with nothing but itself" "$cc" "${arch[@]}" -nostdlib -static \
    -Wl,--entry=lzs_decode "${objects[@]}" -o "$out/$target/loader.elf"
}

# The vectors, hosted, against the freestanding objects of `target`.
run_vectors() {
  local target=$1 flags=$2
  # shellcheck disable=SC2206
  local arch=($flags)
  check "$target: vectors build" gcc -std=c99 "${arch[@]}" "${warnings[@]}" -I. tests/loader/loader_vectors.c \
    "$out/$target"/lzs_checked.o "$out/$target"/lzs_feed.o "$out/$target"/lzs_trusted.o \
    -o "$out/$target/loader_vectors"
  [[ -x $out/$target/loader_vectors ]] || return
  local refusal runner=()
  refusal=$("$out/$target/loader_vectors" 2>&1 >/dev/null)
  if (($? == 126)); then
    if [[ $target == x86-32* ]] && command -v qemu-i386 >/dev/null; then
      runner=(qemu-i386)
    else
      echo "skipped: $target: vectors (this kernel cannot run ${target%-fast} programs: ${refusal##*: })"
      return
    fi
  fi
  check "$target: vectors pass${runner:+ under ${runner[*]}}" "${runner[@]}" "$out/$target/loader_vectors"
}

for speed in "" -fast; do
  build_target "x86-64$speed" gcc g++ "-m64"
  build_target "x86-32$speed" gcc g++ "-m32"
  build_target "thumb2$speed" arm-none-eabi-gcc arm-none-eabi-g++ "-mthumb -mcpu=cortex-m3"
  run_vectors "x86-64$speed" "-m64"
  run_vectors "x86-32$speed" "-m32"
done
echo "$passed passed, $failed failed"
((failed == 0))
