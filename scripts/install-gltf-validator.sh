#!/usr/bin/env bash
# Installs the Khronos glTF validator (npm package gltf-validator) at one pinned version into a
# folder of the build tree, for tools/validate-gltf.js. Does nothing when that version is there.
# usage: install-gltf-validator.sh FOLDER VERSION
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 FOLDER VERSION" >&2
  exit 2
fi
folder="$1"
version="$2"
installed="$folder/node_modules/gltf-validator/package.json"

for tool in node npm; do
  if ! command -v "$tool" >/dev/null; then
    echo "install-gltf-validator: $tool is missing (scripts/install-deps.sh installs it)" >&2
    exit 1
  fi
done

if [ -f "$installed" ] && [ "$(node -p "require(process.argv[1]).version" "$installed")" = "$version" ]; then
  echo "install-gltf-validator: gltf-validator $version is installed in $folder"
  exit 0
fi

mkdir -p "$folder"
# A package file of its own keeps npm from looking for one in the folders above.
echo '{"name": "lumivor-gltf-validator", "private": true}' > "$folder/package.json"
# Few, short retries: an unreachable registry fails within a minute or two, not after many.
if ! npm install --prefix "$folder" --no-save --no-package-lock --no-audit --no-fund --ignore-scripts \
    --fetch-retries=1 --fetch-timeout=30000 "gltf-validator@$version"; then
  echo "install-gltf-validator: could not install gltf-validator $version from the npm registry" \
    "(is it reachable? npm's own message is above)" >&2
  exit 1
fi
echo "install-gltf-validator: installed gltf-validator $version in $folder"
