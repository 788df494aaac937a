#!/usr/bin/env bash
# Soak: runs Lumivor at 160 x 120 for thousands of frames under random keys, mouse moves and
# full-screen toggles, and checks resident memory, GL errors in Log.txt and the exit status.
#
# Usage: scripts/soak.sh            (build in build/, or LUMIVOR_BUILD_DIR)
# Settings: SOAK_FRAMES (5000), SOAK_TOGGLE_SECONDS (seconds between SIGUSR1 toggles, 60),
#           SOAK_SEED (random seed, 1), SOAK_MAX_SECONDS (a run past this is killed, 10800).
# Prints the figures and exits 1 when a limit is broken: memory growth above 5 %, a GL error entry
# in Log.txt, or an exit status other than 0.
#
# Resident memory is read after every action and five times a second during each re-creation.
# A window's working level wanders by up to 15 % from one window to the next with the heap's free
# pages (the driver's shader compilation at each new window leaves them, in varying amounts), so
# the figures compared are floors: the lowest reading of the first half of the run after a
# warm-up, and the lowest of its second half. The lowest readings come while a scene has just been
# released or set up, where memory holds what persists across re-creations; a leak raises them.
# Medians of each tenth and the first-frame, end and peak figures are printed too.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ "${LUMIVOR_SOAK_INSIDE:-}" != "1" ]; then
  export LUMIVOR_SOAK_INSIDE=1
  exec bash "$root/scripts/with-display.sh" bash "$0" "$@"
fi

build_dir="${LUMIVOR_BUILD_DIR:-$root/build}"
frames="${SOAK_FRAMES:-5000}"
toggle_seconds="${SOAK_TOGGLE_SECONDS:-60}"
max_seconds="${SOAK_MAX_SECONDS:-10800}"
RANDOM="${SOAK_SEED:-1}"
max_growth_percent=5
start_timeout_seconds=300
# The keys of the control table (Escape excluded: it would end the run).
keys=(1 2 3 F1 F2 4 5 q e i j k l u o h)

program="$build_dir/run/lumivor"
[ -x "$program" ] || { echo "soak: $program not found; build first (scripts/build.sh)" >&2; exit 2; }

run_dir="$(mktemp -d "${TMPDIR:-/tmp}/lumivor-soak-XXXXXX")"
for entry in "$build_dir/run"/*; do
  name="$(basename "$entry")"
  case "$name" in lumivor | config.cfg | Log.txt | *.png) continue ;; esac
  ln -s "$entry" "$run_dir/$name"
done
echo "160 120 1" > "$run_dir/config.cfg"
readings="$run_dir/resident.txt"  # one resident figure (KiB) per line
: > "$readings"

(cd "$run_dir" && exec "$program" --windowed --no-dialogs --verbose --frames "$frames") \
  > "$run_dir/stdout.txt" 2> "$run_dir/stderr.txt" &
pid=$!
started=$SECONDS

resident_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null || true; }
record_resident() {
  local sample
  sample="$(resident_kib)"
  [ -n "$sample" ] || return 0
  echo "$sample" >> "$readings"
  rss_end="$sample"
  if [ "$sample" -gt "$rss_peak" ]; then rss_peak="$sample"; fi
}
alive() { kill -0 "$pid" 2>/dev/null; }
stop_program() {
  if alive; then kill -KILL "$pid" 2>/dev/null || true; fi
  xdotool keyup "${keys[@]}" 2>/dev/null || true
}
trap stop_program EXIT

until grep -q "first frame shown" "$run_dir/stderr.txt"; do
  if ! alive || [ $((SECONDS - started)) -gt "$start_timeout_seconds" ]; then
    echo "soak: the program never showed its first frame" >&2
    cat "$run_dir/stderr.txt" >&2
    exit 1
  fi
  sleep 0.2
done
rss_start="$(resident_kib)"
rss_end="$rss_start"
rss_peak="$rss_start"
echo "soak: $frames frames at 160x120, run directory $run_dir, resident at the first frame ${rss_start} KiB"

key_holds=0
mouse_moves=0
toggles=0

# Held across several frames: the program only sees keys down at a frame's update.
hold_key() {
  local window
  window="$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1 || true)"
  if [ -z "$window" ]; then
    sleep 0.5  # between windows during a toggle
    return
  fi
  xdotool windowactivate --sync "$window" keydown "$1" 2>/dev/null || true
  sleep "0.$((4 + RANDOM % 6))"
  xdotool keyup "$1" 2>/dev/null || true
  key_holds=$((key_holds + 1))
}

# Sends the toggle and waits for the new window's first frame, so that no key
# is pressed while there is no window.
toggle() {
  local shown waited=0
  shown="$(grep -c "first frame shown" "$run_dir/stderr.txt" || true)"
  kill -USR1 "$pid" 2>/dev/null || true
  toggles=$((toggles + 1))
  until [ "$(grep -c "first frame shown" "$run_dir/stderr.txt" || true)" -gt "$shown" ]; do
    if ! alive || [ "$waited" -gt $((start_timeout_seconds * 5)) ]; then return; fi
    record_resident
    sleep 0.2
    waited=$((waited + 1))
  done
}

# Warm-up: every key once and toggles there and back, three times over. Every
# code path has then run, and the heap has settled: its resident size ratchets
# up over the first re-creations, while what is in use stays level.
for _ in 1 2 3; do
  for key in "${keys[@]}"; do hold_key "$key"; done
  toggle
  toggle
done
: > "$readings"  # only what comes after the warm-up counts
echo "soak: warm-up done after $((SECONDS - started)) s, resident $(resident_kib) KiB"

next_toggle=$((SECONDS + toggle_seconds))
while alive; do
  if [ "$SECONDS" -ge "$next_toggle" ]; then
    toggle
    next_toggle=$((SECONDS + toggle_seconds))
  elif [ $((RANDOM % 4)) -eq 0 ]; then
    xdotool mousemove_relative -- $((RANDOM % 81 - 40)) $((RANDOM % 81 - 40)) 2>/dev/null || true
    mouse_moves=$((mouse_moves + 1))
    sleep 0.3
  else
    hold_key "${keys[$((RANDOM % ${#keys[@]}))]}"
  fi
  if [ $((SECONDS - started)) -gt "$max_seconds" ]; then
    echo "soak: still running after $max_seconds s; killed" >&2
    kill -KILL "$pid" 2>/dev/null || true
  fi
  record_resident
done
status=0
wait "$pid" || status=$?
trap - EXIT
xdotool keyup "${keys[@]}" 2>/dev/null || true
seconds=$((SECONDS - started))

log="$run_dir/Log.txt"
errors="$run_dir/stderr.txt"
# Log entries are separated by empty lines; shader validation reports and
# framebuffer status lines are expected, every other entry is a GL error.
expected_entry='$0 ~ /^Shader Validation ID: / || $0 == "Framebuffer Complete"'
gl_errors="$(awk "BEGIN {RS = \"\"} !($expected_entry) {n++} END {print n + 0}" "$log")"
framebuffer_lines="$(grep -c '^Framebuffer Complete$' "$log" || true)"
initialisations="$(grep -c 'lumivor: initialiseScene' "$errors" || true)"
targets_per_build=75
rebuilds=$((framebuffer_lines / targets_per_build - initialisations))
frames_done="$(sed -n 's/.*shutdownScene after \([0-9]*\) frames.*/\1/p' "$errors" | tail -n 1)"
percent_above() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.1f", (b - a) * 100 / a}'; }
# The lowest reading of each half, and the median of each tenth.
count="$(wc -l < "$readings")"
half=$((count / 2))
lowest() { sort -n | head -n 1; }
median() { sort -n | awk '{v[NR] = $1} END {if (NR) print v[int((NR + 1) / 2)]}'; }
rss_early="$(head -n "$half" "$readings" | lowest)"
rss_late="$(tail -n "$half" "$readings" | lowest)"

echo "soak: frames ${frames_done:-?} of $frames in ${seconds} s"
echo "soak: key holds $key_holds, mouse moves $mouse_moves, SIGUSR1 toggles $toggles"
echo "soak: window and scene re-creations $((initialisations - 1)), render-target rebuilds $rebuilds"
echo "soak: resident memory at the first frame ${rss_start} KiB, at the end ${rss_end} KiB" \
  "($(percent_above "$rss_start" "$rss_end") %), peak ${rss_peak} KiB"
if [ "$half" -gt 0 ]; then
  growth_percent="$(percent_above "$rss_early" "$rss_late")"
  echo "soak: resident memory after the warm-up, lowest of the first half ${rss_early} KiB," \
    "of the second half ${rss_late} KiB (${half} of ${count} readings each):" \
    "growth ${growth_percent} % (limit ${max_growth_percent} %)"
  tenths=""
  for part in 0 1 2 3 4 5 6 7 8 9; do
    from=$((part * count / 10 + 1))
    to=$(((part + 1) * count / 10))
    [ "$to" -ge "$from" ] && tenths+=" $(sed -n "${from},${to}p" "$readings" | median)"
  done
  echo "soak: median resident memory of each tenth after the warm-up (KiB):$tenths"
fi
echo "soak: GL error entries in Log.txt: $gl_errors"
echo "soak: exit status $status"

failed=0
if [ "$half" -eq 0 ]; then
  echo "soak: FAIL too few readings after the warm-up; raise SOAK_FRAMES" >&2
  failed=1
elif awk -v g="$growth_percent" -v m="$max_growth_percent" 'BEGIN {exit !(g > m)}'; then
  echo "soak: FAIL resident memory grew by ${growth_percent} %" >&2
  failed=1
fi
if [ "$gl_errors" -ne 0 ]; then
  echo "soak: FAIL GL error entries in Log.txt, first ones:" >&2
  awk "BEGIN {RS = \"\"} !($expected_entry) {print; if (++n == 5) exit}" "$log" >&2
  failed=1
fi
if [ "$status" -ne 0 ]; then
  echo "soak: FAIL exit status $status" >&2
  tail -n 20 "$errors" >&2
  failed=1
fi
if [ "$failed" -eq 0 ]; then
  echo "soak: PASS"
  rm -rf "$run_dir"
else
  echo "soak: run directory kept for inspection: $run_dir" >&2
fi
exit "$failed"
