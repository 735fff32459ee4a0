#!/usr/bin/env bash
# Starts a headless two-monitor X server for trying Orvane by hand and prints
# "DISPLAY PID"; stop it with: kill PID (exactly that process).
#   tests/e2e/x-server.sh [xorg|xvfb] [display-number]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
kind="${1:-xorg}"
n="${2:-}"
if [ -z "$n" ]; then
  for n in $(seq 150 250); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
fi
if [ "$kind" = xorg ]; then
  Xorg ":$n" -config "$here/xorg-dummy-two-monitors.conf" -noreset -nolisten tcp -novtswitch -sharevts \
    -logfile "/tmp/orvane-xorg$n.log" >/dev/null 2>&1 &
else
  Xvfb ":$n" -screen 0 3840x1080x24 +extension RANDR -nolisten tcp -noreset >/dev/null 2>&1 &
fi
pid=$!
for _ in $(seq 2000); do
  DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break
  kill -0 "$pid" 2>/dev/null || { echo "X server on :$n did not start" >&2; exit 1; }
  sleep 0.01
done
if [ "$kind" != xorg ]; then
  DISPLAY=":$n" xrandr --setmonitor '*LEFT' 1920/508x1080/286+0+0 screen >/dev/null
  DISPLAY=":$n" xrandr --setmonitor RIGHT 1920/508x1080/286+1920+0 none >/dev/null
fi
echo ":$n $pid"
