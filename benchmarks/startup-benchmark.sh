#!/usr/bin/env bash
# Start-up benchmark: the time from the program's start to its first frame, for this build and for
# git revision REV built in a scratch folder, run alternately ROUNDS times (default 7) at 800 x 600 with
# --frames 1 --benchmark; prints each median and the ratio this / REV, for the program's own start-up figure
# and for the whole run's wall time.
#
#   benchmarks/startup-benchmark.sh REV [ROUNDS]
#
# Runs inside the private display (scripts/with-display.sh) by itself.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=../scripts/revision-build.sh
source "$root/scripts/revision-build.sh"
revision="${1:?usage: benchmarks/startup-benchmark.sh REV [ROUNDS]}"
rounds="${2:-7}"
run_dir="${LUMIVOR_RUN_DIR:-$root/build/run}"
[ -x "$run_dir/lumivor" ] || { echo "no build in $run_dir: run scripts/build.sh first" >&2; exit 1; }

echo "building $revision in a scratch folder ..." >&2
build_revision "$revision"
this_dir="$(make_run_copy "$run_dir" 1)"
base_dir="$(make_run_copy "$revision_run_dir" 1)"

# The program's own figure, which starts at main: a restart of the executable before it (the huge-page
# heap) is outside it, so the whole one-frame run's wall time is printed beside it.
startup_ms() {
    (cd "$1" && ./lumivor --windowed --no-dialogs --frames 1 --frame-time 40 --benchmark 2>/dev/null) |
        awk '/start-up to first frame/ { print $(NF-1) }'
}
run_ms() {
    local start end
    start="$(date +%s%N)"
    (cd "$1" && ./lumivor --windowed --no-dialogs --frames 1 --frame-time 40 >/dev/null 2>&1)
    end="$(date +%s%N)"
    echo $(((end - start) / 1000000))
}

this_times=()
base_times=()
this_runs=()
base_runs=()
for round in $(seq 1 "$rounds"); do
    this_times+=("$(startup_ms "$this_dir")")
    base_times+=("$(startup_ms "$base_dir")")
    this_runs+=("$(run_ms "$this_dir")")
    base_runs+=("$(run_ms "$base_dir")")
    echo "round $round: this ${this_times[-1]} ms (run ${this_runs[-1]} ms)," \
        "$revision ${base_times[-1]} ms (run ${base_runs[-1]} ms)" >&2
done

python3 - "$revision" "${this_times[*]}" "${base_times[*]}" "${this_runs[*]}" "${base_runs[*]}" <<'PY'
import statistics, sys
revision = sys.argv[1]
def medians(this, base):
    this_median = statistics.median(float(v) for v in this.split())
    base_median = statistics.median(float(v) for v in base.split())
    return f"this {this_median:.0f} ms, {revision} {base_median:.0f} ms, ratio {this_median / base_median:.2f}"
print(f"start-up to first frame, median of {len(sys.argv[2].split())}: {medians(sys.argv[2], sys.argv[3])}")
print(f"whole one-frame run (start to exit), median: {medians(sys.argv[4], sys.argv[5])}")
PY
