#!/usr/bin/env bash
# The test command. Checks that everything it needs is installed (as root it
# installs what is missing; otherwise it names the packages and stops), then
# runs each stage and ends with a summary:
#   - shellcheck: every shell script;
#   - format: the C++ layout (.clang-format);
#   - plain: the plain build (warnings are errors) and all its tests;
#   - tidy: clang-tidy's checks (.clang-tidy) over the programs' sources;
#   - fuzz: each fuzz target for 30 s (clang, libFuzzer);
#   - sanitize: the AddressSanitizer and UndefinedBehaviorSanitizer build
#     (warnings are errors) and all its tests.
# A stage that fails does not stop the others. The last line is
# "N passed, N failed" over every stage's checks; the status is non-zero if
# anything failed.
#
#   bash scripts/test.sh
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
jobs=$(nproc)

# The format stage checks every C++ file against .clang-format; false skips
# it (for a tree that is being reformatted).
check_format=true

# ---------------------------------------------------------------- prerequisites
# Each entry: how to tell it is there ("command NAME" or "package NAME"), and
# the Debian package that provides it.
prerequisites=(
  "command cmake:cmake"
  "command g++:g++"
  "command clang++:clang"
  "command groff:groff-base"              # the manual pages must format cleanly
  "command dpkg-shlibdeps:dpkg-dev"       # the Debian package's dependencies
  "command strace:strace"                 # the durability test reads the syncs' order
  "package libgtest-dev:libgtest-dev"
  "package libclang-rt-14-dev:libclang-rt-14-dev"  # libFuzzer and clang's sanitizers
  "command clang-format:clang-format"
  "command run-clang-tidy:clang-tidy"
  "command shellcheck:shellcheck"
  "command pkg-config:pkg-config"         # the library's installed consumer builds through lzs.pc
  "command python3:python3"               # and the README's ctypes example runs
)
# The Windows cross build and its run under Wine add theirs here.
prerequisites+=("command x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix" "command wine:wine" "package wine64:wine64" "package googletest:googletest")

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
# Each stage sets `passed` and `failed` (its checks) and prints little; its
# full output is kept in build-logs/STAGE.log and shown when it fails.
logs=build-logs
mkdir -p "$logs"
summary=()
total_passed=0
total_failed=0

run_stage() {
  local name=$1 started elapsed
  shift
  passed=0
  failed=0
  skipped=""
  echo "== $name"
  started=$SECONDS
  "$@"
  elapsed=$((SECONDS - started))
  if [[ -n $skipped ]]; then
    summary+=("$(printf '%-10s skipped (%s)' "$name" "$skipped")")
    return
  fi
  summary+=("$(printf '%-10s %5d passed %4d failed %5d s' "$name" "$passed" "$failed" "$elapsed")")
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
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
    if shellcheck "$script"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
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
  fi
}

stage_format() {
  if ! $check_format; then
    skipped="turned on once the tree is formatted"
    return
  fi
  check_files "$logs/format.log" bash scripts/check-format.sh
}

# Builds a preset, then runs its tests: ctest prints the failures only.
build_and_test() {
  local preset=$1 log="$logs/$1.log" line
  if ! quietly "$log" bash -c "cmake --preset $preset && cmake --build --preset $preset -j $jobs"; then
    failed=1
    return
  fi
  ctest --preset "$preset" -j "$jobs" --output-log "$logs/$preset-tests.log" 2>&1 |
    grep -v -E '^ +Start +[0-9]+:|^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed |^Test project |^$'
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$logs/$preset-tests.log" | tail -n 1)
  if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    failed=${BASH_REMATCH[1]}
    passed=$((BASH_REMATCH[2] - failed))
  else
    failed=1
  fi
}

stage_plain() { build_and_test plain; }
stage_sanitize() { build_and_test sanitize; }

stage_tidy() { check_files "$logs/tidy.log" bash scripts/check-tidy.sh build; }

stage_fuzz() {
  local output
  output=$(bash scripts/fuzz.sh 30 2>&1)
  echo "$output"
  passed=$(grep -c ': .* no crash$' <<<"$output")
  failed=$((3 - passed))
}

# The Windows cross build under Wine (scripts/test-windows.sh), after the
# plain build, whose programs it compares with its own.
stage_windows() {
  local output
  output=$(bash scripts/test-windows.sh 2>&1) || failed=1
  if ((failed)); then echo "$output"; else tail -n 1 <<<"$output"; fi
  if [[ $output =~ Windows:\ ([0-9]+)\ tests\ passed ]]; then passed=${BASH_REMATCH[1]}; fi
}

export GTEST_BRIEF=1
run_stage shellcheck stage_shellcheck
run_stage format stage_format
run_stage plain stage_plain
run_stage tidy stage_tidy
run_stage fuzz stage_fuzz
run_stage sanitize stage_sanitize
run_stage windows stage_windows

echo "== summary (logs in $logs/)"
printf '%s\n' "${summary[@]}"
echo "$total_passed passed, $total_failed failed"
((total_failed == 0))
