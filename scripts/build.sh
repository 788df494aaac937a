#!/usr/bin/env bash
# Configures and builds Lumivor in Release into build/ (the run directory is build/run).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${LUMIVOR_BUILD_DIR:-$root/build}"
jobs="$(nproc 2>/dev/null || echo 2)"

launcher=()  # ccache where it is installed: a rebuild after a small change is then quick
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" "$@"
cmake --build "$build_dir" -j "$jobs"
