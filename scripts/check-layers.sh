#!/usr/bin/env bash
# Layer check: every folder of the program includes only folders below it, so
# the layers stay a stack without cycles. Prints each include that goes up or
# sideways and exits non-zero when there is one.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

# Top to bottom: a folder may include itself and any folder after it.
layers=(app panel frame camera model character environment gpu state math platform)
# The tools sit beside app/: they may include every layer but app/.
outside_app=(tools fuzz benchmarks)

rank_of() {
    local i
    for i in "${!layers[@]}"; do
        if [ "${layers[$i]}" = "$1" ]; then
            echo "$i"
            return
        fi
    done
    echo -1
}

failures=0
report() {
    echo "layer check: $1 includes \"$2\": $3" >&2
    failures=$((failures + 1))
}

while IFS= read -r file; do
    folder="${file%%/*}"
    own=$(rank_of "$folder")
    while IFS= read -r included; do
        target="${included%%/*}"
        [ "$target" = "$included" ] && continue  # a header without a folder
        wanted=$(rank_of "$target")
        [ "$wanted" -lt 0 ] && continue          # not a layer (tests/ support, system)
        if [ "$own" -ge 0 ] && [ "$wanted" -lt "$own" ]; then
            report "$file" "$included" "$target/ lies above $folder/"
        elif [ "$own" -lt 0 ] && [ "$target" = app ]; then
            report "$file" "$included" "only app/ and its tests include app/"
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find "${layers[@]}" "${outside_app[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) | sort)

if [ "$failures" -gt 0 ]; then
    echo "layer check: $failures include(s) against the order ${layers[*]} (each folder includes only those after it)" >&2
    exit 1
fi
echo "layer check: every include goes down (${layers[*]})"
