#!/usr/bin/env bash
# Installs every Debian package Lumivor needs to build, run and test, skipping those already present.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libsdl2-dev libgl-dev libglu1-mesa-dev mesa-common-dev libgl1-mesa-dri
  libfreeimage-dev libfreetype-dev libfontconfig-dev fonts-liberation
  libtinygltf-dev
  libimgui-dev
  libgtest-dev
  clang libclang-rt-14-dev
  blender-data
  libmeshoptimizer-dev
  xvfb xauth xdotool openbox x11-utils
  desktop-file-utils
  blender python3-numpy  # the Cycles reference (scripts/reference.sh); Blender's glTF add-on needs numpy too
)
# The glTF validator's tests run on node and npm: Debian's, unless the machine already has them.
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
