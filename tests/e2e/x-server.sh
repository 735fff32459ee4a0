#!/usr/bin/env bash
# Starts the tests' headless two-monitor Xorg server for trying Orvane by hand
# and prints "DISPLAY PID"; stop it with: kill PID (exactly that process).
#   tests/e2e/x-server.sh [xorg] [display-number]
set -euo pipefail
n="${2:-150}"
while [ -z "${2:-}" ] && { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; }; do n=$((n + 1)); done
Xorg ":$n" -config "$(cd "$(dirname "$0")" && pwd)/xorg-dummy-two-monitors.conf" -noreset -nolisten tcp \
  -novtswitch -sharevts -logfile "/tmp/orvane-xorg$n.log" >/dev/null 2>&1 &
pid=$!
for _ in $(seq 2000); do
  DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break
  kill -0 "$pid" 2>/dev/null || { echo "X server on :$n did not start" >&2; exit 1; }
  sleep 0.01
done
echo ":$n $pid"
