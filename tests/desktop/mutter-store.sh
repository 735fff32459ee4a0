#!/usr/bin/env bash
# Display modes kept by real mutter, in a D-Bus session of an ordinary user (mutter will not run as root).
#   mutter-store.sh wayland PROBE   mutter headless with two virtual monitors: its display service must accept a
#                                   mode and write the user's monitors.xml, and refuse a monitor it does not have.
#   mutter-store.sh x11 PROBE       "設定変更" with mutter as the window manager of the two-monitor Xorg dummy
#                                   server: the watched monitor takes its new mode through the X11 backend; the
#                                   other one stays on and moves beside it.
# Exit 77 (skipped) where mutter or Xorg is not installed.
set -euo pipefail
kind=$1
shift
for tool in mutter dbus-run-session $([ "$kind" = x11 ] && echo Xorg xrandr); do
  command -v $tool >/dev/null || exit 77
done
session_user=orvane-mutter-$kind  # (both kinds may run at once)
source "$(dirname "$0")/../support/session-user.sh"
display="" xpid=""
[ "$kind" = x11 ] && read -r display xpid < <(bash "$(dirname "$0")/../e2e/x-server.sh" xorg)
trap '[ -z "$xpid" ] || kill "$xpid"; end_session' EXIT
as_user env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$run" DISPLAY="$display" XDG_CURRENT_DESKTOP=GNOME \
  ASAN_OPTIONS=detect_leaks=0 dbus-run-session -- bash -s "$kind" "${command[0]}" <<'INNER'
set -u
probe=$2
args="--headless --wayland --no-x11 --virtual-monitor 1920x1080 --virtual-monitor 1920x1080"
[ "$1" = x11 ] && args="--x11 --replace"
mutter $args >"$XDG_RUNTIME_DIR/mutter.log" 2>&1 &
for _ in $(seq 100); do
  gdbus introspect --session --dest org.gnome.Mutter.DisplayConfig \
    --object-path /org/gnome/Mutter/DisplayConfig >/dev/null 2>&1 && break
  sleep 0.1
done
status=0
fail() { echo "$1"; status=1; }
if [ "$1" = wayland ]; then
  "$probe" gnome Meta-1 1920 1080 60 || status=1
  "$probe" gnome Meta-7 1920 1080 60 && fail "an unknown monitor was kept"
  sleep 0.5
  grep -q "<connector>Meta-1</connector>" "$HOME/.config/monitors.xml" || fail "no monitors.xml written"
else
  # mutter marks none of the modelines of the server configuration as current: start from modes it knows.
  xrandr --output DUMMY0 --mode 1280x1024 --rate 60.02 --output DUMMY1 --mode 1680x1050 --right-of DUMMY0
  sleep 1
  "$probe" x11 DUMMY0 1024 768 60 || status=1
  sleep 0.5
  shown=$(xrandr | grep " connected")
  echo "$shown" | grep -q "^DUMMY0 connected primary 1024x768+0+0" || fail "DUMMY0 not changed: $shown"
  echo "$shown" | grep -q "^DUMMY1 connected 1680x1050+1024+0" || fail "DUMMY1 not on beside it: $shown"
  grep -q "<disabled>" "$HOME/.config/monitors.xml" && fail "a monitor kept switched off"
fi
[ $status = 0 ] || tail -20 "$XDG_RUNTIME_DIR/mutter.log"
kill %1 2>/dev/null
exit $status
INNER
