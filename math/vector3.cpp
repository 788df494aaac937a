// Vector3 arithmetic in single precision, evaluated in the written order.
#include "math/vector3.h"

#include <cmath>

Vector3 operator+(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vector3 operator-(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector3 operator*(const Vector3& v, float s) { return {v.x * s, v.y * s, v.z * s}; }
Vector3 operator*(float s, const Vector3& v) { return {s * v.x, s * v.y, s * v.z}; }

Vector3& operator+=(Vector3& a, const Vector3& b) {
    a = a + b;
    return a;
}

Vector3& operator-=(Vector3& a, const Vector3& b) {
    a = a - b;
    return a;
}

float dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vector3 cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float length(const Vector3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

Vector3 normalize(const Vector3& v) {
    const float len = length(v);
    return {v.x / len, v.y / len, v.z / len};
}
