#!/usr/bin/env bash
# One command from a fresh clone to the running demo: installs what is missing, builds, runs.
# Without a display the demo runs under Xvfb for a fixed number of frames and saves a screenshot.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${LUMIVOR_BUILD_DIR:-$root/build}"

# The program runs inside the run directory, so the files named on the command line go to it as absolute
# paths from the folder this script was started in: the FILE of --environment N=FILE, the value of
# --screenshot, --model and --dump-lit, and a map or model given without an option. The program itself
# expands a leading ~/.
absolute() {
  case "$1" in
    /* | "~" | "~/"* | "") printf '%s' "$1" ;;
    *) printf '%s/%s' "$PWD" "$1" ;;
  esac
}
arguments=()
while [ $# -gt 0 ]; do
  argument="$1"
  shift
  case "$argument" in
    --environment | --screenshot | --model | --dump-lit)
      arguments+=("$argument")
      if [ $# -gt 0 ]; then
        case "$argument=$1" in
          --environment=[0-9]=*) arguments+=("${1%%=*}=$(absolute "${1#*=}")") ;;
          --environment=*) arguments+=("$1") ;;
          *) arguments+=("$(absolute "$1")") ;;
        esac
        shift
      fi
      ;;
    -*) arguments+=("$argument") ;;
    *.[hH][dD][rR] | *.[eE][xX][rR] | *.[gG][lL][tT][fF] | *.[gG][lL][bB]) arguments+=("$(absolute "$argument")") ;;
    *) arguments+=("$argument") ;;
  esac
done
set -- "${arguments[@]}"

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
