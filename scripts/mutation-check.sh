#!/usr/bin/env bash
# Mutation check: makes one careless edit at a time in the program, rebuilds what the unit and gl tests
# run, and reports for each edit the first test that failed (caught) or that none did (survived).
#
# Usage: scripts/mutation-check.sh [mutant number ...]   (all by default; build in build/ or LUMIVOR_BUILD_DIR)
# Needs a configured and built tree. Every file is restored afterwards, also on interruption.
# Exits 1 when a mutant survived or an edit no longer applies.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${LUMIVOR_BUILD_DIR:-$root/build}"
if [ "${LUMIVOR_MUTATION_INSIDE:-}" != "1" ]; then
  export LUMIVOR_MUTATION_INSIDE=1
  exec bash "$root/scripts/with-display.sh" bash "$0" "$@"
fi

# file | sed expression | what a careless edit would have done
mutants=(
  'math/quaternion.cpp|s/return {-q.x \/ normSquared/return {q.x \/ normSquared/|quaternion inverse keeps x unconjugated'
  'environment/dib_converter.cpp|s/+ 31) \/ 32 \* 4/+ 7) \/ 8/|bitmap rows without their 4-byte padding'
  'environment/light_extractor.h|s/return height \/ 2 + kHorizonSkipRows;/return height \/ 2;/|light cut starts at the horizon row'
  'environment/environment_lights.cpp|s/directions\[environment\] + lightCount/directions[environment] + lightCount - 1/|environment switch copies one direction too few'
  'camera/camera.cpp|s/if (pitch_ > kPitchLimit) {/if (pitch_ > kPitchLimit + 0.1f) {/|upward tilt clamped late'
  'character/animation.cpp|s/elapsedSinceStep > kAnimationStepMilliseconds/elapsedSinceStep >= kAnimationStepMilliseconds/|animation steps at exactly 40 ms'
  'character/model_reader.cpp|s/if (count > kInfluencesPerVertex) {/if (count > kInfluencesPerVertex + 1) {/|fifth influence accepted silently'
  'character/mesh_buffers.cpp|s/kPositionBytes = 4 \* sizeof(float)/kPositionBytes = 3 * sizeof(float)/|position buffer sized for three components'
  'app/keyboard_controls.cpp|s/kStepPerMillisecond = 0.002f/kStepPerMillisecond = 0.001f/|held keys move at half speed'
  'app/keyboard_controls.cpp|s/lights.selectEnvironment(1);/lights.selectEnvironment(2);/|key 2 selects the third environment'
  'app/app_config.cpp|s/supersampling_ != 1 && supersampling_ != 2/supersampling_ != 1 \&\& supersampling_ != 3/|configured supersampling 2 refused'
  'platform/virtual_keys.cpp|s/return vk::kF1 + i;/return vk::kF1 + i + 1;/|function keys shifted by one'
  'gpu/render_targets.cpp|s/GL_TEXTURE_COMPARE_MODE_ARB, GL_COMPARE_R_TO_TEXTURE_ARB/GL_TEXTURE_COMPARE_MODE_ARB, GL_NONE/|shadow maps sampled without depth comparison'
  'gpu/render_targets.cpp|s/{GL_TEXTURE_RECTANGLE_ARB, GL_RGBA16F_ARB,/{GL_TEXTURE_RECTANGLE_ARB, GL_RGBA8,/|half-float screen targets made 8-bit'
  'gpu/overlay_font.h|s/kOverlayTextBufferBytes = 256/kOverlayTextBufferBytes = 300/|overlay text no longer cut at 255 characters'
  'gpu/logger.cpp|s/mode = "w";/mode = "a";/|a new run appends to the old log'
  'frame/scene_targets.cpp|s/w \/ 2, TargetFormat::RECT_RGBA16F, h \/ 2/w \/ 4, TargetFormat::RECT_RGBA16F, h \/ 4/|half-size bloom target made at a quarter'
  'frame/shadow_pass.cpp|s/eyeX = direction.x \* kLightDistance/eyeX = -direction.x * kLightDistance/|shadow eye mirrored in x'
  'Shader/pp.fsh|s/exp2(expo - 1.0)/exp2(1.0 - expo)/|exposure applied the wrong way round'
  'tools/lumivor_lights.cpp|0,/%.9g %.9g %.9g %.9g %.9g %.9g/s//%.6g %.6g %.6g %.6g %.6g %.6g/|printed lights rounded to six digits'
  'environment/dib_converter.cpp|s/if (x + count > width) {/if (x + count > width + 1) {/|run-length run one pixel past the row end accepted'
  'environment/hdr_header.cpp|s/if (end - position > kMaxHdrHeaderLine) {/if (end - position > kMaxHdrHeaderLine + 1) {/|a 256-byte map header line accepted'
  'environment/light_extractor.cpp|s/return 2.0f \* kPi \* kPi/return kPi * kPi/|horizon pixel solid angle halved'
  'character/model_reader.cpp|s/index >= mesh.vertexCount/index > mesh.vertexCount/|vertex index one past the end accepted'
  'character/mesh_buffers.cpp|s/m.blue, m.secondAlpha/m.blue, m.alpha/|second alpha never chosen'
  'app/screenshot_key.cpp|s/int suffix = 2/int suffix = 1/|screenshot suffixes start at 1'
  'camera/camera.cpp|s/^    up = Vector3(upX, upY, upZ);/&\n    pitch_ = 0.0f;/|placing the camera forgets the accumulated pitch'
  'environment/ground_light.cpp|s/kCosineBand1 = 2.0 \* kPi \/ 3.0/kCosineBand1 = kPi \/ 2.0/|ground light band 1 with the wrong cosine factor'
  'gpu/render_targets.cpp|s/extensionListed("GL_EXT_framebuffer_blit")/true/|depth copy trusted without its extension'
  'environment/environment_map.cpp|s/= replaceUnusableImageValues(rgb);/{};/|NaN and infinite map values kept'
)

# What the unit and gl tests run: the core library, the test programs, the tools
# they start and the run directory's shaders ("/fast": without regenerating the
# maps and the character, which the edits above never change).
rebuild() {
  cmake --build "$build_dir" --target lumivor_core >/dev/null
  local targets=(lumivor-lights/fast lumivor-convert/fast run_directory/fast)
  local test_programs
  # The test programs the build defines now (stale files of removed ones in the build folder do not count).
  test_programs="$(cmake --build "$build_dir" --target help | sed -n 's/^\.\.\. \(\(unit\|gl\)_[A-Za-z0-9_]*\).*/\1/p' | sort -u)"
  for program in $test_programs; do targets+=("$program/fast"); done
  for target in "${targets[@]}"; do cmake --build "$build_dir" --target "$target" >/dev/null; done
}

# The first failing test of the unit tier, else of the gl tier; empty when all pass.
first_failure() {
  local label
  for label in unit gl; do
    if ! (cd "$build_dir" && ctest -L "$label" -j 2 --stop-on-failure --timeout 900 >/dev/null 2>&1); then
      # The test case by its own name where one process runs several (gl_frame).
      local case_name
      case_name="$(sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_./]*\) (.*/\1/p' \
        "$build_dir/Testing/Temporary/LastTest.log" | head -n 1)"
      [ -n "$case_name" ] || case_name="$(sed -n '1s/^[0-9]*://p' "$build_dir/Testing/Temporary/LastTestsFailed.log")"
      echo "$case_name"
      return
    fi
  done
}

backup="$(mktemp)"
mutated=""
restore() {
  if [ -n "$mutated" ]; then
    cp "$backup" "$root/$mutated"
    touch "$root/$mutated"
    mutated=""
  fi
}
trap 'restore; rm -f "$backup"' EXIT

selected=("$@")
[ ${#selected[@]} -gt 0 ] || selected=($(seq 1 ${#mutants[@]}))
failed=0
printf '%-3s %-75s %s\n' "#" "mutant" "result"
for number in "${selected[@]}"; do
  IFS='|' read -r file expression description <<< "${mutants[$((number - 1))]}"
  cp "$root/$file" "$backup"
  mutated="$file"
  sed -i -e "$expression" "$root/$file"
  if cmp -s "$backup" "$root/$file"; then
    result="NOT APPLIED: the edit no longer matches $file"
    failed=1
  elif ! rebuild; then
    result="NOT BUILT"
    failed=1
  else
    caught="$(first_failure)"
    if [ -n "$caught" ]; then
      result="caught by $caught"
    else
      result="SURVIVED"
      failed=1
    fi
  fi
  restore
  printf '%-3s %-75s %s\n' "$number" "$file: $description" "$result"
done
rebuild
exit "$failed"
