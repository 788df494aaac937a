#!/usr/bin/env bash
# Model pictures: a model in each of the three environments at 800 x 600, as docs/model-1.png to model-3.png
# show the sample model (tools/models/make_sample_model.py).
#
#   scripts/model-pictures.sh MODEL [PREFIX]     writes PREFIX1.png, PREFIX2.png, PREFIX3.png (default docs/model-)
#
# Each run holds the environment's key from the first frame shown and saves frame 30 (--frame-time 40, so the
# animation stands 1.2 s in). Runs inside the private display (scripts/with-display.sh) by itself.
set -euo pipefail
if [ "${LUMIVOR_INSIDE_DISPLAY:-}" != 1 ]; then
    LUMIVOR_INSIDE_DISPLAY=1 exec bash "$(dirname "${BASH_SOURCE[0]}")/with-display.sh" bash "$0" "$@"
fi
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
model="$(realpath "${1:?usage: model-pictures.sh MODEL [PREFIX]}")"
prefix="$(realpath -m "${2:-$root/docs/model-}")"
run_dir="${LUMIVOR_RUN_DIR:-$root/build/run}"
[ -x "$run_dir/lumivor" ] || { echo "no build in $run_dir: run scripts/build.sh first" >&2; exit 1; }
scratch="$(mktemp -d "${TMPDIR:-/tmp}/lumivor-pictures.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
for entry in "$run_dir"/*; do ln -s "$entry" "$scratch/"; done
rm "$scratch/config.cfg"
echo "800 600 1" >"$scratch/config.cfg"

for environment in 1 2 3; do
    output="$prefix$environment.png"
    (cd "$scratch" && exec ./lumivor --windowed --no-dialogs --frames 30 --frame-time 40 --model "$model" \
        --screenshot "$output" >"$scratch/run.log" 2>&1) &
    pid=$!
    window=""
    for _ in $(seq 1 600); do
        window="$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1 || true)"
        [ -n "$window" ] && break
        sleep 0.05
    done
    [ -n "$window" ] && xdotool windowactivate --sync "$window" keydown "$environment" 2>/dev/null || true
    wait "$pid" || { cat "$scratch/run.log" >&2; exit 1; }
    xdotool keyup "$environment" 2>/dev/null || true
    echo "$output"
done
