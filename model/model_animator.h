// Model animator: the playing animation's clock, looping over its duration, and the posing it triggers when the
// pose changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/prepared_model.h"

class ModelAnimator {
public:
    // Plays the model's first animation (if it has one) from its start and
    // poses the model.
    void start(PreparedModel& model);
    // Advances the clock by the elapsed milliseconds and poses the model again
    // when some node moved; true when positions and normals were rewritten.
    // A model without animation is posed once, by start.
    bool advance(PreparedModel& model, std::uint32_t elapsedMilliseconds);

    // The playing animation, -1 when the model has none.
    int playingAnimation() const { return playing_; }
    // Plays another animation from its start; false for an index out of range.
    bool selectAnimation(PreparedModel& model, int animation);

private:
    bool pose(PreparedModel& model, bool always);

    int playing_ = -1;
    std::uint64_t elapsedMilliseconds_ = 0;  // whole milliseconds, so a fixed frame time repeats exactly
    ModelPose pose_;
    std::vector<NodeTransform> shown_;  // the local transforms of the pose the streams hold
    SkinMatrices skins_;
};

// The skinned positions (3 floats per vertex, in the parts' order) at a time
// of an animation, in the file's own coordinates, before placement: what a
// comparison with another description of the same figure needs.
std::vector<float> skinnedPositionsAt(const PreparedModel& model, int animation, float seconds);
