#!/usr/bin/env bash
# Hands a mode to XFCE's real settings store (xfconfd, started by D-Bus in a private session): it must land in the
# "displays" channel under the Default profile and under the active one.
#   xfce-store.sh PROBE      (exit 77: xfconf is not installed, skipped)
set -euo pipefail
[ -e /usr/share/dbus-1/services/org.xfce.Xfconf.service ] && command -v gdbus >/dev/null &&
  command -v dbus-run-session >/dev/null || exit 77
home=$(mktemp -d)
# xfconfd may still be saving into the folder as the session ends: tried again until it is gone.
trap 'for _ in $(seq 30); do rm -rf "$home" 2>/dev/null && break; sleep 0.1; done' EXIT
env -i PATH="$PATH" HOME="$home" XDG_CONFIG_HOME="$home/.config" ASAN_OPTIONS=detect_leaks=0 \
  dbus-run-session -- bash -s "$1" 2> >(grep -v "fd limit" >&2) <<'INNER'
set -u
xfconf() { gdbus call --session --dest org.xfce.Xfconf --object-path /org/xfce/Xfconf \
             --method "org.xfce.Xfconf.$1" displays "${@:2}"; }
xfconf SetProperty /ActiveProfile "<'Home'>" >/dev/null
"$1" xfce DUMMY1 1280 1024 75 || exit 1
status=0
for profile in Default Home; do
  size=$(xfconf GetProperty /$profile/DUMMY1/Resolution)
  rate=$(xfconf GetProperty /$profile/DUMMY1/RefreshRate)
  echo "$profile: $size at $rate"
  [ "$size" = "(<'1280x1024'>,)" ] || status=1
  case "$rate" in "(<75"*) ;; *) status=1 ;; esac
done
exit $status
INNER
