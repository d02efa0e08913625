#!/usr/bin/env bash
# Installs the Debian 12 packages that Tessellon needs and the machine lacks.
#   install-deps.sh test   what building and testing needs (the default),
#                          with the CJK font users get, so that the tests
#                          that measure texts measure what users see
#   install-deps.sh run    that, plus what the run command uses for its demo
#                          desktop picture and screenshots
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins
  libplist-dev libglib2.0-dev libglib2.0-bin libfontconfig-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libx11-dev libxi-dev libxtst-dev libxfixes-dev libgl-dev
  sqlite3 xvfb xdotool x11-utils dbus-daemon
  fonts-noto-cjk
)
if [ "${1:-test}" = "run" ]; then
  packages+=(imagemagick gsettings-desktop-schemas)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
