#!/usr/bin/env bash
# Path-traced reference: renders the frame of each default environment with Cycles (Blender) and prints how far
# Lumivor's lit image is from it; see docs/reference.md.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${LUMIVOR_BUILD_DIR:-$root/build}"

usage() {
  cat <<'EOF'
Usage: scripts/reference.sh [options]
Renders the same frame with lumivor (--dump-lit) and with Cycles, for the three default environments, and
prints per environment the relative error of the matte sphere and of the character's diffuse parts and of
the ground's shadow share.

  --max-error E        exit with status 1 when an error exceeds E
  --size WxH           picture size (default 320x240)
  --samples N          Cycles samples per pixel of the objects (default 128)
  --ground-samples N   Cycles samples per pixel of each of the two ground renders (default 16)
  --frames N           frames lumivor draws before its dump, at --frame-time 40 (default 5)
  --out DIR            where the dumps go (default build/reference)
  --pictures DIR       write one PNG per environment there: lumivor left, Cycles right, tone-mapped alike
  --noise              render Cycles twice and print how much of each error its own noise makes
  --markdown           also print the table in Markdown, headed by the commit it was measured on
  --shadow-check PX    instead: light the scene by one bright pixel and fail unless the shadow's centre lies
                       within PX pixels in both renderers (checks that both map directions alike)
  --no-setup           do not install packages or build (the tests use it); exit 77 without Blender
EOF
}

max_error=()
size=320x240
samples=128
ground_samples=16
frames=5
frame_time=40
out=""
pictures=()
noise=()
markdown=0
shadow_check=""
setup=1
while [ $# -gt 0 ]; do
  case "$1" in
    --max-error) max_error=(--max-error "$2"); shift 2 ;;
    --size) size="$2"; shift 2 ;;
    --samples) samples="$2"; shift 2 ;;
    --ground-samples) ground_samples="$2"; shift 2 ;;
    --frames) frames="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    --pictures) pictures=(--pictures "$(realpath -m "$2")"); shift 2 ;;
    --noise) noise=(--noise); shift ;;
    --markdown) markdown=1; shift ;;
    --shadow-check) shadow_check="$2"; shift 2 ;;
    --no-setup) setup=0; shift ;;
    -h|--help) usage; exit 0 ;;
    *) echo "reference: unknown option '$1'" >&2; usage >&2; exit 2 ;;
  esac
done
if ! [[ "$size" =~ ^([1-9][0-9]*)x([1-9][0-9]*)$ ]]; then
  echo "reference: --size needs WIDTHxHEIGHT, not '$size'" >&2
  exit 2
fi
width="${BASH_REMATCH[1]}"
height="${BASH_REMATCH[2]}"

if [ "$setup" = 1 ]; then
  bash "$root/scripts/install-deps.sh"
  LUMIVOR_BUILD_DIR="$build_dir" bash "$root/scripts/build.sh" >/dev/null
elif ! command -v blender >/dev/null; then
  echo "reference: Blender is not installed (scripts/install-deps.sh installs it)"
  exit 77
fi

out="$(realpath -m "${out:-$build_dir/reference}")"
run_dir="$out/run"
rm -rf "$run_dir"
mkdir -p "$run_dir"
# A private run directory: the build's data, and the picture size in its configuration (supersampling off).
for file in "$build_dir"/run/*; do
  ln -s "$file" "$run_dir/"
done
rm -f "$run_dir/config.cfg"
echo "$width $height 1" >"$run_dir/config.cfg"

display=()
if [ -z "${DISPLAY:-}" ]; then
  display=(xvfb-run -a -s "-screen 0 1280x1024x24")
fi

# Lights the scene with the map as environment 1 and dumps the last frame's lit image to NAME.exr.
dump() {
  local map="$1" name="$2"
  (cd "$run_dir" && "${display[@]}" env LIBGL_ALWAYS_SOFTWARE=1 ./lumivor --windowed --no-dialogs \
    --frames "$frames" --frame-time "$frame_time" --environment "1=$map" --dump-lit "$out/$name.exr" \
    2>"$out/$name.log") || {
    echo "reference: lumivor failed on $map:" >&2
    cat "$out/$name.log" >&2
    exit 1
  }
}

started=$SECONDS
checks=(--samples "$samples" --ground-samples "$ground_samples")
if [ "$markdown" = 1 ]; then
  commit="$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)"
  if ! git -C "$root" diff --quiet HEAD 2>/dev/null; then
    commit="$commit with changes"
  fi
  checks+=(--markdown "Measured on commit $commit, $size, $samples samples per pixel (ground $ground_samples):")
fi
dumps=()
if [ -n "$shadow_check" ]; then
  python3 "$root/scripts/reference/sun_map.py" "$out/sun.hdr"
  dump "$out/sun.hdr" sun
  checks+=(--shadow-position "$shadow_check")
  dumps=("$out/sun.json")
else
  for map in uffizi-large.hdr tsy_hdrfin.hdr studio2.hdr; do
    dump "$map" "${map%.hdr}"
    dumps+=("$out/${map%.hdr}.json")
  done
fi

if [ -n "$shadow_check" ]; then
  echo "reference: Cycles at $size, ${ground_samples} samples per pixel"
else
  echo "reference: Cycles at $size, ${samples} samples per pixel (ground ${ground_samples})"
fi
status=0
blender -b --factory-startup --python-exit-code 2 -P "$root/scripts/reference/render_reference.py" -- \
  "${checks[@]}" "${max_error[@]}" "${pictures[@]}" "${noise[@]}" "${dumps[@]}" \
  >"$out/blender.log" 2>&1 || status=$?
# Blender's own progress lines stay in the log; the script's lines are the ones without its prefixes.
grep -v -E '^(Blender|Fra:|Saved:|Time:|Compositing|Error: Not freed|read blend|Read prefs|$)' "$out/blender.log" || true
if [ "$status" -eq 2 ]; then
  echo "reference: the Cycles script failed; see $out/blender.log" >&2
fi
echo "reference: $((SECONDS - started)) s in all"
exit "$status"
