#!/usr/bin/env bash
# Installs what Orvane needs (on Debian 12, as root or through sudo), builds
# a Release binary and starts it in the current session (X11, or Wayland
# on sway and the other wlroots compositors).
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""; [ "$(id -u)" = 0 ] || sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $(cat .ci/packages)
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANE_TESTS=OFF
cmake --build build/release -j "$(nproc)"
exec build/release/src/orvane
