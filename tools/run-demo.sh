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

bash "$root/tools/setup.sh"

say() { echo "run-demo: $*" >&2; }

# --- what to run
command=()
if ((!use_wine)); then
  log=$root/build/run-demo-native.log
  mkdir -p "$root/build"
  native=
  if cmake --preset release >"$log" 2>&1 &&
     cmake --build --preset release --parallel "$jobs" >>"$log" 2>&1; then
    # The target lives beside the native layer's sources.
    native=$(find "$root/build/release" -type f -name plumo -perm -u+x -print -quit)
  fi
  if [[ -n $native ]]; then
    command=("$native")
  else
    say "the native build is not ready (see $log); using the Windows build under Wine"
    use_wine=1
  fi
fi
if ((use_wine)); then
  cmake --preset windows >/dev/null
  cmake --build --preset windows --parallel "$jobs"
  command=(wine "$root/build/windows/plumo.exe")
fi

# --- where to show it
xvfb_pid=
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
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

headless=0
if [[ -z ${DISPLAY:-} ]]; then
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 640x480x16 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [[ -s $display_file ]] && break
    sleep 0.1
  done
  number=$(tr -d '[:space:]' <"$display_file")
  rm -f "$display_file"
  [[ -n $number ]] || { say "Xvfb did not start"; exit 1; }
  export DISPLAY=:$number
  headless=1
  say "no DISPLAY: started Xvfb 640x480x16 on $DISPLAY (Ctrl-C or --seconds N to stop)"
fi

# --- Wine's prefix lives in the build tree
if ((use_wine)); then
  prefix=$root/build/wineprefix-demo
  wine_env=(WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=")
  export "${wine_env[@]}"
  if [[ ! -f $prefix/system.reg ]]; then
    say "preparing the Wine prefix $prefix (once)"
    wineboot --init >/dev/null 2>&1
  fi
  # Without a window manager (a bare Xvfb) Wine must not wait for one.
  managed=Y
  ((headless)) && managed=N
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1
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
