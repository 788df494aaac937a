// Animation sampling: the three interpolations, clamping outside the keys, slerp's shorter arc and the looping clock.
#include <gtest/gtest.h>

#include <cmath>

#include "model/animation_sampler.h"
#include "support/model_builder.h"

namespace {

const float kHalf = std::sqrt(0.5f);
const float kSin22 = std::sin(0.3926991f), kCos22 = std::cos(0.3926991f);

// Three translation keys at 0, 1 and 2 s: (0, 0, 0), (1, 2, 3), (5, 5, 5).
ModelChannel threeKeys(Interpolation interpolation) {
    return makeChannel(0, AnimationPath::Translation, interpolation, {0.0f, 1.0f, 2.0f}, {0, 0, 0, 1, 2, 3, 5, 5, 5});
}

std::array<float, 4> sample(const ModelChannel& channel, float seconds) {
    std::array<float, 4> out{};
    sampleChannel(channel, seconds, out.data());
    return out;
}

}  // namespace

TEST(AnimationSamplerTest, StepHoldsEachKeyUntilTheNext) {
    const ModelChannel channel = threeKeys(Interpolation::Step);
    EXPECT_EQ(sample(channel, 0.99f)[0], 0.0f);
    EXPECT_EQ(sample(channel, 1.5f)[1], 2.0f);
}

TEST(AnimationSamplerTest, LinearBlendsTheTwoKeysAroundTheTime) {
    const std::array<float, 4> value = sample(threeKeys(Interpolation::Linear), 1.25f);
    EXPECT_FLOAT_EQ(value[0], 2.0f);
    EXPECT_FLOAT_EQ(value[1], 2.75f);
    EXPECT_FLOAT_EQ(value[2], 3.5f);
}

TEST(AnimationSamplerTest, BeforeTheFirstKeyAndAfterTheLastTheEndValuesHold) {
    const ModelChannel channel = threeKeys(Interpolation::Linear);
    EXPECT_EQ(sample(channel, -1.0f)[2], 0.0f);
    EXPECT_EQ(sample(channel, 7.0f)[2], 5.0f);
}

TEST(AnimationSamplerTest, CubicSplineScalesItsTangentsByTheKeyInterval) {
    // Keys 0 and 1, two seconds apart, leaving the first with slope 1 per
    // second and arriving flat: the Hermite curve at the middle is
    // 0.5 * 0 + 0.125 * 2 * 1 + 0.5 * 1 - 0.125 * 2 * 0 = 0.75.
    const ModelChannel channel = makeChannel(0, AnimationPath::Translation, Interpolation::CubicSpline, {0.0f, 2.0f},
                                             {0, 0, 0, 0, 0, 0, 1, 0, 0,   /* in, value, out of key 0 */
                                              0, 0, 0, 1, 0, 0, 0, 0, 0}); /* of key 1 */
    EXPECT_FLOAT_EQ(sample(channel, 1.0f)[0], 0.75f);
    EXPECT_FLOAT_EQ(sample(channel, 2.0f)[0], 1.0f);
}

TEST(AnimationSamplerTest, CubicSplineRotationsComeOutOfUnitLength) {
    // Two identical keys with a large out-tangent would leave the unit sphere.
    const ModelChannel channel = makeChannel(0, AnimationPath::Rotation, Interpolation::CubicSpline, {0.0f, 1.0f},
                                             {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0});
    const std::array<float, 4> q = sample(channel, 0.5f);
    EXPECT_NEAR(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3], 1.0f, 1e-6f);
    EXPECT_NEAR(q[2], 0.5f / std::sqrt(1.25f), 1e-6f);  // (0, 0, 0.5, 1) normalised: the tangent turned it about z
}

TEST(AnimationSamplerTest, SlerpHalfwayToAQuarterTurnIsAnEighthTurn) {
    const ModelChannel channel =
        makeChannel(0, AnimationPath::Rotation, Interpolation::Linear, {0.0f, 1.0f}, {0, 0, 0, 1, 0, 0, kHalf, kHalf});
    const std::array<float, 4> q = sample(channel, 0.5f);
    EXPECT_NEAR(q[2], kSin22, 1e-6f);
    EXPECT_NEAR(q[3], kCos22, 1e-6f);
}

TEST(AnimationSamplerTest, SlerpTakesTheShorterArcWhenTheNextKeyIsTheNegatedQuaternion) {
    // (0, 0, -s, -s) is the same quarter turn about +z as (0, 0, s, s).
    const ModelChannel channel = makeChannel(0, AnimationPath::Rotation, Interpolation::Linear, {0.0f, 1.0f},
                                             {0, 0, 0, 1, 0, 0, -kHalf, -kHalf});
    const std::array<float, 4> q = sample(channel, 0.5f);
    EXPECT_NEAR(std::abs(q[2]), kSin22, 1e-6f);
    EXPECT_NEAR(std::abs(q[3]), kCos22, 1e-6f);
    EXPECT_GT(q[2] * q[3], 0.0f) << "a turn about +z, not the long way about -z";
}
