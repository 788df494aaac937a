// Vector and quaternion maths: products, inverse and rotations, unit or not.
#include <gtest/gtest.h>

#include <cmath>

#include "math/quaternion.h"

namespace {

void expectNear(const Vector3& a, const Vector3& b, float tolerance = 1e-5f) {
    EXPECT_LE(length(a - b), tolerance) << a.x << " " << a.y << " " << a.z << " != " << b.x << " " << b.y << " " << b.z;
}

Quaternion axisAngle(const Vector3& axis, float angle, float scale = 1.0f) {
    const Vector3 v = normalize(axis) * (std::sin(angle * 0.5f) * scale);
    return {v.x, v.y, v.z, std::cos(angle * 0.5f) * scale};
}

}  // namespace

TEST(QuaternionTest, HamiltonProductAndInverse) {
    const Quaternion i(1, 0, 0, 0), j(0, 1, 0, 0), k(0, 0, 1, 0), ij = i * j, ji = j * i, kk = k * k;
    EXPECT_EQ(ij.z, 1.0f) << "i j = k";
    EXPECT_EQ(ij.w, 0.0f) << "i j = k";
    EXPECT_EQ(ji.z, -1.0f) << "j i = -k";
    EXPECT_EQ(kk.w, -1.0f) << "k k = -1";
    EXPECT_EQ(kk.x, 0.0f) << "k k = -1";
    const Quaternion q(0.3f, -1.2f, 2.5f, 0.7f), p = q * inverse(q), stored = inverse(q);
    EXPECT_NEAR(p.x, 0.0f, 2e-6f);
    EXPECT_NEAR(p.y, 0.0f, 2e-6f);
    EXPECT_NEAR(p.z, 0.0f, 2e-6f);
    EXPECT_NEAR(p.w, 1.0f, 2e-6f);
    expectNear({stored.x, stored.w, 0.0f}, {-0.3f / 8.27f, 0.7f / 8.27f, 0.0f}, 1e-7f);
}

TEST(QuaternionTest, RotatesAboutTheAxisWithoutScalingAndComposes) {
    const Quaternion quarterY = axisAngle({0, 1, 0}, float(M_PI / 2));
    expectNear(rotate(quarterY, {1, 0, 0}), {0, 0, -1});
    expectNear(rotate(quarterY, {0, 0, 1}), {1, 0, 0});
    const Vector3 d(0.4f, -1.5f, 2.0f);
    expectNear(cross({2, 3, 4}, {5, 6, 7}), {-3, 6, -3});
    expectNear(rotate(axisAngle({1, 1, 0}, 0.8f, 3.0f), d), rotate(axisAngle({1, 1, 0}, 0.8f), d));
    expectNear(rotate(Quaternion(0, 0, 0, 2), d), d);
    const Quaternion a = axisAngle({0, 0, 1}, 0.5f), b = axisAngle({0, 1, 0}, 1.1f);
    expectNear(rotate(a * b, d), rotate(a, rotate(b, d)));
}
