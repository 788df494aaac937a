// Quaternion: four floats stored x, y, z, w; rotations need not be of unit length.
#pragma once

#include "math/vector3.h"

struct Quaternion {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    Quaternion() = default;
    Quaternion(float xValue, float yValue, float zValue, float wValue) : x(xValue), y(yValue), z(zValue), w(wValue) {}

    // The pure quaternion (d, 0) that a rotation is applied to.
    static Quaternion fromVector(const Vector3& d) { return {d.x, d.y, d.z, 0.0f}; }
    Vector3 vectorPart() const { return {x, y, z}; }
};

// Hamilton product: vector part a.w*b.v + b.w*a.v + a.v x b.v, scalar part a.w*b.w - a.v.b.v.
Quaternion operator*(const Quaternion& a, const Quaternion& b);

// Conjugate divided by the squared norm, so that q * inverse(q) is the identity
// for any non-zero q.
Quaternion inverse(const Quaternion& q);

// Vector part of q * (d, 0) * inverseOfQ, with the inverse given by the caller
// so that stored inverses are used as they are.
Vector3 rotate(const Quaternion& q, const Quaternion& inverseOfQ, const Vector3& d);

// Vector part of q * (d, 0) * inverse(q).
Vector3 rotate(const Quaternion& q, const Vector3& d);
