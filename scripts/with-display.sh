#!/usr/bin/env bash
# Runs a command inside a private Xvfb display with a light window manager (openbox),
# so GL and end-to-end runs never touch the user's desktop.
set -euo pipefail
if [ "${1:-}" != "--inside" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inside "$@"
fi
shift
export LIBGL_ALWAYS_SOFTWARE=1
openbox >/dev/null 2>&1 &
wm_pid=$!
# Give the window manager a moment to take the screen before windows appear.
for _ in $(seq 1 50); do
  if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then break; fi
  sleep 0.1
done
status=0
"$@" || status=$?
kill "$wm_pid" 2>/dev/null || true
wait "$wm_pid" 2>/dev/null || true
exit "$status"
