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
# Each preset is configured, built and tested even when an earlier one failed;
# the exit status is non-zero if any step failed.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=${PLUMO_JOBS:-2}

bash "$root/tools/setup.sh" tests
summaries=("setup: ${SECONDS} s")

failed=()

# Runs one preset: configure, build, test. Keeps ctest's closing lines and
# how long each step took.
run_preset() {
  local preset=$1 started=$SECONDS log configured built
  echo "=== $preset: configure" >&2
  if ! cmake --preset "$preset"; then
    failed+=("$preset: configure")
    return
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
    failed+=("$preset: build")
  fi
  built=$SECONDS
  echo "=== $preset: test" >&2
  log=$(mktemp)
  # A test without a TIMEOUT of its own gets 5 minutes, not ctest's 25.
  if ! ctest --preset "$preset" --parallel "$jobs" --timeout 300 2>&1 | tee "$log"; then
    failed+=("$preset: tests")
  fi
  # "100% tests passed, 0 tests failed out of 42" and "Total Test time".
  local counts times
  counts=$(grep -E 'tests passed|tests failed out of' "$log" | tail -n 1 || true)
  times=$(grep -E 'Total Test time' "$log" | tail -n 1 || true)
  summaries+=("$preset: ${counts:-no ctest summary}" "$preset: ${times:-}"
              "$preset: configure $((configured - started)) s, build $((built - configured)) s, test $((SECONDS - built)) s")
  rm -f "$log"
  echo "=== $preset: $((SECONDS - started)) s" >&2
}

presets=("$@")
((${#presets[@]})) || presets=(debug asan fuzz)
for preset in "${presets[@]}"; do
  run_preset "$preset"
done

echo
echo "=== summary (${SECONDS} s)"
for line in "${summaries[@]}"; do
  echo "$line"
done
if ((${#failed[@]})); then
  for step in "${failed[@]}"; do
    echo "FAILED: $step"
  done
  exit 1
fi
echo "all presets passed"
