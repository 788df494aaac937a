// Character animation step: the 40 ms rule, the clip machine and the skinning it triggers.
#include <cstdlib>

#include "character/animation.h"
#include "character/skinned_model.h"

namespace {

// Clip 0 hands over to clip 1 with probability 2 in 10, clip 2 to clip 3 with 1 in 2.
constexpr int kIdleDraws = 10;
constexpr int kIdleLeavesFrom = 8;

}  // namespace

int chooseNextClip(int currentClip) {
    const int r = std::rand();
    switch (currentClip) {
        case 0:
            return r % kIdleDraws >= kIdleLeavesFrom ? 1 : 0;
        case 1:
            return 2;
        case 2:
            return r % 2 == 1 ? 3 : 2;
        default:
            return 0;
    }
}

void SkinnedModel::update(float elapsedMilliseconds) {
    elapsedSinceStep += elapsedMilliseconds;
    if (!(elapsedSinceStep > kAnimationStepMilliseconds)) {
        return;
    }
    // Time beyond the step is dropped: at most one step per call.
    elapsedSinceStep = 0.0f;

    // A clip number outside the table counts as finished, so the table is
    // never read out of range.
    const bool validClip = currentClip >= 0 && currentClip < kAnimationClipCount;
    if (validClip) {
        currentFrame += kAnimationClips[currentClip].framesPerStep;
    }
    if (!validClip || currentFrame >= kAnimationClips[currentClip].endFrame) {
        currentClip = chooseNextClip(currentClip);
        currentFrame = kAnimationClips[currentClip].firstFrame;
    }
    skinCurrentFrame();
}
