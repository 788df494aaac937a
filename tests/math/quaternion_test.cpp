// Quaternion and vector maths: Hamilton product, inverse and rotation identities.
#include <gtest/gtest.h>

#include <cmath>

#include "math/quaternion.h"

namespace {

void expectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

Quaternion axisAngle(const Vector3& axis, float angle) {
    const Vector3 unit = normalize(axis);
    const float s = std::sin(angle * 0.5f);
    return {unit.x * s, unit.y * s, unit.z * s, std::cos(angle * 0.5f)};
}

}  // namespace

TEST(Vector3Test, CrossProductFollowsTheRightHandRule) {
    expectNear(cross({1, 0, 0}, {0, 1, 0}), {0, 0, 1});
    expectNear(cross({0, 1, 0}, {1, 0, 0}), {0, 0, -1});
    expectNear(cross({2, 3, 4}, {5, 6, 7}), {3 * 7 - 4 * 6, 4 * 5 - 2 * 7, 2 * 6 - 3 * 5});
    EXPECT_FLOAT_EQ(dot({1, 2, 3}, {4, -5, 6}), 12.0f);
    expectNear(normalize({3, 0, 4}), {0.6f, 0.0f, 0.8f});
}

TEST(QuaternionTest, HamiltonProductOfBasisElements) {
    const Quaternion i(1, 0, 0, 0), j(0, 1, 0, 0), k(0, 0, 1, 0);
    const Quaternion ij = i * j;
    EXPECT_FLOAT_EQ(ij.z, 1.0f);
    EXPECT_FLOAT_EQ(ij.w, 0.0f);
    const Quaternion ji = j * i;
    EXPECT_FLOAT_EQ(ji.z, -1.0f);
    const Quaternion kk = k * k;
    EXPECT_FLOAT_EQ(kk.w, -1.0f);
    EXPECT_FLOAT_EQ(kk.x, 0.0f);
}

TEST(QuaternionTest, ProductWithInverseIsTheIdentityForAnyNonZeroQuaternion) {
    const Quaternion q(0.3f, -1.2f, 2.5f, 0.7f);
    const Quaternion p = q * inverse(q);
    EXPECT_NEAR(p.x, 0.0f, 1e-6f);
    EXPECT_NEAR(p.y, 0.0f, 1e-6f);
    EXPECT_NEAR(p.z, 0.0f, 1e-6f);
    EXPECT_NEAR(p.w, 1.0f, 1e-6f);
    const Quaternion stored = inverse(q);
    EXPECT_FLOAT_EQ(stored.w, 0.7f / (0.09f + 1.44f + 6.25f + 0.49f));
    EXPECT_FLOAT_EQ(stored.x, -0.3f / (0.09f + 1.44f + 6.25f + 0.49f));
}

TEST(QuaternionTest, RotatesAVectorAboutTheAxis) {
    const Quaternion quarterTurnAboutY = axisAngle({0, 1, 0}, static_cast<float>(M_PI / 2));
    expectNear(rotate(quarterTurnAboutY, {1, 0, 0}), {0, 0, -1});
    expectNear(rotate(quarterTurnAboutY, {0, 0, 1}), {1, 0, 0});
    const Quaternion identityFromFile(0, 0, 0, 1);
    expectNear(rotate(identityFromFile, {1.5f, -2, 3}), {1.5f, -2, 3}, 0.0f);
}

TEST(QuaternionTest, NonUnitQuaternionRotatesWithoutScaling) {
    const Quaternion unit = axisAngle({1, 1, 0}, 0.8f);
    const Quaternion scaled(unit.x * 3, unit.y * 3, unit.z * 3, unit.w * 3);
    const Vector3 d(0.4f, -1.5f, 2.0f);
    expectNear(rotate(scaled, d), rotate(unit, d));
    EXPECT_NEAR(length(rotate(scaled, d)), length(d), 1e-5f);
    expectNear(rotate(Quaternion(0, 0, 0, 2), d), d);
}

TEST(QuaternionTest, ProductComposesRotations) {
    const Quaternion a = axisAngle({0, 0, 1}, 0.5f);
    const Quaternion b = axisAngle({0, 1, 0}, 1.1f);
    const Vector3 d(1, 2, 3);
    expectNear(rotate(a * b, d), rotate(a, rotate(b, d)));
}
