#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) into build-fuzz/ and
# runs each one after the other for a fixed time over a scratch copy of its seed corpus. Any crash, sanitizer
# report, leak, hang or out-of-memory fails the script; the input that caused it is kept in build-fuzz/artifacts/.
#
#   scripts/fuzz.sh [seconds per target, default 30] [target ...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${LUMIVOR_FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${1:-30}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_bitmap fuzz_model fuzz_config fuzz_shader_source fuzz_hdr fuzz_gltf)
fi
# One input taking longer than this counts as a hang.
input_timeout_seconds=10

CC=clang CXX=clang++ cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLUMIVOR_BUILD_FUZZERS=ON -DLUMIVOR_BUILD_TESTS=OFF -DLUMIVOR_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build_dir" -j "${LUMIVOR_FUZZ_JOBS:-2}" --target "${targets[@]}"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

failed=()
for target in "${targets[@]}"; do
  # The committed seeds stay as they are: the run grows a copy.
  corpus="$scratch/$target"
  cp -r "$root/fuzz/corpus/$target" "$corpus"
  artifacts="$build_dir/artifacts/$target"
  mkdir -p "$artifacts"
  log="$build_dir/$target.log"
  echo "fuzz: $target for ${seconds}s (log in $log)"
  # A dictionary gives words of a format whose parser libFuzzer cannot see into.
  dictionary=()
  if [ -f "$root/fuzz/$target.dict" ]; then
    dictionary=(-dict="$root/fuzz/$target.dict")
  fi
  status=0
  "$build_dir/fuzz/$target" -max_total_time="$seconds" -timeout="$input_timeout_seconds" -detect_leaks=1 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "${dictionary[@]}" "$corpus" >"$log" 2>&1 || status=$?
  grep -E '^#[0-9]+[[:space:]]+DONE|^stat::number_of_executed_units|^stat::peak_rss_mb' "$log" | sed "s/^/fuzz: $target: /" || true
  if [ "$status" -ne 0 ]; then
    echo "fuzz: $target FAILED (exit $status); the end of its log:"
    tail -n 60 "$log"
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: failed: ${failed[*]}"
  exit 1
fi
echo "fuzz: all ${#targets[@]} targets ran ${seconds}s each without a finding"
