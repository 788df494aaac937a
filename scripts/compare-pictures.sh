#!/usr/bin/env bash
# Picture comparison: renders the same screenshots with this checkout's build
# and with git revision REV (built in a scratch folder), and prints each PSNR.
#
#   scripts/compare-pictures.sh REV
#
# Screenshots: the three environments x image-based lighting / ambient
# occlusion x supersampling off / on, 800 x 600, --frames 6 --frame-time 40.
# A third run, REV's program with this checkout's character file, tells the
# shading apart from a changed mesh: "vs REV, new mesh" compares whole
# pictures; "outside the character" compares with REV itself, leaving out
# the pixels where REV's own pictures with the old and the new mesh differ.
# Pictures are kept in the folder named by LUMIVOR_PICTURES, if set.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=revision-build.sh
source "$root/scripts/revision-build.sh"
revision="${1:?usage: compare-pictures.sh REV}"
build_dir="${LUMIVOR_BUILD_DIR:-$root/build}"
run_dir="$build_dir/run"
psnr="$build_dir/tools/lumivor-psnr"
frames=6
[ -x "$run_dir/lumivor" ] && [ -x "$psnr" ] || { echo "build this checkout first (scripts/build.sh)" >&2; exit 1; }
echo "building $revision in a scratch folder ..." >&2
build_revision "$revision"
pictures="${LUMIVOR_PICTURES:-$scratch_root/pictures}"
mkdir -p "$pictures"

# render RUNDIR KEYS OUTPUT: one screenshot with the keys held from the first frame shown to the end.
render() {
    local dir="$1" keys="$2" output="$3" pid window=""
    (cd "$dir" && exec ./lumivor --windowed --no-dialogs --frames "$frames" --frame-time 40 \
        --screenshot "$output" >"$output.log" 2>&1) &
    pid=$!
    for _ in $(seq 1 300); do
        window="$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1 || true)"
        [ -n "$window" ] && break
        sleep 0.05
    done
    if [ -n "$window" ]; then
        xdotool windowactivate --sync "$window" keydown $keys 2>/dev/null || true
    fi
    wait "$pid" || true
    xdotool keyup $keys 2>/dev/null || true
    [ -s "$output" ] || { echo "no screenshot from $dir" >&2; return 1; }
}

status=0
for factor in 1 2; do
    this_dir="$(make_run_copy "$run_dir" "$factor")"
    base_dir="$(make_run_copy "$revision_run_dir" "$factor")"
    mesh_dir="$(make_run_copy "$revision_run_dir" "$factor")"
    ln -sf "$run_dir/animation2.txt" "$mesh_dir/animation2.txt"
    for environment in 1 2 3; do
        for mode in F1 F2; do
            name="environment$environment-$([ $mode = F1 ] && echo ibl || echo ao)-ss$factor"
            # The first frame is drawn before the keys arrive; the keys act on the later ones.
            render "$this_dir" "$environment $mode" "$pictures/$name-this.png"
            render "$base_dir" "$environment $mode" "$pictures/$name-base.png"
            render "$mesh_dir" "$environment $mode" "$pictures/$name-mesh.png"
            whole="$("$psnr" "$pictures/$name-this.png" "$pictures/$name-mesh.png")"
            outside="$("$psnr" "$pictures/$name-this.png" "$pictures/$name-base.png" \
                "$pictures/$name-base.png" "$pictures/$name-mesh.png")"
            printf '%-24s vs REV, new mesh: %-40s outside the character: %s\n' "$name" "$whole" "$outside"
            for figure in "$whole" "$outside"; do
                value="${figure%% *}"
                if [ "$value" != inf ] && [ "$value" != no ] && awk -v v="$value" 'BEGIN { exit !(v < 40) }'; then
                    status=1
                fi
            done
        done
    done
done
[ "$status" = 0 ] && echo "every picture at least 40 dB" || echo "some pictures below 40 dB"
exit "$status"
