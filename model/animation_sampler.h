// Animation sampling: a channel's value at a time (step, linear with slerp, cubic spline) and a whole animation
// applied to the nodes' local transforms.
#pragma once

#include <cstdint>
#include <vector>

#include "model/model_data.h"
#include "model/model_pose.h"

// Floats per key of a channel's path: 4 for rotations, 3 otherwise.
int channelWidth(AnimationPath path);

// Writes the channel's value at time seconds into out (channelWidth floats).
// Before the first key the first value holds, after the last the last one.
// Rotations are interpolated by slerp along the shorter arc (linear) and
// normalised after a cubic spline.
void sampleChannel(const ModelChannel& channel, float seconds, float* out);

// Sets the translation, rotation or scale of every node the animation drives
// to its value at time seconds; other nodes keep their local transforms.
void applyAnimation(const ModelAnimation& animation, float seconds, std::vector<NodeTransform>& local);

// Where in the animation a clock of elapsed milliseconds stands when the
// animation loops over its duration: the same clock always gives the same time.
float loopedAnimationTime(std::uint64_t elapsedMilliseconds, float durationSeconds);
