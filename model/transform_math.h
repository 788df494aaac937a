// Transform arithmetic of the model layer: 4 x 4 column-major matrices from translation, rotation and scale, their
// products, and what they do to points and normals.
#pragma once

#include <array>

#include "model/model_data.h"

using Vector3f = std::array<float, 3>;
using Rotation4f = std::array<float, 4>;  // a quaternion x, y, z, w

// The upper 3 x 3 part of a matrix turned into the matrix that carries normals:
// its cofactor matrix (signed so that it never flips them), column-major. It is
// the inverse transpose times the determinant's size, so after renormalising it
// is right under non-uniform scale too, and for a rotation with uniform scale it
// is the 3 x 3 part itself, scaled.
using NormalMatrix = std::array<float, 9>;

// a x b: b applies first.
Matrix4 multiply(const Matrix4& a, const Matrix4& b);

// Translation x rotation x scale, the order a glTF node's parts apply in
// reverse; the rotation is normalised first.
Matrix4 composeTransform(const Vector3f& translation, const Rotation4f& rotation, const Vector3f& scale);

// Uniform scale about the origin, then translation.
Matrix4 scaleThenTranslate(float scale, const Vector3f& translation);

NormalMatrix normalMatrix(const Matrix4& m);

// Determinant of the upper 3 x 3 part: negative for a mirroring transform.
float determinant3(const Matrix4& m);

inline void transformPoint(const Matrix4& m, const float* p, float* out) {
    out[0] = m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12];
    out[1] = m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13];
    out[2] = m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14];
}

inline void transformNormal(const NormalMatrix& m, const float* n, float* out) {
    out[0] = m[0] * n[0] + m[3] * n[1] + m[6] * n[2];
    out[1] = m[1] * n[0] + m[4] * n[1] + m[7] * n[2];
    out[2] = m[2] * n[0] + m[5] * n[1] + m[8] * n[2];
}

// Scales the three floats to unit length; a zero vector stays as it is.
void normaliseInPlace(float* v);
