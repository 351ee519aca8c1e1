#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
# As root it runs apt-get; otherwise it prints the exact command and fails.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qtbase5-dev qtbase5-private-dev
  qt6-base-dev qt6-base-private-dev libqt6opengl6-dev qt6-qpa-plugins
  libopenscenegraph-dev libgeographiclib-dev libgdal-dev
  fonts-liberation libgl1-mesa-dri
  clang libclang-rt-dev
  xvfb xauth xdotool xclip
  file lintian
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

command="apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Run as root:" >&2
  echo "  apt-get update && $command" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
$command
