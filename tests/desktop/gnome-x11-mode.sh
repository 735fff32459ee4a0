#!/usr/bin/env bash
# "設定変更" on GNOME under X11: real mutter as the window manager of the
# two-monitor Xorg dummy server, in a D-Bus session of an ordinary user (mutter
# will not run as root). The watched monitor takes its new mode through the X11
# backend; the other one stays on and moves beside it.
#   gnome-x11-mode.sh PROBE      (exit 77: mutter or Xorg is not installed, skipped)
set -euo pipefail
probe="$1"
here="$(cd "$(dirname "$0")" && pwd)"
for tool in mutter dbus-run-session Xorg xrandr; do command -v "$tool" >/dev/null || exit 77; done
user=orvane-test
id "$user" >/dev/null 2>&1 || useradd -m "$user"
work=$(mktemp -d)
chmod 755 "$work"
cp "$probe" "$work/probe"
run="$work/run"; home="$work/home"
mkdir -p -m 700 "$run" && mkdir -p "$home/.config" && chown -R "$user" "$run" "$home"
read -r display xpid < <(bash "$here/../e2e/x-server.sh" xorg)
trap 'kill "$xpid" 2>/dev/null; for _ in $(seq 30); do rm -rf "$work" 2>/dev/null && break; sleep 0.1; done' EXIT
runuser -u "$user" -- env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$run" DISPLAY="$display" \
  XDG_CURRENT_DESKTOP=GNOME ASAN_OPTIONS=detect_leaks=0 dbus-run-session -- bash -c '
    set -u
    mutter --x11 --replace >"$XDG_RUNTIME_DIR/mutter.log" 2>&1 &
    for _ in $(seq 100); do
      gdbus introspect --session --dest org.gnome.Mutter.DisplayConfig \
        --object-path /org/gnome/Mutter/DisplayConfig >/dev/null 2>&1 && break
      sleep 0.1
    done
    # mutter marks none of the modelines of the server configuration as
    # current: start from modes it knows.
    xrandr --output DUMMY0 --mode 1280x1024 --rate 60.02 --output DUMMY1 --mode 1680x1050 --right-of DUMMY0
    sleep 1
    status=0
    "'"$work"'/probe" x11 DUMMY0 1024 768 60 || status=1
    sleep 0.5
    shown=$(xrandr | grep " connected")
    echo "$shown" | grep -q "^DUMMY0 connected primary 1024x768+0+0" || { echo "DUMMY0 not changed"; status=1; }
    echo "$shown" | grep -q "^DUMMY1 connected 1680x1050+1024+0" || { echo "DUMMY1 not on beside it"; status=1; }
    grep -q "<disabled>" "$HOME/.config/monitors.xml" && { echo "a monitor kept switched off"; status=1; }
    [ $status = 0 ] || { echo "$shown"; cat "$HOME/.config/monitors.xml"; tail -20 "$XDG_RUNTIME_DIR/mutter.log"; }
    kill %1 2>/dev/null
    exit $status'
