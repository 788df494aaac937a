#!/usr/bin/env bash
# Builds Lumivor with AddressSanitizer, UndefinedBehaviorSanitizer and leak detection into
# build-sanitize/ and runs the unit and gl tests and the program's life-cycle runs under it.
# Any sanitizer report ends the process that made it with a failure status, so it fails here.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${LUMIVOR_SANITIZE_BUILD_DIR:-$root/build-sanitize}"
jobs="$(nproc 2>/dev/null || echo 2)"

launcher=()  # ccache where it is installed, as in build.sh
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=Debug -DLUMIVOR_SANITIZE=ON -DLUMIVOR_BUILD_BENCHMARKS=OFF "${launcher[@]}"
cmake --build "$build_dir" -j "$jobs"

cd "$build_dir"
# The frame picture checks draw over a hundred full frames and run in the
# normal build; here the frame-limit run, the re-creation run and the quit during a map's load
# on its worker thread take every pass through the sanitizers, and any report ends the program
# with a failure status that those tests check.
bash "$root/scripts/with-display.sh" ctest --output-on-failure --no-tests=error -j 2 -L 'unit|gl' -E '^gl_frame$'
bash "$root/scripts/with-display.sh" ctest --output-on-failure --no-tests=error -R '^ProgramTest\.(Minimising|ALoadGoesOn)'
