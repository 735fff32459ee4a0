#!/usr/bin/env bash
# Runs a command as an ordinary user (tests/support/session-user.sh) against a headless sway with two 1920x1080
# outputs, HEADLESS-1 at (0, 0) and HEADLESS-2 at (1920, 0); a window titled "picture-client" goes full screen on
# HEADLESS-2. The command gets WAYLAND_DISPLAY, SWAYSOCK, a UTF-8 locale and Qt's Wayland platform.
#   sway-session.sh [NAME=FILE ...] COMMAND [ARGS...]   (exit 77: sway is not installed)
set -euo pipefail
command -v sway >/dev/null || exit 77
session_user=orvane-sway
source "$(dirname "$0")/../support/session-user.sh"
cat > "$work/sway.conf" <<CONF
output HEADLESS-1 mode 1920x1080 position 0 0
output HEADLESS-2 mode 1920x1080 position 1920 0
xwayland disable
for_window [title="^picture-client$"] move container to output HEADLESS-2, fullscreen enable
CONF
as_user env -i PATH="$PATH" HOME="$work" LANG=C.UTF-8 XDG_RUNTIME_DIR="$run" WLR_BACKENDS=headless \
  WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=2 sway -c "$work/sway.conf" \
  >"$work/sway.log" 2>&1 &
session_pids=$!
for _ in $(seq 200); do
  [ -S "$run/wayland-1" ] && ls "$run"/sway-ipc.* >/dev/null 2>&1 && break
  sleep 0.05
done
[ -S "$run/wayland-1" ] || { cat "$work/sway.log" >&2; echo "sway did not start" >&2; exit 1; }
as_user env -i PATH="$PATH" HOME="$work" LANG=C.UTF-8 XDG_RUNTIME_DIR="$run" WAYLAND_DISPLAY=wayland-1 \
  QT_QPA_PLATFORM=wayland SWAYSOCK="$(ls "$run"/sway-ipc.* | head -1)" ASAN_OPTIONS=detect_leaks=0 \
  "${programs[@]}" "${command[@]}"
