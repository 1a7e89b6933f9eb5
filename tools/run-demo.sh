#!/usr/bin/env bash
# Builds and runs the Plumo demo, from a fresh Debian machine.
#
#   tools/run-demo.sh              the native build if it builds, else plumo.exe under Wine
#   tools/run-demo.sh --wine       always the Windows build under Wine
#   tools/run-demo.sh --seconds N  press Escape after N seconds
#
# It shows on $DISPLAY. Without one it starts a private Xvfb (640x480x16) and
# says so; screenshots can then be taken with `DISPLAY=:N import -window root
# shot.png`. Escape ends the demo; so does Ctrl-C here.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=${PLUMO_JOBS:-2}

use_wine=0
seconds=
while (($#)); do
  case $1 in
    --wine) use_wine=1 ;;
    --seconds) seconds=${2:?--seconds needs a number}; shift ;;
    -h | --help) sed -n '2,11s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) echo "run-demo: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
  shift
done

say() { echo "run-demo: $*" >&2; }

# Only what building and showing this program needs; `tools/setup.sh tests`
# adds Chromium, Emscripten, the desktops and the packaging tools.
if ((use_wine)); then
  bash "$root/tools/setup.sh" wine
else
  bash "$root/tools/setup.sh" demo
fi

# --- what to run
command=()
if ((!use_wine)); then
  log=$root/build/run-demo-native.log
  mkdir -p "$root/build"
  native=
  if cmake --preset release >"$log" 2>&1 &&
     cmake --build --preset release --target plumo --parallel "$jobs" >>"$log" 2>&1; then
    # The target lives beside the native layer's sources.
    native=$(find "$root/build/release" -type f -name plumo -perm -u+x -print -quit)
  fi
  if [[ -n $native ]]; then
    command=("$native")
  else
    say "the native build is not ready (see $log); using the Windows build under Wine"
    use_wine=1
    bash "$root/tools/setup.sh" wine
  fi
fi
if ((use_wine)); then
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target plumo --parallel "$jobs"
  command=(wine "$root/build/windows/plumo.exe")
fi

# --- where to show it
demo_pid=
wine_env=()
# shellcheck disable=SC2317  # run by the EXIT trap
cleanup() {
  if [[ -n $demo_pid ]] && kill -0 "$demo_pid" 2>/dev/null; then
    kill -TERM "$demo_pid" 2>/dev/null || true
  fi
  if ((use_wine)) && ((${#wine_env[@]})); then
    env "${wine_env[@]}" wineserver -k 2>/dev/null || true
  fi
  # The private Xvfb stops when its helper's standard input closes.
  if [[ -n ${XVFB_PID:-} ]]; then
    exec {XVFB[1]}>&-
    wait "$XVFB_PID" 2>/dev/null || true
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

headless=0
if [[ -z ${DISPLAY:-} ]]; then
  coproc XVFB { python3 "$root/tests/services/private_xvfb.py" --screen 640x480x16; }
  read -r display <&"${XVFB[0]}" || true
  [[ $display == :* ]] || { say "Xvfb did not start"; exit 1; }
  export DISPLAY=$display
  headless=1
  say "no DISPLAY: started Xvfb 640x480x16 on $DISPLAY (Ctrl-C or --seconds N to stop)"
fi

# --- Wine's prefix lives in the build tree
if ((use_wine)); then
  prefix=$root/build/wineprefix-demo
  # On a desktop Wine leaves the windows to its window manager; on the private
  # Xvfb there is none to wait for.
  managed=(--managed)
  ((headless)) && managed=()
  say "preparing the Wine prefix $prefix"
  python3 "$root/tests/services/wine_prefix.py" "$prefix" --display "$DISPLAY" "${managed[@]}"
  wine_env=(WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=")
  export "${wine_env[@]}"
fi

# --- run
say "running ${command[*]}"
"${command[@]}" &
demo_pid=$!
if [[ -n $seconds ]]; then
  sleep "$seconds"
  if window=$(xdotool search --onlyvisible --name '^Plumo$' | head -n 1) && [[ -n $window ]]; then
    xdotool windowfocus "$window" key Escape
  else
    say "no Plumo window to send Escape to"
  fi
fi
status=0
wait "$demo_pid" || status=$?
say "plumo exited with status $status"
exit "$status"
