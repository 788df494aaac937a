// The character's motion: the poses of the clips, turned into world transforms by forward kinematics.
//
// Every keyframe holds each bone's world rotation and the world position of
// its joint. The clips' frame ranges are the player's own clip table.
#include <cmath>

#include "character/animation.h"
#include "tools/character_generator/character_generator.h"

namespace character_generator {

namespace {

constexpr AnimationClip kIdleClip = kAnimationClips[0];
constexpr AnimationClip kTransitionClip = kAnimationClips[1];
constexpr AnimationClip kActionClip = kAnimationClips[2];
constexpr AnimationClip kReturnClip = kAnimationClips[3];
constexpr int kIdleLoopFrames = kIdleClip.endFrame - kIdleClip.firstFrame;
constexpr int kTransitionFirst = kTransitionClip.firstFrame;
constexpr int kActionFirst = kActionClip.firstFrame;
constexpr int kActionLoopFrames = kActionClip.endFrame - kActionClip.firstFrame;
constexpr int kReturnFirst = kReturnClip.firstFrame;
constexpr int kFrameCount = kAnimationFrameCount;
static_assert(kIdleClip.firstFrame == 0 && kTransitionFirst == kIdleClip.endFrame &&
                  kActionFirst == kTransitionClip.endFrame && kReturnFirst == kActionClip.endFrame &&
                  kFrameCount == kReturnClip.endFrame,
              "the clips follow one another from frame 0");

struct Pose {
    Vector3 angles[kBoneCount];  // local rotation per bone: pitch (x), yaw (y), roll (z) in radians
    Vector3 rootOffset;
};

Quaternion axisAngle(const Vector3& axis, float angle) {
    const float s = std::sin(0.5f * angle);
    return {axis.x * s, axis.y * s, axis.z * s, std::cos(0.5f * angle)};
}

Quaternion fromAngles(const Vector3& a) {
    return axisAngle({0, 0, 1}, a.z) * axisAngle({0, 1, 0}, a.y) * axisAngle({1, 0, 0}, a.x);
}

constexpr float kLegLength = 1.68f;  // hip joint to ankle

// Keeps the feet planted: the thighs lean against a sideways hip shift, the
// knees bend by kneeBend and the hips drop by what the bend shortens the leg.
void plantFeet(Pose& pose, float kneeBend) {
    const float drop = kLegLength * (1.0f - std::cos(kneeBend));
    pose.rootOffset.y -= drop;
    const float lean = -std::asin(pose.rootOffset.x / kLegLength);
    for (int thigh : {kThighL, kThighR}) {
        pose.angles[thigh].z += lean - pose.angles[kHips].z;
        pose.angles[thigh].x += -kneeBend;
        pose.angles[thigh + 1].x += 2.0f * kneeBend;
        pose.angles[thigh + 2].x += -kneeBend;
        pose.angles[thigh + 2].z += -lean;
    }
}

// Idle: breathing, a slow weight shift, a glance around; period 30 frames.
Pose idlePose(float frame) {
    const float phase = 2.0f * kPi * frame / kIdleLoopFrames;
    Pose pose{};
    pose.rootOffset = {0.025f * std::sin(phase), 0.0f, 0.0f};
    pose.angles[kHips].z = 0.02f * std::sin(phase);
    pose.angles[kSpine].z = -0.03f * std::sin(phase);
    pose.angles[kChest].x = -0.03f * std::sin(2.0f * phase);
    pose.angles[kNeck].y = 0.10f * std::sin(phase);
    pose.angles[kHead].y = 0.12f * std::sin(phase);
    pose.angles[kHead].x = 0.04f * std::sin(2.0f * phase);
    pose.angles[kUpperArmL].x = 0.06f * std::sin(phase);
    pose.angles[kForearmL].x = -0.15f - 0.05f * std::sin(phase);
    pose.angles[kUpperArmR].x = -0.06f * std::sin(phase);
    pose.angles[kForearmR].x = -0.15f + 0.05f * std::sin(phase);
    plantFeet(pose, 0.02f + 0.02f * std::sin(2.0f * phase));
    return pose;
}

// Action: the right arm raised, waving twice per 30-frame loop, with a knee
// bounce and a sway of the hips.
Pose actionPose(float frame) {
    const float phase = 2.0f * kPi * (frame - kActionFirst) / kActionLoopFrames;
    Pose pose{};
    pose.rootOffset = {0.04f * std::sin(phase), 0.0f, 0.0f};
    pose.angles[kHips].z = 0.04f * std::sin(phase);
    pose.angles[kSpine].z = -0.07f - 0.04f * std::sin(phase);
    pose.angles[kChest].z = -0.03f;
    pose.angles[kNeck].z = 0.06f;
    pose.angles[kHead].z = 0.08f;
    pose.angles[kHead].y = -0.15f + 0.08f * std::sin(phase);
    pose.angles[kUpperArmR].z = -2.45f;
    pose.angles[kUpperArmR].x = -0.25f;
    pose.angles[kForearmR].z = -0.35f + 0.45f * std::sin(2.0f * phase);
    pose.angles[kHandR].z = 0.25f * std::sin(2.0f * phase);
    pose.angles[kUpperArmL].z = 0.12f;
    pose.angles[kUpperArmL].x = 0.05f * std::sin(phase);
    pose.angles[kForearmL].x = -0.25f;
    plantFeet(pose, 0.06f + 0.06f * std::sin(2.0f * phase - 0.5f * kPi));
    return pose;
}

Pose blend(const Pose& a, const Pose& b, float t) {
    Pose pose{};
    for (int bone = 0; bone < kBoneCount; ++bone) {
        pose.angles[bone] = a.angles[bone] * (1.0f - t) + b.angles[bone] * t;
    }
    pose.rootOffset = a.rootOffset * (1.0f - t) + b.rootOffset * t;
    return pose;
}

// The clip table: idle loop, into the wave, wave loop, back to frame 0's pose.
Pose poseAt(int frame) {
    if (frame < kTransitionFirst) {
        return idlePose(static_cast<float>(frame));
    }
    if (frame < kActionFirst) {
        const float t = static_cast<float>(frame - kTransitionFirst + 1) / (kActionFirst - kTransitionFirst + 1);
        return blend(idlePose(0.0f), actionPose(static_cast<float>(kActionFirst)), smoothstep(t));
    }
    if (frame < kReturnFirst) {
        return actionPose(static_cast<float>(frame));
    }
    const float t = static_cast<float>(frame - kReturnFirst + 1) / (kFrameCount - kReturnFirst + 1);
    return blend(actionPose(static_cast<float>(kActionFirst)), idlePose(0.0f), smoothstep(t));
}

std::vector<WorldTransform> forwardKinematics(const std::vector<BoneDefinition>& skeleton, const Pose& pose) {
    std::vector<WorldTransform> world(skeleton.size());
    for (std::size_t b = 0; b < skeleton.size(); ++b) {
        const Quaternion local = fromAngles(pose.angles[b]);
        const int parent = skeleton[b].parent;
        if (parent < 0) {
            world[b] = {local, skeleton[b].joint + pose.rootOffset};
        } else {
            const WorldTransform& up = world[parent];
            world[b] = {up.rotation * local,
                        up.joint + rotate(up.rotation, skeleton[b].joint - skeleton[parent].joint)};
        }
    }
    return world;
}
}  // namespace

std::vector<std::vector<WorldTransform>> makeFrames(const std::vector<BoneDefinition>& skeleton) {
    std::vector<std::vector<WorldTransform>> frames;
    for (int frame = 0; frame < kFrameCount; ++frame) {
        frames.push_back(forwardKinematics(skeleton, poseAt(frame)));
    }
    return frames;
}

}  // namespace character_generator
