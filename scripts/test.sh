#!/usr/bin/env bash
# The test command. Checks that everything it needs is installed (as root it
# installs what is missing; otherwise it names the packages and stops), then
# runs each stage and ends with a summary:
#   - shellcheck: every shell script;
#   - format: the C++ layout (.clang-format);
#   - plain: the plain build (warnings are errors) and all its tests;
#   - tidy: clang-tidy's checks (.clang-tidy) over the programs' sources;
#   - loader: loader/ built freestanding for x86-64, 32-bit x86 and Thumb-2
#     (warnings are errors) and its vectors run on the x86 builds;
#   - fuzz: each fuzz target for 30 s (clang, libFuzzer);
#   - sanitize: the AddressSanitizer and UndefinedBehaviorSanitizer build
#     (warnings are errors) and all its tests.
# A stage that fails does not stop the others, and names the command that
# reruns what failed alone. The summary gives each stage's count (tests, or
# the files it checked), the totals of tests and of checked files apart, and
# a last line "N passed, N failed" (", N skipped" when tests were skipped)
# over both, which CI reads; the status is non-zero if anything failed.
#
# --quick runs the plain stage alone, for the edit-and-test loop.
#
#   bash scripts/test.sh [--quick]
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
jobs=$(nproc)

quick=false
case ${1-} in
  "") ;;
  --quick) quick=true ;;
  *)
    echo "Usage: bash scripts/test.sh [--quick]"
    exit 2
    ;;
esac

# The format stage checks every C++ file against .clang-format; false skips
# it (for a tree that is being reformatted).
check_format=true

# ---------------------------------------------------------------- prerequisites
# Each entry: how to tell it is there ("command NAME" or "package NAME"), and
# the Debian package that provides it. First what the plain build and its
# tests need (all --quick needs), then the other stages'.
prerequisites=(
  "command cmake:cmake"
  "command g++:g++"
  "command groff:groff-base"              # the manual pages must format cleanly
  "command dpkg-shlibdeps:dpkg-dev"       # the Debian package's dependencies
  "command strace:strace"                 # the durability test reads the syncs' order
  "command lintian:lintian"               # the Debian package's check
  "package libgtest-dev:libgtest-dev"
  "command xmllint:libxml2-utils"         # lzsunpack's cost-map picture must be well formed
  "command rsvg-convert:librsvg2-bin"     # ... and render at its size
  "command python3:python3"               # lzsunpack --json must parse
  "command pkg-config:pkg-config"         # the library's installed consumer builds through lzs.pc
)
if ! $quick; then
  prerequisites+=(
    "command clang++:clang"
    "package libclang-rt-14-dev:libclang-rt-14-dev"  # libFuzzer and clang's sanitizers
    "command clang-format:clang-format"
    "command run-clang-tidy:clang-tidy"
    "command shellcheck:shellcheck"
    "package gcc-multilib:gcc-multilib"            # loader/ for 32-bit x86
    "command qemu-i386:qemu-user"                  # ... and its vectors where the kernel runs no 32-bit programs
    "command arm-none-eabi-gcc:gcc-arm-none-eabi"  # loader/ for Thumb-2
  )
  # The Windows cross build and its run under Wine add theirs here.
  prerequisites+=("command x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix" "command wine:wine" "package wine64:wine64" "package googletest:googletest")
fi

missing=()
for entry in "${prerequisites[@]}"; do
  probe=${entry%%:*}
  package=${entry#*:}
  case $probe in
    command\ *) command -v "${probe#command }" >/dev/null 2>&1 ;;
    package\ *) dpkg -s "${probe#package }" >/dev/null 2>&1 ;;
  esac || missing+=("$package")
done
if ((${#missing[@]})); then
  if ((EUID == 0)); then
    echo "== installing ${missing[*]}"
    if ! { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"; } >/dev/null; then
      echo "apt-get could not install ${missing[*]}"
      exit 1
    fi
  else
    for package in "${missing[@]}"; do echo "missing: $package"; done
    echo "Install them with:"
    echo "  sudo apt-get install ${missing[*]}"
    exit 1
  fi
fi

# ----------------------------------------------------------------------- stages
# Each stage counts its checks in `passed`, `failed` and `skipped`, adds to
# `reruns` the commands that rerun what failed alone, may add a `note` to its
# summary line, and prints little; its full output is kept in
# build-logs/STAGE.log and shown when it fails. A stage counts either tests
# or the files it checked (run_stage's second argument), and the totals keep
# the two apart.
logs=build-logs
mkdir -p "$logs"
summary=()
declare -A total_passed=([tests]=0 [files]=0) total_failed=([tests]=0 [files]=0)
total_skipped=0

# run_stage NAME tests|files UNIT FUNCTION: UNIT names what is counted.
run_stage() {
  local name=$1 kind=$2 unit=$3 started elapsed rerun skips=""
  shift 3
  passed=0
  failed=0
  skipped=0
  note=""
  turned_off=""
  reruns=()
  echo "== $name"
  started=$SECONDS
  "$@"
  elapsed=$((SECONDS - started))
  if [[ -n $turned_off ]]; then
    summary+=("$(printf '%-10s skipped (%s)' "$name" "$turned_off")")
    return
  fi
  if ((failed)); then
    for rerun in "${reruns[@]}"; do echo "rerun: $rerun"; done
  fi
  if [[ $kind == tests ]]; then skips=$(printf '%4d skipped' "$skipped"); fi
  summary+=("$(printf '%-10s %5d %-7s passed %4d failed %12s %5d s%s' \
    "$name" "$passed" "$unit" "$failed" "$skips" "$elapsed" "${note:+  $note}")")
  total_passed[$kind]=$((total_passed[$kind] + passed))
  total_failed[$kind]=$((total_failed[$kind] + failed))
  total_skipped=$((total_skipped + skipped))
}

# Runs a command with its output to the stage's log; on failure shows the
# log's last lines.
quietly() {
  local log=$1
  shift
  if ! "$@" >"$log" 2>&1; then
    echo "failed: $* (log: $log)"
    tail -n 60 "$log"
    return 1
  fi
}

stage_shellcheck() {
  local script
  while IFS= read -r script; do
    if shellcheck "$script"; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      reruns+=("shellcheck $script")
    fi
  done < <(git ls-files '*.sh' .ci/run)
}

# The checks that look at the files: the count is the files checked.
check_files() {
  local log=$1
  shift
  if quietly "$log" "$@"; then
    passed=$(sed -n 's/^\([0-9]*\) files$/\1/p' "$log")
  else
    failed=1
    reruns+=("$*")
  fi
}

stage_format() {
  if ! $check_format; then
    turned_off="turned on once the tree is formatted"
    return
  fi
  check_files "$logs/format.log" bash scripts/check-format.sh
}

# A quoted regular expression that matches exactly the test NAME (test
# names hold letters, digits, '_', '/', '-' and dots).
exact_pattern() { printf "'^%s\$'" "${1//./\\.}"; }

# Builds a preset, then runs its tests: ctest prints the failures only, and
# each failed test gets the ctest command that reruns it alone.
build_and_test() {
  local preset=$1 log="$logs/$1.log" tests_log="$logs/$1-tests.log" line name
  if ! quietly "$log" bash -c "cmake --preset $preset && cmake --build --preset $preset -j $jobs"; then
    failed=1
    reruns+=("cmake --preset $preset && cmake --build --preset $preset -j $jobs")
    return
  fi
  ctest --preset "$preset" -j "$jobs" --output-log "$tests_log" 2>&1 |
    grep -v -E '^ +Start +[0-9]+:|^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed |^Test project |^$'
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$tests_log" | tail -n 1)
  if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    failed=${BASH_REMATCH[1]}
    skipped=$(grep -c -E '^[[:space:]]*[0-9]+ - .* \((Skipped|Disabled)\)$' "$tests_log")
    passed=$((BASH_REMATCH[2] - failed - skipped))
  else
    failed=1
    reruns+=("ctest --preset $preset --output-on-failure")
    return
  fi
  # ctest lists the failed tests after "The following tests FAILED:".
  while IFS= read -r name; do
    reruns+=("ctest --preset $preset -R $(exact_pattern "$name") --output-on-failure")
  done < <(sed -n '/^The following tests FAILED:/,$s/^[[:space:]]*[0-9]* - \(.*\) ([^)]*)$/\1/p' "$tests_log")
}

stage_plain() { build_and_test plain; }
stage_sanitize() { build_and_test sanitize; }

stage_tidy() { check_files "$logs/tidy.log" bash scripts/check-tidy.sh build; }

# loader/ freestanding for its three targets (scripts/check-loader.sh).
stage_loader() {
  local output
  output=$(bash scripts/check-loader.sh 2>&1)
  grep -v -E '^ok: |^[0-9]+ passed, [0-9]+ failed$' <<<"$output"
  if [[ $output =~ ([0-9]+)\ passed,\ ([0-9]+)\ failed ]]; then
    passed=${BASH_REMATCH[1]}
    failed=${BASH_REMATCH[2]}
  else
    failed=1
  fi
  skipped=$(grep -c '^skipped: ' <<<"$output")
  if ((failed)); then reruns+=("bash scripts/check-loader.sh"); fi
}

# Each target in fuzz/ (NAME_fuzzer.cpp) for 30 s; scripts/fuzz.sh prints a
# line per target, with its runs, and how to replay an input that crashed it.
stage_fuzz() {
  local output targets runs
  targets=(fuzz/*_fuzzer.cpp)
  output=$(bash scripts/fuzz.sh 30 2>&1)
  grep -v '^replay: ' <<<"$output"
  passed=$(grep -c ': .* no crash$' <<<"$output")
  failed=$((${#targets[@]} - passed))
  runs=$(sed -n 's/^\([a-z0-9_]*\)_fuzzer: \([0-9?]*\) runs .*/\1 \2/p' <<<"$output" | paste -sd, - | sed 's/,/, /g')
  note=${runs:+runs: $runs}
  mapfile -t -O "${#reruns[@]}" reruns < <(sed -n 's/^replay: //p' <<<"$output")
  if ((failed)) && ((${#reruns[@]} == 0)); then reruns+=("bash scripts/fuzz.sh 30"); fi
}

# The Windows cross build under Wine (scripts/test-windows.sh), after the
# plain build, whose programs it compares with its own.
stage_windows() {
  local output
  output=$(bash scripts/test-windows.sh 2>&1) || failed=1
  if ((failed)); then grep -v '^rerun: ' <<<"$output"; else tail -n 1 <<<"$output"; fi
  if [[ $output =~ Windows:\ ([0-9]+)\ tests\ passed ]]; then passed=${BASH_REMATCH[1]}; fi
  if [[ $output =~ passed,\ ([0-9]+)\ skipped ]]; then skipped=${BASH_REMATCH[1]}; fi
  mapfile -t -O "${#reruns[@]}" reruns < <(sed -n 's/^rerun: //p' <<<"$output")
  if ((failed)) && ((${#reruns[@]} == 0)); then reruns+=("bash scripts/test-windows.sh"); fi
}

export GTEST_BRIEF=1
if $quick; then
  run_stage plain tests tests stage_plain
else
  run_stage shellcheck files scripts stage_shellcheck
  run_stage format files files stage_format
  run_stage plain tests tests stage_plain
  run_stage tidy files files stage_tidy
  run_stage loader tests checks stage_loader
  run_stage fuzz tests targets stage_fuzz
  run_stage sanitize tests tests stage_sanitize
  run_stage windows tests tests stage_windows
fi

all_passed=$((total_passed[tests] + total_passed[files]))
all_failed=$((total_failed[tests] + total_failed[files]))
echo "== summary (logs in $logs/)"
printf '%s\n' "${summary[@]}"
printf 'tests: %d passed, %d failed, %d skipped; checked files: %d passed, %d failed\n' \
  "${total_passed[tests]}" "${total_failed[tests]}" "$total_skipped" "${total_passed[files]}" "${total_failed[files]}"
if ((total_skipped)); then
  echo "$all_passed passed, $all_failed failed, $total_skipped skipped"
else
  echo "$all_passed passed, $all_failed failed"
fi
((all_failed == 0))
