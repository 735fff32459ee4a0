#!/usr/bin/env bash
# Builds the .deb from a Release build, installs it as a user would
# (apt-get install ./orvane_*.deb), validates the installed desktop entry and
# AppStream metadata, and starts the installed program on a headless
# two-monitor X server: it must show the second monitor and keep its settings
# in the user's config folder, never beside the installed binary.
#   tools/check-package.sh [build-dir]   (a configured Release build; default build/bench)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/bench}"
sudo=""; [ "$(id -u)" = 0 ] || sudo="sudo"
fail() { echo "check-package: $*" >&2; exit 1; }

cmake --build "$build" -j "$(nproc)"
rm -rf "$build/package"
cpack --config "$build/CPackConfig.cmake" -B "$PWD/$build/package" >/dev/null
deb=$(ls "$build"/package/orvane_*.deb)
echo "package: $deb"
echo "depends: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "shlibdeps found no Qt dependency"
dpkg-deb -f "$deb" Depends | grep -q 'fonts-noto-cjk' || fail "the CJK fonts are not a dependency"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --reinstall "./$deb" >/dev/null

app_id=$(sed -n 's/^ORVANE_APP_ID:STRING=//p' "$build/CMakeCache.txt")
desktop-file-validate "/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml" >/dev/null
for f in /usr/bin/orvane "/usr/share/icons/hicolor/48x48/apps/$app_id.png" \
         "/usr/share/icons/hicolor/scalable/apps/$app_id.svg"; do
  [ -e "$f" ] || fail "$f is not installed"
done

read -r display xpid < <(tests/e2e/x-server.sh xorg)
home=$(mktemp -d)
cleanup() {
  [ -n "${opid:-}" ] && kill "$opid" 2>/dev/null || true
  [ -n "${lpid:-}" ] && kill "$lpid" 2>/dev/null || true
  kill "$xpid" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
export DISPLAY="$display"

# A red picture on the second monitor; the settings name it and fill the first with the window.
xlogo -geometry 1920x1080+1920+0 -bg '#ff0000' -fg '#ff0000' >/dev/null 2>&1 &
lpid=$!
mkdir -p "$home/.config/orvane"
printf '[Main]\r\nDisplay=DUMMY1\r\nCursor= 4\r\n[View]\r\nWindowPos_Left= 0\r\nWindowPos_Top= 0\r\nWindowPos_Width= 28800\r\nWindowPos_Height= 16200\r\n' \
  > "$home/.config/orvane/Orvane.ini"
rm -f /usr/bin/Orvane.ini
env -u XDG_CONFIG_HOME -u ORVANE_CONFIG_DIR -u QT_QPA_PLATFORM HOME="$home" /usr/bin/orvane 2>"$home/stderr" &
opid=$!

shown=""
for _ in $(seq 100); do
  sleep 0.2
  kill -0 "$opid" 2>/dev/null || { cat "$home/stderr" >&2; fail "the installed program ended"; }
  pixel=$(import -window root -crop 1x1+800+500 -depth 8 txt:- 2>/dev/null | tail -1 || true)
  case "$pixel" in *"#FF0000"*) shown=yes; break ;; esac
done
[ -n "$shown" ] || { import -window root "$home/shot.png"; cp "$home/shot.png" /tmp/check-package-shot.png; fail "the second monitor is not shown (screenshot in /tmp/check-package-shot.png)"; }
echo "the installed program shows the second monitor"

kill -TERM "$opid"
wait "$opid" || fail "the installed program did not end cleanly"
opid=""
[ ! -e /usr/bin/Orvane.ini ] || fail "settings were written beside the installed binary"
grep -q 'Zoom=' "$home/.config/orvane/Orvane.ini" || fail "settings were not saved in the user's config folder"
echo "settings kept in the user's config folder"
echo "package check passed"
