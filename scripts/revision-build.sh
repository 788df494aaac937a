#!/usr/bin/env bash
# Helpers shared by the benchmark and picture scripts; source this file first:
# it runs the sourcing script again inside the private display (with-display.sh).
#   build_revision REV   builds the program of git revision REV in a scratch worktree
#                        and sets revision_run_dir to its run directory; a revision
#                        without --frame-time gets the commit that added it
#   make_run_copy SRC SS makes a scratch working directory that links every file
#                        of run directory SRC but holds its own config.cfg
#                        (800 x 600, supersampling factor SS); prints its path
#   cleanup_scratch      removes the scratch worktree and folders (set as EXIT trap)
# The scratch files live under one mktemp folder and are removed on exit.

# Sourced without arguments, "$0" and "$@" are the sourcing script's own.
if [ "${LUMIVOR_INSIDE_DISPLAY:-}" != 1 ]; then
    LUMIVOR_INSIDE_DISPLAY=1 exec bash "$(dirname "${BASH_SOURCE[0]}")/with-display.sh" bash "$0" "$@"
fi

scratch_root="$(mktemp -d "${TMPDIR:-/tmp}/lumivor-scratch.XXXXXX")"
scratch_worktree=""
repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

cleanup_scratch() {
    if [ -n "$scratch_worktree" ]; then
        git -C "$repo_root" worktree remove --force "$scratch_worktree" >/dev/null 2>&1 || true
    fi
    rm -rf "$scratch_root"
}
trap cleanup_scratch EXIT

build_revision() {
    local revision="$1"
    scratch_worktree="$scratch_root/source"
    git -C "$repo_root" worktree add --detach "$scratch_worktree" "$revision" >/dev/null
    # A revision from before --frame-time gets it, so that both builds step
    # their clocks alike: the commit that added the option, applied on top.
    if ! grep -q -- '"--frame-time"' "$scratch_worktree/app/command_line.cpp"; then
        local addition
        addition="$(git -C "$repo_root" log --format=%H -S'"--frame-time"' -- app/command_line.cpp | tail -n 1)"
        echo "adding --frame-time to $revision (from $(git -C "$repo_root" log -1 --format=%h "$addition"))" >&2
        git -C "$scratch_worktree" cherry-pick --no-commit "$addition" >/dev/null
    fi
    local launcher=()  # ccache where it is installed: a second build of a revision is then quick
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$scratch_worktree" -B "$scratch_root/build" -DCMAKE_BUILD_TYPE=Release \
        -DLUMIVOR_BUILD_TESTS=OFF -DLUMIVOR_BUILD_BENCHMARKS=OFF "${launcher[@]}" >/dev/null
    cmake --build "$scratch_root/build" -j "$(nproc 2>/dev/null || echo 2)" --target lumivor run_directory >/dev/null
    revision_run_dir="$scratch_root/build/run"
}

make_run_copy() {
    local source="$1" factor="$2" copy
    copy="$(mktemp -d "$scratch_root/run.XXXXXX")"
    for entry in "$source"/*; do
        case "$(basename "$entry")" in
            config.cfg | Log.txt | *.png) ;;
            *) ln -s "$entry" "$copy/" ;;
        esac
    done
    echo "800 600 $factor" >"$copy/config.cfg"
    echo "$copy"
}
