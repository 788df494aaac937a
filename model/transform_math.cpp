// Transform arithmetic: matrix products, node transforms, normal matrices.
#include "model/transform_math.h"

#include <cmath>

Matrix4 multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 out{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[column * 4 + k];
            out[column * 4 + row] = sum;
        }
    }
    return out;
}

Matrix4 composeTransform(const Vector3f& translation, const Rotation4f& rotation, const Vector3f& scale) {
    float x = rotation[0], y = rotation[1], z = rotation[2], w = rotation[3];
    const float length = std::sqrt(x * x + y * y + z * z + w * w);
    if (length > 0.0f) {
        x /= length, y /= length, z /= length, w /= length;
    } else {
        x = y = z = 0.0f, w = 1.0f;
    }
    // Columns of the rotation matrix, each scaled by its axis's scale.
    return {(1.0f - 2.0f * (y * y + z * z)) * scale[0],
            2.0f * (x * y + z * w) * scale[0],
            2.0f * (x * z - y * w) * scale[0],
            0.0f,
            2.0f * (x * y - z * w) * scale[1],
            (1.0f - 2.0f * (x * x + z * z)) * scale[1],
            2.0f * (y * z + x * w) * scale[1],
            0.0f,
            2.0f * (x * z + y * w) * scale[2],
            2.0f * (y * z - x * w) * scale[2],
            (1.0f - 2.0f * (x * x + y * y)) * scale[2],
            0.0f,
            translation[0],
            translation[1],
            translation[2],
            1.0f};
}

Matrix4 scaleThenTranslate(float scale, const Vector3f& translation) {
    return {scale, 0, 0, 0, 0, scale, 0, 0, 0, 0, scale, 0, translation[0], translation[1], translation[2], 1};
}

NormalMatrix normalMatrix(const Matrix4& m) {
    // Element (row r, column c) of the 3 x 3 part is m[c * 4 + r]; the
    // cofactor of each element is the signed minor that leaves its row and column out.
    auto at = [&m](int row, int column) { return m[column * 4 + row]; };
    // A mirroring transform's cofactors point normals inward: turn them back.
    const float sign = determinant3(m) < 0.0f ? -1.0f : 1.0f;
    NormalMatrix out{};
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 3; ++row) {
            const int r0 = (row + 1) % 3, r1 = (row + 2) % 3, c0 = (column + 1) % 3, c1 = (column + 2) % 3;
            out[column * 3 + row] = sign * (at(r0, c0) * at(r1, c1) - at(r0, c1) * at(r1, c0));
        }
    }
    return out;
}

float determinant3(const Matrix4& m) {
    return m[0] * (m[5] * m[10] - m[9] * m[6]) - m[4] * (m[1] * m[10] - m[9] * m[2]) +
           m[8] * (m[1] * m[6] - m[5] * m[2]);
}

void normaliseInPlace(float* v) {
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0f) {
        v[0] /= length, v[1] /= length, v[2] /= length;
    }
}
