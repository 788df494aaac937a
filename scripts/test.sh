#!/usr/bin/env bash
# One command from a fresh clone to every test passing: installs what is missing, builds,
# and runs the unit, gl and e2e tests inside a private Xvfb display, then again with sanitizers.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${LUMIVOR_BUILD_DIR:-$root/build}"

bash "$root/scripts/install-deps.sh"
LUMIVOR_BUILD_DIR="$build_dir" bash "$root/scripts/build.sh"

cd "$build_dir"
bash "$root/scripts/with-display.sh" ctest --output-on-failure -j 2 "$@"
bash "$root/scripts/test-sanitize.sh"

# Fuzzing: every reader of outside input for 10 seconds in CI (a smoke run over the seeds, which keeps the
# whole run well inside its time; longer runs by hand), or as long as LUMIVOR_FUZZ_SECONDS asks.
if [ -n "${LUMIVOR_FUZZ_SECONDS:-}" ] || [ -n "${CI:-}" ]; then
  bash "$root/scripts/fuzz.sh" "${LUMIVOR_FUZZ_SECONDS:-10}"
fi
