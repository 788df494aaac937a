#!/usr/bin/env bash
# Frame benchmark: runs the demo at 800 x 600 with supersampling off and on,
# --frame-time 40 --benchmark, and prints the median frame and per-pass times.
#
#   benchmarks/frame-benchmark.sh [--panel] [REV] [ROUNDS]
#
# Without REV it runs this checkout's build (build/run) ROUNDS times (default 3).
# With --panel it also runs this build with the settings panel shown (--panel),
# alternated with the run without it, and prints the ratio panel / this.
# With REV it also builds that revision in a scratch folder and runs both
# alternately, each round in the order this, REV, floor, REV-floor, and prints
# each median and the ratios this / REV and this / floor. The floors are this
# build and REV with their lighting program replaced by
# benchmarks/floor_lighting.fsh: the G-buffer reads, four shadow lookups per
# quad and a plain Lambert sum, the least a lighting program can cost in that
# build's lighting pass on the same renderer.
# LUMIVOR_THIS_OPTIONS adds program options to this build's runs only: for
# instance --light-markers, measured against REV's runs without them.
# Runs inside the private display (scripts/with-display.sh) by itself.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=../scripts/revision-build.sh
source "$root/scripts/revision-build.sh"
with_panel=0
if [ "${1:-}" = "--panel" ]; then
    with_panel=1
    shift
fi
revision="${1:-}"
rounds="${2:-3}"
frames=10
run_dir="${LUMIVOR_RUN_DIR:-$root/build/run}"
[ -x "$run_dir/lumivor" ] || { echo "no build in $run_dir: run scripts/build.sh first" >&2; exit 1; }

builds=(this)
declare -A source_dir=([this]="$run_dir")
declare -A extra_options=()
if [ "$with_panel" = 1 ]; then
    builds+=(panel)
    source_dir[panel]="$run_dir"
    extra_options[panel]="--panel"
fi
if [ -n "$revision" ]; then
    echo "building $revision in a scratch folder ..." >&2
    build_revision "$revision"
    builds+=(base floor base-floor)
    source_dir[base]="$revision_run_dir"
    source_dir[floor]="$run_dir"
    source_dir[base-floor]="$revision_run_dir"
fi

results="$scratch_root/results"
: >"$results"
for factor in 1 2; do
    for build in "${builds[@]}"; do
        dir="$(make_run_copy "${source_dir[$build]}" "$factor")"
        if [ "${build#*floor}" != "$build" ]; then
            rm "$dir/Shader"
            cp -r "${source_dir[$build]}/Shader" "$dir/Shader"
            cp "$root/benchmarks/floor_lighting.fsh" "$dir/Shader/ibl.fsh"
        fi
        eval "dir_${build//-/_}_${factor}=\$dir"
    done
done

for round in $(seq 1 "$rounds"); do
    for factor in 1 2; do
        for build in "${builds[@]}"; do
            dir_var="dir_${build//-/_}_${factor}"
            dir="${!dir_var}"
            options=()
            [ "$build" = this ] && read -r -a options <<<"${LUMIVOR_THIS_OPTIONS:-}"
            # shellcheck disable=SC2086 # the extra options are words
            output="$(cd "$dir" && ./lumivor --windowed --no-dialogs --frames "$frames" --frame-time 40 --benchmark \
                "${options[@]}" ${extra_options[$build]:-} 2>/dev/null)"
            echo "round $round, supersampling $factor, $build" >&2
            # One line per figure: build factor name milliseconds
            awk -v b="$build" -v f="$factor" '
                /start-up to first frame/ { print b, f, "start-up", $(NF-1) }
                /median frame/            { print b, f, "frame", $(NF-1) }
                /benchmark: median /      { name = ""
                                            for (i = 3; i <= NF; ++i) {
                                                if ($i ~ /^[0-9.]+$/) { print b, f, name, $i; break }
                                                name = name (name == "" ? "" : "_") $i
                                            } }
            ' <<<"$output" >>"$results"
        done
    done
done

python3 - "$results" "${builds[@]}" <<'PY'
import statistics, sys
rows = [line.split() for line in open(sys.argv[1]) if line.strip()]
builds = sys.argv[2:]
names = []
for _, _, name, _ in rows:
    if name not in names:
        names.append(name)
values = {}
for build, factor, name, ms in rows:
    values.setdefault((build, factor, name), []).append(float(ms))
for factor, label in (("1", "supersampling off"), ("2", "supersampling on")):
    print(f"\n{label} (medians over the rounds, ms)")
    header = f"{'':24}" + "".join(f"{b:>11}" for b in builds)
    if "base" in builds:
        header += f"{'this/base':>11}{'this/floor':>11}{'base/floor':>11}"
    if "panel" in builds:
        header += f"{'panel/this':>11}"
    print(header)
    for name in names:
        med = {b: statistics.median(values[(b, factor, name)]) for b in builds if (b, factor, name) in values}
        line = f"{name:24}" + "".join(f"{med.get(b, float('nan')):11.1f}" for b in builds)
        if "base" in builds and "base" in med and med["base"] > 0:
            line += f"{med['this'] / med['base']:11.2f}"
            if name == "lighting" and med.get("floor", 0) > 0 and med.get("base-floor", 0) > 0:
                line += f"{med['this'] / med['floor']:11.2f}{med['base'] / med['base-floor']:11.2f}"
        if "panel" in builds and med.get("this", 0) > 0 and "panel" in med:
            line += f"{med['panel'] / med['this']:11.2f}"
        print(line)
PY
