#!/usr/bin/env bash
# One command from a fresh clone to the running demo: installs what is missing, builds, runs.
# Without a display the demo runs under Xvfb for a fixed number of frames and saves a screenshot.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${LUMIVOR_BUILD_DIR:-$root/build}"

bash "$root/scripts/install-deps.sh"
LUMIVOR_BUILD_DIR="$build_dir" bash "$root/scripts/build.sh"

cd "$build_dir/run"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./lumivor "$@"
fi

screenshot="$build_dir/screenshot.png"
frames="${LUMIVOR_FRAMES:-20}"
echo "run: no display found; running $frames frames under Xvfb"
xvfb-run -a -s "-screen 0 1280x1024x24" env LIBGL_ALWAYS_SOFTWARE=1 \
  ./lumivor --windowed --no-dialogs --frames "$frames" --screenshot "$screenshot" "$@"
echo "run: the last frame is saved in $screenshot"
