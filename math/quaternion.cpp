// Quaternion product, inverse and vector rotation in single precision.
#include "math/quaternion.h"

Quaternion operator*(const Quaternion& a, const Quaternion& b) {
    // Vector part: a.w*b.v + b.w*a.v + a.v x b.v, summed in that order.
    const float vx = a.w * b.x + b.w * a.x + (a.y * b.z - a.z * b.y);
    const float vy = a.w * b.y + b.w * a.y + (a.z * b.x - a.x * b.z);
    const float vz = a.w * b.z + b.w * a.z + (a.x * b.y - a.y * b.x);
    const float s = a.w * b.w - (a.x * b.x + a.y * b.y + a.z * b.z);
    return {vx, vy, vz, s};
}

Quaternion inverse(const Quaternion& q) {
    const float normSquared = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
    return {-q.x / normSquared, -q.y / normSquared, -q.z / normSquared, q.w / normSquared};
}

Vector3 rotate(const Quaternion& q, const Quaternion& inverseOfQ, const Vector3& d) {
    return ((q * Quaternion::fromVector(d)) * inverseOfQ).vectorPart();
}

Vector3 rotate(const Quaternion& q, const Vector3& d) { return rotate(q, inverse(q), d); }
