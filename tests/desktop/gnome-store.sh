#!/usr/bin/env bash
# Hands a mode to the real GNOME display configuration service: mutter,
# headless, with two virtual monitors, in a D-Bus session of an ordinary user
# (mutter will not run as root). The service must accept it and write the
# user's monitors.xml; a monitor it does not have must be refused.
#   gnome-store.sh PROBE      (exit 77: mutter is not installed, skipped)
set -euo pipefail
probe="$1"
command -v mutter >/dev/null && command -v dbus-run-session >/dev/null || exit 77
user=orvane-test
id "$user" >/dev/null 2>&1 || useradd -m "$user"
work=$(mktemp -d)
chmod 755 "$work"
cp "$probe" "$work/probe"
run="$work/run"; home="$work/home"
mkdir -p -m 700 "$run" && mkdir -p "$home/.config" && chown -R "$user" "$run" "$home"
# The desktop's daemon may still be saving its files into the folder as the
# session ends: try again until it is gone (a failed cleanup is no test failure).
trap 'for _ in $(seq 30); do rm -rf "$work" 2>/dev/null && break; sleep 0.1; done' EXIT
runuser -u "$user" -- env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$run" ASAN_OPTIONS=detect_leaks=0 \
  dbus-run-session -- bash -c '
    set -u
    mutter --headless --wayland --no-x11 --virtual-monitor 1920x1080 --virtual-monitor 1920x1080 \
      >"$XDG_RUNTIME_DIR/mutter.log" 2>&1 &
    for _ in $(seq 100); do
      gdbus introspect --session --dest org.gnome.Mutter.DisplayConfig \
        --object-path /org/gnome/Mutter/DisplayConfig >/dev/null 2>&1 && break
      sleep 0.1
    done
    status=0
    "'"$work"'/probe" gnome Meta-1 1920 1080 60 || status=1
    if "'"$work"'/probe" gnome Meta-7 1920 1080 60; then echo "an unknown monitor was kept"; status=1; fi
    sleep 0.5
    grep -q "<connector>Meta-1</connector>" "$HOME/.config/monitors.xml" || { echo "no monitors.xml written"; status=1; }
    kill %1 2>/dev/null
    [ $status = 0 ] || tail -20 "$XDG_RUNTIME_DIR/mutter.log"
    exit $status'
