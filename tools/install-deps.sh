#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build, the game and the tests need (orca and what runs it
# on a private desktop: the screen-reader test).
# Does nothing when all of them are there; uses sudo when not run as root.
#   install-deps.sh [more packages...]   (make bench and make fuzz name what they add)
set -euo pipefail

packages=(cmake make g++ qt6-base-dev libxcb1-dev xvfb xauth xdotool x11-apps imagemagick fonts-dejavu-core
          fonts-liberation2 desktop-file-utils appstream dpkg-dev lintian man-db mandoc weston xwayland qt6-wayland
          fuse3 libfuse3-dev pkg-config
          orca at-spi2-core dbus x11-utils matchbox-window-manager "$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
