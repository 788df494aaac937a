#!/usr/bin/env bash
# Configures and builds Lumivor in Release into build/ (the run directory is build/run).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${LUMIVOR_BUILD_DIR:-$root/build}"
jobs="$(nproc 2>/dev/null || echo 2)"

cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release "$@"
cmake --build "$build_dir" -j "$jobs"
