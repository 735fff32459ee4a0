#!/usr/bin/env bash
# "設定変更" with mutter (as an ordinary user) the window manager of the two-monitor Xorg dummy server: the watched
# monitor takes its new mode through the X11 backend and mutter keeps it; the other one stays on, beside it.
#   mutter-store.sh PROBE      (exit 77: mutter or Xorg is not installed, skipped)
set -euo pipefail
for tool in mutter dbus-run-session Xorg xrandr; do command -v $tool >/dev/null || exit 77; done
session_user=orvane-mutter
source "$(dirname "$0")/../support/session-user.sh"
read -r display xpid < <(bash "$(dirname "$0")/../e2e/x-server.sh" xorg)
trap 'kill "$xpid"; end_session' EXIT
as_user env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$run" DISPLAY="$display" XDG_CURRENT_DESKTOP=GNOME \
  ASAN_OPTIONS=detect_leaks=0 dbus-run-session -- bash -s "${command[0]}" <<'INNER'
set -u
mutter --x11 --replace >"$XDG_RUNTIME_DIR/mutter.log" 2>&1 &
for _ in $(seq 100); do
  gdbus introspect --session --dest org.gnome.Mutter.DisplayConfig \
    --object-path /org/gnome/Mutter/DisplayConfig >/dev/null 2>&1 && break
  sleep 0.1
done
# mutter marks none of the modelines of the server configuration as current: start from modes it knows.
xrandr --output DUMMY0 --mode 1280x1024 --rate 60.02 --output DUMMY1 --mode 1680x1050 --right-of DUMMY0
sleep 1
status=0
fail() { echo "$1"; status=1; }
"$1" x11 DUMMY0 1024 768 60 || status=1
sleep 0.5
shown=$(xrandr | grep " connected")
echo "$shown" | grep -q "^DUMMY0 connected primary 1024x768+0+0" || fail "DUMMY0 not changed: $shown"
echo "$shown" | grep -q "^DUMMY1 connected 1680x1050+1024+0" || fail "DUMMY1 not on beside it: $shown"
grep -q "<connector>DUMMY0</connector>" "$HOME/.config/monitors.xml" || fail "no monitors.xml written"
grep -q "<disabled>" "$HOME/.config/monitors.xml" && fail "a monitor kept switched off"
kill %1 2>/dev/null
exit $status
INNER
