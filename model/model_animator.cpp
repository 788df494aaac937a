// Model animator: the looping clock, pose-change detection and posing.
#include "model/model_animator.h"

#include "model/animation_sampler.h"

void ModelAnimator::start(PreparedModel& model) {
    playing_ = model.data.animations.empty() ? -1 : 0;
    elapsedMilliseconds_ = 0;
    pose(model, true);
}

bool ModelAnimator::advance(PreparedModel& model, std::uint32_t elapsedMilliseconds) {
    if (playing_ < 0) return false;
    elapsedMilliseconds_ += elapsedMilliseconds;
    return pose(model, false);
}

bool ModelAnimator::selectAnimation(PreparedModel& model, int animation) {
    if (animation < 0 || static_cast<std::size_t>(animation) >= model.data.animations.size()) return false;
    playing_ = animation;
    elapsedMilliseconds_ = 0;
    pose(model, true);
    return true;
}

bool ModelAnimator::pose(PreparedModel& model, bool always) {
    setRestPose(model.data, pose_);
    if (playing_ >= 0) {
        const ModelAnimation& animation = model.data.animations[playing_];
        applyAnimation(animation, loopedAnimationTime(elapsedMilliseconds_, animation.duration), pose_.local);
    }
    if (!always && pose_.local == shown_) return false;
    shown_ = pose_.local;
    composeGlobals(model.data, model.nodeOrder, pose_);
    poseVertices(model.data, model.parts, pose_, model.placement, skins_, model.positions.data(), model.normals.data());
    return true;
}

std::vector<float> skinnedPositionsAt(const PreparedModel& model, int animation, float seconds) {
    std::vector<float> positions(static_cast<std::size_t>(model.vertexCount) * 3), normals(positions.size());
    ModelPose pose;
    SkinMatrices skins;
    poseModelAt(model, animation, seconds, kIdentityMatrix4, pose, skins, positions.data(), normals.data());
    return positions;
}
