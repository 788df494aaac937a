#!/usr/bin/env bash
# Model benchmark: the demo at 800 x 600 (supersampling off, --frame-time 40 --benchmark) with the built-in
# character and with a skinned, animated model of 100,000 triangles (benchmarks/write_benchmark_model.py),
# alternately in one session, and prints both medians and their ratio.
#
#   benchmarks/model-benchmark.sh [ROUNDS]     (default 3)
#
# The model poses and uploads all its 50,451 vertices every frame and draws its full mesh in the four
# G-buffer passes and a simplified one (at most 8,000 triangles) into the 64 shadow maps.
# Runs inside the private display (scripts/with-display.sh) by itself.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=../scripts/revision-build.sh
source "$root/scripts/revision-build.sh"
rounds="${1:-3}"
frames=10
run_dir="${LUMIVOR_RUN_DIR:-$root/build/run}"
[ -x "$run_dir/lumivor" ] || { echo "no build in $run_dir: run scripts/build.sh first" >&2; exit 1; }

dir="$(make_run_copy "$run_dir" 1)"
python3 "$root/benchmarks/write_benchmark_model.py" "$dir/benchmark-model.glb"
results="$scratch_root/results"
: >"$results"
for round in $(seq 1 "$rounds"); do
    for figure in character model; do
        arguments=(--windowed --no-dialogs --frames "$frames" --frame-time 40 --benchmark)
        [ "$figure" = model ] && arguments+=(--model benchmark-model.glb)
        output="$(cd "$dir" && ./lumivor "${arguments[@]}" 2>/dev/null)"
        echo "round $round, $figure" >&2
        # One line per figure: figure name milliseconds
        awk -v f="$figure" '
            /start-up to first frame/ { print f, "start-up", $(NF-1) }
            /median frame/            { print f, "frame", $(NF-1) }
            /benchmark: median /      { name = ""
                                        for (i = 3; i <= NF; ++i) {
                                            if ($i ~ /^[0-9.]+$/) { print f, name, $i; break }
                                            name = name (name == "" ? "" : "_") $i
                                        } }
        ' <<<"$output" >>"$results"
    done
done

python3 - "$results" <<'PY'
import statistics, sys
rows = [line.split() for line in open(sys.argv[1]) if line.strip()]
names = []
for _, name, _ in rows:
    if name not in names:
        names.append(name)
values = {}
for figure, name, ms in rows:
    values.setdefault((figure, name), []).append(float(ms))
print("\n800 x 600, supersampling off (medians over the rounds, ms)")
print(f"{'':24}{'character':>11}{'model':>11}{'model/char':>11}{'difference':>11}")
for name in names:
    character = statistics.median(values.get(("character", name), [float("nan")]))
    model = statistics.median(values.get(("model", name), [float("nan")]))
    print(f"{name:24}{character:11.1f}{model:11.1f}{model / character:11.2f}{model - character:11.1f}")
PY
