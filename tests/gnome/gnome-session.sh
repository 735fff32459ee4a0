#!/usr/bin/env bash
# Runs a command in a headless GNOME Wayland session: PipeWire, WirePlumber and mutter with two virtual monitors,
# Meta-0 (1920x1080 at 0,0) and Meta-1 (1280x720 at 1920,0), on a private session bus, as an ordinary user
# (tests/support/session-user.sh; HOME keeps the portal's permission store).
#   gnome-session.sh [NAME=FILE ...] COMMAND [ARGS...]     (exit 77: mutter or PipeWire missing)
set -euo pipefail
for tool in mutter pipewire wireplumber dbus-run-session; do command -v $tool >/dev/null || exit 77; done
session_user=orvane-gnome
source "$(dirname "$0")/../support/session-user.sh"
# mutter aborts when it has to make this folder itself.
[ -d /tmp/.X11-unix ] || mkdir -m 1777 /tmp/.X11-unix

cat > "$work/inner.sh" <<'INNER'
set -u
R=$XDG_RUNTIME_DIR
trap 'kill $(jobs -p) 2>/dev/null' EXIT
pipewire >"$R/pipewire.log" 2>&1 &
for _ in $(seq 100); do [ -S "$R/pipewire-0" ] && break; sleep 0.05; done
# Without the session manager every stream stays paused.
wireplumber >"$R/wireplumber.log" 2>&1 &
mutter --headless --wayland --no-x11 --virtual-monitor 1920x1080 --virtual-monitor 1280x720 >"$R/mutter.log" 2>&1 &
for _ in $(seq 200); do
  gdbus introspect --session --dest org.gnome.Mutter.ScreenCast --object-path /org/gnome/Mutter/ScreenCast \
    >/dev/null 2>&1 && [ -S "$R/wayland-0" ] && break
  sleep 0.05
done
[ -S "$R/wayland-0" ] || { cat "$R/mutter.log" >&2; exit 1; }
WAYLAND_DISPLAY=wayland-0 XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME QT_QPA_PLATFORM=wayland "$@"
INNER
as_user env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$run" LANG=C.UTF-8 ASAN_OPTIONS=detect_leaks=0 \
  "${programs[@]}" dbus-run-session -- bash "$work/inner.sh" "${command[@]}"
