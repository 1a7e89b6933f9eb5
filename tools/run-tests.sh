#!/usr/bin/env bash
# Every test of Plumo, from a fresh Debian machine:
#   1. tools/setup.sh installs the packages;
#   2. the `debug` preset: the native build, the unit, layer, font, rendering,
#      soak and memcheck tests, the end-to-end tests of the native program,
#      the Windows cross build and its end-to-end tests under Wine on Xvfb;
#   3. the `asan` preset: unit, layer and font tests under the address,
#      undefined-behaviour and leak sanitizers;
#   4. the `fuzz` preset: a bounded libFuzzer run of the message fuzzer.
# Presets can be named instead: tools/run-tests.sh debug.
#
# The first preset is built, then tested. Its tests mostly wait on X
# servers, Wine and the clock, so meanwhile the later presets are configured
# and built in the background on the CPU they leave idle, at idle priority
# (SCHED_IDLE and the idle I/O class): a test that is ready to run always
# gets the CPU first. Once those tests are over, the background goes back to
# normal priority. The later presets' tests follow in order, except the fuzz
# test, a fixed number of inputs with nothing timed, which runs in the
# background too. The background's output is in
# build/run-tests/background.log, and is printed once it is done.
#
# Each preset is configured, built and tested even when an earlier one failed;
# the exit status is non-zero if any step failed.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=${PLUMO_JOBS:-2}
# Tests that may run in the background beside another preset's.
background_tests=(fuzz)

bash "$root/tools/setup.sh" tests
setup_seconds=$SECONDS

# What each step found, in files, since the background steps run in a
# process of their own: <preset>.summary, failed, <preset>.built.
state=$root/build/run-tests
rm -rf "$state"
mkdir -p "$state"

# note PRESET LINE: a line of the summary, under that preset.
note() { echo "$2" >>"$state/$1.summary"; }
fail() { echo "FAILED: $*" >>"$state/failed"; }

# Configures and builds one preset; true when it can be tested.
build_preset() {
  local preset=$1 started=$SECONDS configured
  echo "=== $preset: configure" >&2
  if ! cmake --preset "$preset"; then
    fail "$preset: configure"
    return 1
  fi
  configured=$SECONDS
  echo "=== $preset: build" >&2
  # Keep going past a target that fails, so that the tests of every other
  # target still run and say what works.
  local keep_going=()
  case $(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "build/$preset/CMakeCache.txt" 2>/dev/null) in
    "Unix Makefiles") keep_going=(-- -k) ;;
    Ninja*) keep_going=(-- -k 0) ;;
  esac
  if ! cmake --build --preset "$preset" --parallel "$jobs" "${keep_going[@]}"; then
    fail "$preset: build"
  fi
  note "$preset" "$preset: configure $((configured - started)) s, build $((SECONDS - configured)) s"
}

# Tests one preset; keeps ctest's closing lines.
test_preset() {
  local preset=$1 started=$SECONDS log
  echo "=== $preset: test" >&2
  log=$(mktemp)
  # A test without a TIMEOUT of its own gets 5 minutes, not ctest's 25.
  if ! ctest --preset "$preset" --parallel "$jobs" --timeout 300 2>&1 | tee "$log"; then
    fail "$preset: tests"
  fi
  # "100% tests passed, 0 tests failed out of 42" and "Total Test time".
  local counts times
  counts=$(grep -E 'tests passed|tests failed out of' "$log" | tail -n 1 || true)
  times=$(grep -E 'Total Test time' "$log" | tail -n 1 || true)
  note "$preset" "$preset: ${counts:-no ctest summary}"
  note "$preset" "$preset: ${times:-}"
  note "$preset" "$preset: test $((SECONDS - started)) s"
  rm -f "$log"
}

# The background's processes back at normal priority, once no timed test
# runs: otherwise, on a machine busy with other work, they would only get
# what that work leaves. (Unprivileged, the kernel may refuse; they then
# stay idle.)
descendants() {
  local child
  for child in $(pgrep -P "$1" || true); do
    echo "$child"
    descendants "$child"
  done
}
renormalise() {
  local pid _
  for _ in 1 2; do  # twice, for what was forked meanwhile
    for pid in "$1" $(descendants "$1"); do
      chrt --other --all-tasks -p 0 "$pid" >/dev/null 2>&1 || true
      ionice -c 2 -n 4 -p "$pid" >/dev/null 2>&1 || true
    done
  done
}

in_background_tests() {
  local name
  for name in "${background_tests[@]}"; do [[ $name == "$1" ]] && return 0; done
  return 1
}

presets=("$@")
((${#presets[@]})) || presets=(debug asan fuzz)
first=${presets[0]}
later=("${presets[@]:1}")

first_built=0
build_preset "$first" && first_built=1

background=
if ((${#later[@]})); then
  echo "=== ${later[*]}: configure and build in the background ($state/background.log)" >&2
  (
    chrt --idle -p 0 "$BASHPID" >/dev/null
    ionice -c 3 -p "$BASHPID"
    for preset in "${later[@]}"; do
      if build_preset "$preset" && in_background_tests "$preset"; then
        touch "$state/$preset.built"
        test_preset "$preset"
      fi
      touch "$state/$preset.built"
    done
  ) >"$state/background.log" 2>&1 &
  background=$!
fi

((first_built)) && test_preset "$first"
[[ -z $background ]] || renormalise "$background"

for preset in "${later[@]}"; do
  in_background_tests "$preset" && continue
  while [[ ! -e $state/$preset.built ]] && kill -0 "$background" 2>/dev/null; do
    sleep 1
  done
  [[ -e $state/$preset.built ]] || continue
  grep -q "^FAILED: $preset: configure" "$state/failed" 2>/dev/null || test_preset "$preset"
done

if [[ -n $background ]]; then
  wait "$background" || fail "the background steps"
  echo "=== the background's output (${later[*]})"
  cat "$state/background.log"
fi

echo
echo "=== summary (${SECONDS} s)"
echo "setup: $setup_seconds s"
for preset in "${presets[@]}"; do
  [[ -e $state/$preset.summary ]] && cat "$state/$preset.summary"
done
if [[ -s $state/failed ]]; then
  cat "$state/failed"
  exit 1
fi
echo "all presets passed"
